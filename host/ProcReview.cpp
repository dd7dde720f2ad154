// The five review folders of business records and the authorisation, signature and
// audit trails of one record.
#include "host/OperatorRights.h"
#include "host/ProcCommon.h"
#include "host/ProcList.h"
#include "host/SqlUtil.h"

namespace host {

namespace {

// Which records of a folder a user sees.
enum class Scope { kReviewList, kAuthorisers, kCorporation };

// An amount in minor units as a decimal text with the currency's decimals.
std::string FormatAmount(std::int64_t minor, std::int64_t decimals) {
  std::string sign = minor < 0 ? "-" : "";
  std::uint64_t value =
      minor < 0 ? 0 - static_cast<std::uint64_t>(minor) : static_cast<std::uint64_t>(minor);
  std::string digits = std::to_string(value);
  if (decimals <= 0) {
    return sign + digits;
  }
  auto d = static_cast<std::size_t>(decimals);
  if (digits.size() <= d) {
    digits.insert(0, d + 1 - digits.size(), '0');
  }
  return sign + digits.substr(0, digits.size() - d) + "." + digits.substr(digits.size() - d);
}

// Rows of a folder: the record key (function id, a blank, the function's name, ':',
// the business number), the function's name, debit account, currency, amount,
// payee, maker and time of submission.
Answer Folder(Db& db, const Args& args, const char* folder, RecordKind kind, Scope scope) {
  std::string lang = Trim(TextArg(args, 0));
  if (lang != "CN" && lang != "EN" && lang != "JP") {
    throw ProcedureError("unknown language id '" + lang + "' (CN, EN or JP)");
  }
  std::string corp = CorpArg(TextArg(args, 1));
  std::string user = CheckKey("user id", TextArg(args, 2), 6);
  RequireReadRight(db, corp, user, kind);
  if (scope == Scope::kAuthorisers &&
      SelectInt(db, "SELECT 1 FROM bank_user WHERE user_id = ? AND level IN ('A', 'D', 'S')", 0,
                user) == 0) {
    return {};
  }
  Query q(db,
          "SELECT b.function_id,"
          " CASE ? WHEN 'EN' THEN n.name_en WHEN 'JP' THEN"
          "  CASE WHEN n.name_jp <> '' THEN n.name_jp ELSE n.name_en END ELSE n.name_cn END,"
          " b.biz_no, b.debit_ac_no, b.currency, b.amount, c.decimals, b.payee_name,"
          " b.maker_id, b.created_at"
          " FROM business b JOIN view_node n ON n.node_id = b.function_id"
          " JOIN currency c ON c.code = b.currency"
          " WHERE b.corp_id = ? AND b.folder = ?"
          " AND (? = 0 OR b.maker_id IN"
          "  (SELECT maker_id FROM review_list WHERE corp_id = b.corp_id AND checker_id = ?))"
          " ORDER BY b.created_at, b.biz_no");
  q.Bind(lang).Bind(corp).Bind(folder).Bind(scope == Scope::kReviewList ? 1 : 0).Bind(user);
  Answer out;
  while (q.Next()) {
    std::string kind = q.Text(1);
    out.rows.push_back({std::to_string(q.Int(0)) + " " + kind + ":" + q.Text(2), kind, q.Text(3),
                        q.Text(4), FormatAmount(q.Int(5), q.Int(6)), q.Text(7), q.Text(8),
                        q.Text(9)});
  }
  return out;
}

// Checks a trail command's arguments: function, corp, user, business number.
std::string TrailRecord(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 1));
  std::string user = CheckKey("user id", TextArg(args, 2), 6);
  std::string bizNo = CheckKey("business number", TextArg(args, 3), 15);
  // The function id of the command is not used: the rights are those of the trails.
  RequireReadRight(db, corp, user, RecordKind::kBusinessTrails);
  if (SelectInt(db, "SELECT 1 FROM business WHERE biz_no = ? AND corp_id = ?", 0, bizNo, corp) ==
      0) {
    throw ProcedureError("business " + bizNo + " of corporation " + corp + " does not exist");
  }
  return bizNo;
}

Answer TrailRows(Db& db, const char* sql, const std::string& bizNo, int columns) {
  Query q(db, sql);
  q.Bind(bizNo);
  return TextRows(q, columns);
}

}  // namespace

// MN_GetCheckList lang, corp, user: records to check made by users on the user's
// review list.
Answer MN_GetCheckList(Db& db, const Args& args) {
  return Folder(db, args, "check", RecordKind::kCheckList, Scope::kReviewList);
}

// MN_GetAuthoriseList lang, corp, user: records to authorise, for users of level A,
// D or S (others see none).
Answer MN_GetAuthoriseList(Db& db, const Args& args) {
  return Folder(db, args, "authorise", RecordKind::kAuthoriseList, Scope::kAuthorisers);
}

// MN_GetSendList, MN_GetDeletedList, MN_GetRejectedList lang, corp, user: the
// corporation's records in that folder.
Answer MN_GetSendList(Db& db, const Args& args) {
  return Folder(db, args, "send", RecordKind::kSendList, Scope::kCorporation);
}
Answer MN_GetDeletedList(Db& db, const Args& args) {
  return Folder(db, args, "deleted", RecordKind::kDeletedList, Scope::kCorporation);
}
Answer MN_GetRejectedList(Db& db, const Args& args) {
  return Folder(db, args, "rejected", RecordKind::kRejectedList, Scope::kCorporation);
}

// MN_GetAuthoriseFolder function, corp, user, business: number, authoriser, time,
// result, in order.
Answer MN_GetAuthoriseFolder(Db& db, const Args& args) {
  return TrailRows(db,
                   "SELECT biz_no, user_id, at, result FROM biz_authorise WHERE biz_no = ?"
                   " ORDER BY seq",
                   TrailRecord(db, args), 4);
}

// MN_GetSignFolder function, corp, user, business: number, signer, time, result.
Answer MN_GetSignFolder(Db& db, const Args& args) {
  return TrailRows(db,
                   "SELECT biz_no, user_id, at, result FROM biz_sign WHERE biz_no = ? ORDER BY seq",
                   TrailRecord(db, args), 4);
}

// MN_GetAuditFolder function, corp, user, business: number, user, time, operation,
// result.
Answer MN_GetAuditFolder(Db& db, const Args& args) {
  return TrailRows(db,
                   "SELECT biz_no, user_id, at, action, result FROM biz_audit WHERE biz_no = ?"
                   " ORDER BY seq",
                   TrailRecord(db, args), 5);
}

}  // namespace host
