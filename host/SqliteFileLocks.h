// The embedded bank's file locks, held so that no other code of the process can drop
// them.
//
// SQLite keeps its locks on a bank file as POSIX record locks. Those belong to the
// process, and the kernel drops all of them when the process closes any descriptor of
// the file, also one SQLite never saw: a file dialog that sniffs the type of every
// file in the folder it shows, or a size check of a file the operator picked, opens
// and closes the bank's files behind SQLite's back. Another program then believes it
// is alone with the bank, checkpoints and removes the write-ahead log and truncates
// the shared memory this process has mapped: the process dies of SIGBUS in the middle
// of a command, and what it was storing is lost.
//
// UseDescriptionLocks routes SQLite's lock calls through its system-call table to one
// lock descriptor per file, the file opened once more through /proc/self/fd from
// SQLite's first descriptor of it, and takes open-file-description locks there
// (F_OFD_SETLK).
// Those belong to that description and end only when its last descriptor is closed,
// which only this unit does, once SQLite has closed every descriptor of the file it
// locked through. All of SQLite's connections in the process share the one description
// per file, so among themselves they keep the process-wide locks SQLite counts on;
// towards other processes they are the same kernel locks (open-file-description and
// POSIX locks conflict), so the sqlite3 tool and any program on plain SQLite stay
// coordinated with the bank.
//
// The system-call table is SQLite's, one per process, and so is the table of lock
// descriptors kept here: that is the one piece of process-wide state of the host.
#pragma once

namespace host {

// Installs the lock routing into SQLite's unix file system; idempotent and safe to call
// from several threads. It must run before the process's first SQLite connection takes
// a lock (the embedded engine calls it before it opens a bank). Returns false where the
// kernel has no open-file-description locks; SQLite's own locks stay in place then.
bool UseDescriptionLocks();

}  // namespace host
