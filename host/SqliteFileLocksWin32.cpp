// The embedded bank's file locks on Windows: nothing to route. SQLite's Windows file
// system locks byte ranges with LockFileEx on its own handle of the file; such a lock
// belongs to that handle, and closing another handle of the file (a file dialog's, a
// size check's) drops none of it, which is what the Linux build reroutes POSIX locks to
// get (SqliteFileLocks.cpp).
#include "host/SqliteFileLocks.h"

namespace host {

bool UseDescriptionLocks() {
  // SQLite's own locks stay in place, as the header says where nothing is installed.
  return false;
}

}  // namespace host
