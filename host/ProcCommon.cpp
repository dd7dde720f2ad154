// Shared checks of the procedures: texts, keys, lengths, line breaks, membership,
// and the savepoint that makes an update all or nothing.
#include "host/ProcCommon.h"

#include "host/Database.h"
#include "host/OperatorRights.h"
#include "host/SqlUtil.h"

namespace host {

// Every character outside ASCII takes two bytes in GBK; UTF-8 continuation bytes
// (10xxxxxx) do not start a character.
std::size_t GbkLength(std::string_view utf8) {
  std::size_t length = 0;
  for (unsigned char c : utf8) {
    if (c < 0x80) {
      length += 1;
    } else if ((c & 0xC0) != 0x80) {
      length += 2;
    }
  }
  return length;
}

std::string CheckText(const char* what, std::string_view text, std::size_t max) {
  if (text.find('\x07') != std::string_view::npos) {
    throw ProcedureError(std::string(what) + " holds the field separator 0x07");
  }
  if (GbkLength(text) > max) {
    throw ProcedureError(std::string(what) + " is longer than " + std::to_string(max) + " bytes");
  }
  return std::string(text);
}

std::string CheckKey(const char* what, std::string_view text, std::size_t max) {
  std::string key = CheckText(what, Trim(text), max);
  if (key.empty()) {
    throw ProcedureError(std::string(what) + " is empty");
  }
  return key;
}

std::string CorpArg(std::string_view text) {
  return CheckKey("corporation id", text, 4);
}

std::string StoredLines(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\x0E' || c == '\n') {
      out += "\r\n";
    } else if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') {
        ++i;
      }
    } else {
      out += c;
    }
  }
  return out;
}

void RequireCorp(Db& db, const std::string& corp) {
  if (SelectInt(db, "SELECT 1 FROM corp WHERE corp_id = ?", 0, corp) == 0) {
    throw ProcedureError("corporation " + corp + " does not exist");
  }
}

void RequireMember(Db& db, const std::string& corp, const std::string& user) {
  RequireCorp(db, corp);
  if (SelectInt(db, "SELECT 1 FROM user_corp WHERE corp_id = ? AND user_id = ?", 0, corp, user) ==
      0) {
    throw ProcedureError("user " + user + " does not belong to corporation " + corp);
  }
}

Savepoint::Savepoint(Db& db) : db_(db) {
  db_.Savepoint("proc_step");
}

Savepoint::~Savepoint() {
  if (open_) {
    db_.RollbackTo("proc_step");
  }
}

void Savepoint::Release() {
  db_.Release("proc_step");
  open_ = false;
}

Answer UpdateOrRefuse(Db& db, Answer (*body)(Db&, const Args&), const Args& args) {
  try {
    Savepoint step(db);
    Answer a = body(db, args);
    step.Release();
    return a;
  } catch (const RightsError& e) {
    return UpdateAnswer(-1, e.what());
  } catch (const ProcedureError& e) {
    return UpdateAnswer(0, e.what());
  }
}

Answer UpdateAnswer(std::int64_t code, const std::string& message) {
  return OneRow({std::to_string(code), message});
}

Answer OneRow(std::vector<std::string> fields) {
  Answer a;
  a.rows.push_back(std::move(fields));
  return a;
}

Answer Lines(std::vector<std::string> lines) {
  Answer a;
  a.rows.reserve(lines.size());
  for (auto& line : lines) {
    a.rows.push_back({std::move(line)});
  }
  return a;
}

Answer CollectRows(Db& db, const Args& args, StreamFn stream) {
  struct Collector : RowSink {
    Answer answer;
    void Row(const std::vector<std::string>& fields) override { answer.rows.push_back(fields); }
  } collector;
  stream(db, args, collector);
  return std::move(collector.answer);
}

}  // namespace host
