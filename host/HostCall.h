// What the two host entry points do once they hold a database connection: check the
// raw command, run it, and put the answer into the caller's buffer or a new file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/Interpreter.h"

namespace host {

class Db;

// The command text the caller handed over: exactly length bytes, of which trailing
// zero bytes are ignored; a zero byte inside the text, a null pointer or a negative
// length is refused.
bool ReadCommandText(const char* command, std::int32_t length, std::string_view& text,
                     std::string& error);

// qelCommand on db: the answer into result (at most capacity bytes and a zero);
// result is empty after any failure.
Outcome CallIntoBuffer(Db& db, const Server& server, std::string_view raw, char* result,
                       std::int32_t capacity);

// qelFileGet on db: the answer into file, which is created here and must not exist;
// on failure no file is left behind.
Outcome CallIntoFile(Db& db, const Server& server, std::string_view raw, const char* file);

}  // namespace host
