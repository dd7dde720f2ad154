// The SWIFT bank directory searches and lookups, and bank master data.
#include "host/ProcCommon.h"
#include "host/ProcList.h"
#include "host/SqlUtil.h"
#include "host/SwiftDirectory.h"

namespace host {

namespace {

// A keyword as a LIKE pattern piece: the wildcards and the escape are taken literally.
std::string LikeLiteral(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '%' || c == '_' || c == '\\') {
      out += '\\';
    }
    out += c;
  }
  return out;
}

std::string Keyword(const char* what, const std::string& text) {
  std::string kw = CheckText(what, Trim(text), 255);
  if (kw.empty()) {
    throw ProcedureError(std::string(what) + " is empty");
  }
  return kw;
}

// Result rows: the 12-character SWIFT address, the bank's name and its city.
Answer SearchRows(Query& q) {
  Answer out;
  while (q.Next()) {
    out.rows.push_back({SwiftAddress12(q.Text(0)) + " " + q.Text(1) + " / " + q.Text(2)});
  }
  return out;
}

// Banks whose name matches pattern, narrowed by a city keyword when one is given.
// Letter case is ignored the same way on both engines: both sides in lower case (SQLite's
// LIKE ignores ASCII case by itself, PostgreSQL's does not).
Answer SearchByName(Db& db, const std::string& pattern, const std::string& cityText) {
  std::string city = CheckText("city keyword", Trim(cityText), 255);
  Query q(db,
          "SELECT swift_code, bank_name, city FROM swift_bank"
          " WHERE lower(bank_name) LIKE lower(?) ESCAPE '\\'"
          " AND (? = '' OR lower(city) LIKE lower(?) ESCAPE '\\')"
          " ORDER BY bank_name, swift_code");
  q.Bind(pattern).Bind(city).Bind("%" + LikeLiteral(city) + "%");
  return SearchRows(q);
}

}  // namespace

// MB_GetSwiftBankByLeft name, city: banks whose name begins with the keyword.
Answer MB_GetSwiftBankByLeft(Db& db, const Args& args) {
  return SearchByName(db, LikeLiteral(Keyword("name keyword", TextArg(args, 0))) + "%",
                      TextArg(args, 1));
}

// MB_GetSwiftBankByAny name, city: banks whose name holds the keyword anywhere.
Answer MB_GetSwiftBankByAny(Db& db, const Args& args) {
  return SearchByName(db, "%" + LikeLiteral(Keyword("name keyword", TextArg(args, 0))) + "%",
                      TextArg(args, 1));
}

// MB_GetSwiftBankBySwfCode code: banks whose code begins with the keyword (a full
// 12-character address is first brought to the directory's 11 characters).
Answer MB_GetSwiftBankBySwfCode(Db& db, const Args& args) {
  std::string kw = Keyword("SWIFT code keyword", TextArg(args, 0));
  for (char& c : kw) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  if (kw.size() == 12) {
    kw = NormaliseSwiftCode(kw).empty() ? kw : NormaliseSwiftCode(kw);
  }
  Query q(db,
          "SELECT swift_code, bank_name, city FROM swift_bank WHERE swift_code LIKE ? ESCAPE '\\'"
          " ORDER BY swift_code");
  q.Bind(LikeLiteral(kw) + "%");
  return SearchRows(q);
}

// MB_GetSwfAddress code: the bank's name and four address lines; no row when the
// directory does not know the code (the dialog then says so itself).
Answer MB_GetSwfAddress(Db& db, const Args& args) {
  std::optional<SwiftBank> bank = FindSwiftBank(db, TextArg(args, 0));
  if (!bank) {
    return {};
  }
  return OneRow(
      {bank->name, bank->address[0], bank->address[1], bank->address[2], bank->address[3]});
}

// ST_GetBankSimple id: bank id, name, four address lines, SWIFT code.
Answer ST_GetBankSimple(Db& db, const Args& args) {
  Query q(db,
          "SELECT bank_id, bank_name, addr1, addr2, addr3, addr4, swift_code FROM bank"
          " WHERE bank_id = ?");
  q.Bind(IntArg(args, 0));
  if (!q.Next()) {
    throw ProcedureError("bank " + std::to_string(IntArg(args, 0)) + " does not exist");
  }
  return OneRow(
      {std::to_string(q.Int(0)), q.Text(1), q.Text(2), q.Text(3), q.Text(4), q.Text(5), q.Text(6)});
}

}  // namespace host
