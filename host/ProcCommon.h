// Checks and conversions that many procedures share: argument texts, lengths in the
// module's GBK bytes, multi-line texts, membership of a corporation, and the
// savepoint and answer of an update (rights: OperatorRights).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/Procedure.h"
#include "sys/GbkChar.h"

namespace host {

class Db;

// Blanks and control characters (every byte up to 0x20) removed at both ends: the one
// trim of every layer.
using sys::Trim;

// The length of a UTF-8 text in GBK bytes: one for ASCII, two for anything else.
std::size_t GbkLength(std::string_view utf8);

// Returns text when it fits max GBK bytes and holds no field separator 0x07 (which
// would shift every field of a later read); raises ProcedureError naming what.
std::string CheckText(const char* what, std::string_view text, std::size_t max);

// The same for a key: blanks trimmed; an empty key is refused.
std::string CheckKey(const char* what, std::string_view text, std::size_t max);

// A corporation id as sent by the module, which may pad it with blanks.
std::string CorpArg(std::string_view text);

// A multi-line text as it is stored: each line break (0x0E from the module, CR LF, a
// lone CR or LF) becomes CR LF, which the wire turns back into 0x0E.
std::string StoredLines(std::string_view text);

// Raises ProcedureError unless the corporation exists.
void RequireCorp(Db& db, const std::string& corp);

// Raises ProcedureError unless the user belongs to the corporation.
void RequireMember(Db& db, const std::string& corp, const std::string& user);

// A savepoint inside the command's transaction: undone when it goes out of scope
// unreleased (as when a refusal is raised), so a refused step leaves nothing behind.
class Savepoint {
 public:
  explicit Savepoint(Db& db);
  ~Savepoint();
  Savepoint(const Savepoint&) = delete;
  Savepoint& operator=(const Savepoint&) = delete;
  void Release();

 private:
  Db& db_;
  bool open_ = true;
};

// Runs an update's body inside a savepoint. A refusal (ProcedureError) undoes all
// the body did and becomes the answer: code -1 for rights, 0 otherwise, with the
// reason as message; so an update never leaves half a change.
Answer UpdateOrRefuse(Db& db, Answer (*body)(Db&, const Args&), const Args& args);

// The answer of an update: one row of code and message.
Answer UpdateAnswer(std::int64_t code, const std::string& message);

// One row of fields.
Answer OneRow(std::vector<std::string> fields);

// Rows of one field each.
Answer Lines(std::vector<std::string> lines);

// The whole answer of a procedure that hands its rows over one at a time.
Answer CollectRows(Db& db, const Args& args, StreamFn stream);

}  // namespace host
