// CNY payees: properties, update, existence count, delete and change of id.
#include "host/OperatorRights.h"
#include "host/ProcCommon.h"
#include "host/ProcList.h"
#include "host/SqlUtil.h"

namespace host {

namespace {

// Existence counts: none, exists, named by finished payments (their history keeps
// its own copy of the payee), named by unfinished business (refused).
enum Count { kNone = 0, kExists = 1, kInHistory = 2, kInUse = 3 };

Count PayeeCount(Db& db, const std::string& corp, const std::string& payee) {
  if (SelectInt(db, "SELECT 1 FROM cny_payee WHERE corp_id = ? AND payee_id = ?", 0, corp, payee) ==
      0) {
    return kNone;
  }
  Query q(db,
          "SELECT max(CASE WHEN folder IN ('check', 'authorise', 'send') THEN 1 ELSE 0 END)"
          " FROM business"
          " WHERE corp_id = ? AND payee_kind = 'P' AND payee_id = ?");
  q.Bind(corp).Bind(payee);
  if (!q.Next() || q.IsNull(0)) {
    return kExists;
  }
  return q.Int(0) != 0 ? kInUse : kInHistory;
}

Answer UpdatePayee(Db& db, const Args& args) {
  std::int64_t function = IntArg(args, 0);
  std::string payee = CheckKey("payee id", TextArg(args, 1), 24);
  std::string corp = CorpArg(TextArg(args, 2));
  std::string acName = CheckText("account name", TextArg(args, 3), 80);
  std::string acNo = CheckText("account number", TextArg(args, 4), 36);
  std::string bank = CheckText("bank name", TextArg(args, 5), 80);
  std::string op = CheckKey("operator", TextArg(args, 6), 6);
  std::int64_t status = IntArg(args, 7);
  std::string remark = CheckText("remark", TextArg(args, 8), 50);
  std::string email = StoredLines(CheckText("e-mail", TextArg(args, 9), 100));
  std::string sms = CheckText("SMS number", TextArg(args, 10), 50);
  RequireCorp(db, corp);
  if (Trim(acName).empty()) {
    throw ProcedureError("account name is empty");
  }
  if (Trim(acNo).empty()) {
    throw ProcedureError("account number is empty");
  }
  if (Trim(bank).empty()) {
    throw ProcedureError("bank name is empty");
  }
  if (status != 0 && status != 1) {
    throw ProcedureError("status " + std::to_string(status) + " is not 0 (deleted) or 1 (in use)");
  }
  if (!Trim(email).empty() && email.find('@') == std::string::npos) {
    throw ProcedureError("e-mail address has no @");
  }
  bool exists = PayeeCount(db, corp, payee) != kNone;
  if (exists) {
    RequireFunctionRight(db, corp, op, function, RecordKind::kCnyPayees, {kModify},
                         "change the payee");
  } else {
    RequireFunctionRight(db, corp, op, function, RecordKind::kCnyPayees, {kAdd, kModify},
                         "add the payee");
  }
  Execute(db,
          "INSERT INTO cny_payee(corp_id, payee_id, ac_name, ac_no, bank_name, operator, status,"
          " remark, email, sms) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
          " ON CONFLICT(corp_id, payee_id) DO UPDATE SET ac_name = excluded.ac_name,"
          " ac_no = excluded.ac_no, bank_name = excluded.bank_name, operator = excluded.operator,"
          " status = excluded.status, remark = excluded.remark, email = excluded.email,"
          " sms = excluded.sms",
          corp, payee, acName, acNo, bank, op, status, remark, email, sms);
  return UpdateAnswer(1, payee);
}

}  // namespace

// MN_GetPropOfCustCNYAc corp, payee: id, corporation, account name, account number,
// bank, operator, status, remark, e-mail, SMS number.
Answer MN_GetPropOfCustCNYAc(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string payee = CheckKey("payee id", TextArg(args, 1), 24);
  Query q(db,
          "SELECT payee_id, corp_id, ac_name, ac_no, bank_name, operator, status, remark, email,"
          " sms FROM cny_payee WHERE corp_id = ? AND payee_id = ?");
  q.Bind(corp).Bind(payee);
  if (!q.Next()) {
    throw ProcedureError("payee " + payee + " of corporation " + corp + " does not exist");
  }
  return OneRow({q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4), q.Text(5),
                 std::to_string(q.Int(6)), q.Text(7), q.Text(8), q.Text(9)});
}

// MN_UpdateCustCNYAcRec function, the payee record: creates or changes the payee;
// answers 1 and the payee id, or 0 / -1 and the reason.
Answer MN_UpdateCustCNYAcRec(Db& db, const Args& args) {
  return UpdateOrRefuse(db, UpdatePayee, args);
}

// MN_CustCNYAcExists payee, corp: the existence count.
Answer MN_CustCNYAcExists(Db& db, const Args& args) {
  std::string payee = CheckText("payee id", Trim(TextArg(args, 0)), 24);
  std::string corp = CorpArg(TextArg(args, 1));
  return OneRow({std::to_string(payee.empty() ? kNone : PayeeCount(db, corp, payee))});
}

// MN_CustCNYAcDelete payee, corp: deletes the payee unless unfinished business
// names it.
Answer MN_CustCNYAcDelete(Db& db, const Args& args) {
  std::string payee = CheckKey("payee id", TextArg(args, 0), 24);
  std::string corp = CorpArg(TextArg(args, 1));
  switch (PayeeCount(db, corp, payee)) {
    case kNone:
      return UpdateAnswer(0, "payee " + payee + " does not exist");
    case kInUse:
      return UpdateAnswer(0, "payee " + payee + " is named by unfinished business");
    default:
      break;
  }
  Execute(db, "DELETE FROM cny_payee WHERE corp_id = ? AND payee_id = ?", corp, payee);
  return UpdateAnswer(1, payee);
}

// MN_CustCNYAcUpdate old, new, corp: gives the payee a new id, carried into the
// payments that name it.
Answer MN_CustCNYAcUpdate(Db& db, const Args& args) {
  std::string from = CheckKey("payee id", TextArg(args, 0), 24);
  std::string to = CheckKey("new payee id", TextArg(args, 1), 24);
  std::string corp = CorpArg(TextArg(args, 2));
  Count count = PayeeCount(db, corp, from);
  if (count == kNone) {
    return UpdateAnswer(0, "payee " + from + " does not exist");
  }
  if (count == kInUse) {
    return UpdateAnswer(0, "payee " + from + " is named by unfinished business");
  }
  if (PayeeCount(db, corp, to) != kNone) {
    return UpdateAnswer(0, "payee " + to + " already exists");
  }
  Execute(db, "UPDATE cny_payee SET payee_id = ? WHERE corp_id = ? AND payee_id = ?", to, corp,
          from);
  Execute(
      db,
      "UPDATE business SET payee_id = ? WHERE corp_id = ? AND payee_kind = 'P' AND payee_id = ?",
      to, corp, from);
  return UpdateAnswer(1, to);
}

}  // namespace host
