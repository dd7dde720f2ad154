// SWIFT codes in their several forms, the directory lookup and the CSV import.
#include "host/SwiftDirectory.h"

#include <cstdint>
#include <vector>

#include "host/ProcCommon.h"
#include "host/SqlUtil.h"
#include "sys/Utf8Char.h"

namespace host {

std::string NormaliseSwiftCode(const std::string& text) {
  std::string code = Trim(text);
  for (char& c : code) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
    bool ok = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!ok) {
      return std::string();
    }
  }
  switch (code.size()) {
    case 8:
      return code + "XXX";
    case 9:
      return code.substr(0, 8) + "XXX";
    case 11:
      return code;
    case 12:
      return code.substr(0, 8) + code.substr(9, 3);
    default:
      return std::string();
  }
}

std::string SwiftAddress12(const std::string& code11) {
  return code11.substr(0, 8) + "A" + code11.substr(8);
}

std::optional<SwiftBank> FindSwiftBank(Db& db, const std::string& code) {
  std::string key = NormaliseSwiftCode(code);
  if (key.empty()) {
    return std::nullopt;
  }
  Query q(db,
          "SELECT swift_code, bank_name, addr1, addr2, addr3, addr4, city FROM swift_bank"
          " WHERE swift_code = ?");
  q.Bind(key);
  if (!q.Next()) {
    return std::nullopt;
  }
  return SwiftBank{q.Text(0), q.Text(1), {q.Text(2), q.Text(3), q.Text(4), q.Text(5)}, q.Text(6)};
}

namespace {

// True when text is well-formed UTF-8 (no stray, overlong or surrogate sequences).
bool IsUtf8(const std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (!sys::NextUtf8Char(text, pos)) {
      return false;
    }
  }
  return true;
}

// Splits one CSV record; a quoted field may hold commas and doubled quotes. Returns
// false for an unterminated quote.
bool SplitCsv(const std::string& line, std::vector<std::string>& fields) {
  fields.assign(1, std::string());
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return !quoted;
}

}  // namespace

std::size_t ImportSwiftCsv(Db& db, std::istream& in) {
  Savepoint all(db);
  std::size_t count = 0;
  std::size_t number = 0;
  std::string line;
  std::vector<std::string> f;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    std::string where = "line " + std::to_string(number) + ": ";
    // Stored, such bytes would reach the wire as substitution characters or cut a
    // text short at the zero.
    if (line.find('\0') != std::string::npos) {
      throw std::runtime_error(where + "holds a zero byte");
    }
    if (!IsUtf8(line)) {
      throw std::runtime_error(where + "is not UTF-8 text");
    }
    if (Trim(line).empty()) {
      continue;
    }
    if (!SplitCsv(line, f)) {
      throw std::runtime_error(where + "a quoted field is not closed");
    }
    if (number == 1 && Trim(f[0]).size() >= 4) {
      std::string head = Trim(f[0]).substr(0, 4);
      for (char& c : head) {
        c = static_cast<char>(c | 0x20);
      }
      if (head == "code") {
        continue;
      }
    }
    if (f.size() != 7) {
      throw std::runtime_error(where +
                               "expected 7 fields (code, name, address 1 to 4, city), got " +
                               std::to_string(f.size()));
    }
    std::string code = NormaliseSwiftCode(f[0]);
    if (code.empty()) {
      throw std::runtime_error(where + "'" + f[0] + "' is no SWIFT code");
    }
    try {
      std::string name = CheckKey("bank name", f[1], 50);
      Execute(db,
              "INSERT INTO swift_bank(swift_code, bank_name, addr1, addr2, addr3, addr4, city)"
              " VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT(swift_code) DO UPDATE SET"
              " bank_name = excluded.bank_name, addr1 = excluded.addr1, addr2 = excluded.addr2,"
              " addr3 = excluded.addr3, addr4 = excluded.addr4, city = excluded.city",
              code, name, CheckText("address line 1", Trim(f[2]), 35),
              CheckText("address line 2", Trim(f[3]), 35),
              CheckText("address line 3", Trim(f[4]), 35),
              CheckText("address line 4", Trim(f[5]), 35), CheckText("city", Trim(f[6]), 35));
    } catch (const ProcedureError& e) {
      throw std::runtime_error(where + e.what());
    }
    ++count;
  }
  if (in.bad()) {
    throw std::runtime_error("cannot read the SWIFT directory file");
  }
  all.Release();
  return count;
}

}  // namespace host
