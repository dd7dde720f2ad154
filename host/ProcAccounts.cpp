// Corporate accounts: properties, rights of users on them and each user's order;
// the currency list and the corporation's payment usage texts.
#include "host/OperatorRights.h"
#include "host/ProcCommon.h"
#include "host/ProcList.h"
#include "host/SqlUtil.h"

namespace host {

namespace {

constexpr std::int64_t kAllAccountTypes = 99;

std::string UserArg(const Args& args, std::size_t i) {
  return CheckKey("user id", TextArg(args, i), 6);
}

// An account number as the lists show it: the part of an item before its first ':'.
std::string AccountOfItem(const std::string& item) {
  std::string text = item;
  std::size_t colon = text.find(':');
  if (colon != std::string::npos) {
    text.resize(colon);
  }
  return CheckKey("account number", text, 15);
}

void RequireAccount(Db& db, const std::string& corp, const std::string& acNo) {
  if (SelectInt(db, "SELECT 1 FROM corp_account WHERE corp_id = ? AND ac_no = ?", 0, corp, acNo) ==
      0) {
    throw ProcedureError("account " + acNo + " of corporation " + corp + " does not exist");
  }
}

// Rows "number:currency name" in the user's order, then by number.
Answer AccountRows(Query& q) {
  Answer out;
  while (q.Next()) {
    out.rows.push_back({q.Text(0) + ":" + q.Text(1) + " " + q.Text(2)});
  }
  return out;
}

Answer UpdateAccount(Db& db, const Args& args) {
  // The command names no operator; its function must still be one that edits
  // corporate accounts.
  RequireEditingFunction(db, IntArg(args, 0), RecordKind::kCorpAccounts);
  std::string acNo = CheckKey("account number", TextArg(args, 1), 15);
  std::string corp = CorpArg(TextArg(args, 2));
  std::string name = CheckText("account name", TextArg(args, 3), 50);
  std::int64_t status = IntArg(args, 4);
  RequireAccount(db, corp, acNo);
  // A status the dialog could not match arrives negative: the stored one stays.
  if (status >= 0 && status != 0 && status != 1 && status != 2) {
    throw ProcedureError("account status " + std::to_string(status) + " is not 0, 1 or 2");
  }
  Execute(db,
          "UPDATE corp_account SET ac_name = ?,"
          " status = CASE WHEN ? < 0 THEN status ELSE ? END WHERE corp_id = ? AND ac_no = ?",
          name, status, status, corp, acNo);
  return UpdateAnswer(1, acNo);
}

}  // namespace

// MN_GetAcNoList type, currency, corp, user: the corporation's accounts (type 99:
// every type; empty currency: every currency) in the user's order.
Answer MN_GetAcNoList(Db& db, const Args& args) {
  std::int64_t type = IntArg(args, 0);
  std::string currency = CheckText("currency", Trim(TextArg(args, 1)), 3);
  std::string corp = CorpArg(TextArg(args, 2));
  std::string user = UserArg(args, 3);
  RequireMember(db, corp, user);
  Query q(db,
          "SELECT a.ac_no, a.currency, a.ac_name FROM corp_account a"
          " LEFT JOIN account_order o"
          "   ON o.corp_id = a.corp_id AND o.ac_no = a.ac_no AND o.user_id = ?"
          " WHERE a.corp_id = ? AND (? = 99 OR a.ac_type = ?) AND (? = '' OR a.currency = ?)"
          " ORDER BY o.position IS NULL, o.position, a.ac_no");
  q.Bind(user)
      .Bind(corp)
      .Bind(type == kAllAccountTypes ? 99 : 0)
      .Bind(type)
      .Bind(currency)
      .Bind(currency);
  return AccountRows(q);
}

// MN_GetUserCheckAcList corp, user: the accounts the user has rights on, in the
// same form as the account list so that the dialog can tick them.
Answer MN_GetUserCheckAcList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = UserArg(args, 1);
  RequireMember(db, corp, user);
  Query q(db,
          "SELECT a.ac_no, a.currency, a.ac_name FROM account_right r"
          " JOIN corp_account a ON a.corp_id = r.corp_id AND a.ac_no = r.ac_no"
          " WHERE r.corp_id = ? AND r.user_id = ? ORDER BY a.ac_no");
  q.Bind(corp).Bind(user);
  return AccountRows(q);
}

// MN_DeleteUserAcList corp, user: the user loses the rights on every account.
Answer MN_DeleteUserAcList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = UserArg(args, 1);
  RequireMember(db, corp, user);
  Execute(db, "DELETE FROM account_right WHERE corp_id = ? AND user_id = ?", corp, user);
  return {};
}

// MN_InsertAcRightList corp, user, account: gives the user the right on an account.
Answer MN_InsertAcRightList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = UserArg(args, 1);
  std::string acNo = AccountOfItem(TextArg(args, 2));
  RequireMember(db, corp, user);
  RequireAccount(db, corp, acNo);
  Execute(db,
          "INSERT INTO account_right(corp_id, user_id, ac_no) VALUES (?, ?, ?)"
          " ON CONFLICT DO NOTHING",
          corp, user, acNo);
  return {};
}

// MN_GetPropOfAccount corp, account: number, corporation id and name, currency,
// type, account name, status.
Answer MN_GetPropOfAccount(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string acNo = CheckKey("account number", TextArg(args, 1), 15);
  Query q(db,
          "SELECT a.ac_no, a.corp_id, c.corp_name, a.currency, a.ac_type, a.ac_name, a.status"
          " FROM corp_account a JOIN corp c ON c.corp_id = a.corp_id"
          " WHERE a.corp_id = ? AND a.ac_no = ?");
  q.Bind(corp).Bind(acNo);
  if (!q.Next()) {
    throw ProcedureError("account " + acNo + " of corporation " + corp + " does not exist");
  }
  return OneRow({q.Text(0), q.Text(1), q.Text(2), q.Text(3), std::to_string(q.Int(4)), q.Text(5),
                 std::to_string(q.Int(6))});
}

// MN_UpdateAccountRec function, account, corp, name, status: changes the account's
// description (and status); answers 1 and the account number.
Answer MN_UpdateAccountRec(Db& db, const Args& args) {
  return UpdateOrRefuse(db, UpdateAccount, args);
}

// MN_UpdateAcOrder item, corp, user, position: the account's place in the user's list.
Answer MN_UpdateAcOrder(Db& db, const Args& args) {
  std::string acNo = AccountOfItem(TextArg(args, 0));
  std::string corp = CorpArg(TextArg(args, 1));
  std::string user = UserArg(args, 2);
  std::int64_t position = IntArg(args, 3);
  RequireEditRight(db, corp, user, RecordKind::kAccountOrder, {kModify}, "save the account order");
  RequireAccount(db, corp, acNo);
  if (position < 0) {
    throw ProcedureError("account position " + std::to_string(position) + " is negative");
  }
  Execute(db,
          "INSERT INTO account_order(corp_id, user_id, ac_no, position) VALUES (?, ?, ?, ?)"
          " ON CONFLICT(corp_id, user_id, ac_no) DO UPDATE SET position = excluded.position",
          corp, user, acNo, position);
  return {};
}

// MN_GetCurrencyCodeList: the currency codes, CNY first.
Answer MN_GetCurrencyCodeList(Db& db, const Args&) {
  Query q(db, "SELECT code FROM currency ORDER BY code <> 'CNY', code");
  return TextRows(q, 1);
}

// MN_GetUsageList corp, user: the usage texts, the default (position 0) first.
Answer MN_GetUsageList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  RequireReadRight(db, corp, UserArg(args, 1), RecordKind::kUsageTexts);
  Query q(db, "SELECT usage FROM usage_text WHERE corp_id = ? ORDER BY position");
  q.Bind(corp);
  return TextRows(q, 1);
}

// MN_UsageDelete corp: empties the corporation's usage list (its batch then inserts
// the new one).
Answer MN_UsageDelete(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  RequireCorp(db, corp);
  Execute(db, "DELETE FROM usage_text WHERE corp_id = ?", corp);
  return {};
}

// MN_UsageInsert corp, user, text, position: one usage text at its place.
Answer MN_UsageInsert(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = UserArg(args, 1);
  std::string text = CheckText("usage text", TextArg(args, 2), 100);
  std::int64_t position = IntArg(args, 3);
  RequireEditRight(db, corp, user, RecordKind::kUsageTexts, {kModify}, "change the usage texts");
  if (Trim(text).empty()) {
    throw ProcedureError("usage text is empty");
  }
  if (position < 0) {
    throw ProcedureError("usage position " + std::to_string(position) + " is negative");
  }
  if (SelectInt(db, "SELECT 1 FROM usage_text WHERE corp_id = ? AND position = ?", 0, corp,
                position) != 0) {
    throw ProcedureError("usage position " + std::to_string(position) + " is taken");
  }
  Execute(db, "INSERT INTO usage_text(corp_id, position, usage, user_id) VALUES (?, ?, ?, ?)", corp,
          position, text, user);
  return {};
}

}  // namespace host
