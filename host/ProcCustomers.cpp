// Customers (payees of foreign-currency and CNY remittances) and their bank
// accounts: properties, updates, existence counts, delete, change of id, import and
// export, and the customer's account folder.
#include "host/OperatorRights.h"
#include "host/ProcCommon.h"
#include "host/ProcList.h"
#include "host/SqlUtil.h"
#include "host/SwiftDirectory.h"

namespace host {

namespace {

// The function node that serves a customer bank account.
constexpr std::int64_t kCustAcFunction = 930;

// Existence counts: none, exists, exists with bank accounts, referenced by
// unfinished business (refused for delete and change of id).
enum Count { kNone = 0, kExists = 1, kWithAccounts = 2, kInUse = 3 };

Count CustomerCount(Db& db, const std::string& corp, const std::string& cust) {
  if (SelectInt(db, "SELECT 1 FROM customer WHERE corp_id = ? AND cust_id = ?", 0, corp, cust) ==
      0) {
    return kNone;
  }
  if (SelectInt(db,
                "SELECT 1 FROM business WHERE corp_id = ? AND payee_kind = 'C' AND payee_id = ?"
                " AND folder IN ('check', 'authorise', 'send')",
                0, corp, cust) != 0) {
    return kInUse;
  }
  if (SelectInt(db, "SELECT 1 FROM cust_account WHERE corp_id = ? AND cust_id = ?", 0, corp,
                cust) != 0) {
    return kWithAccounts;
  }
  return kExists;
}

void CheckStatus(std::int64_t status) {
  if (status != 0 && status != 1) {
    throw ProcedureError("status " + std::to_string(status) + " is not 0 (deleted) or 1 (in use)");
  }
}

// The operator saving a record through a function that edits its kind: an active
// member with the right to change an existing record, or to add (or change) when the
// record is new.
void RequireSaveRight(Db& db, const std::string& corp, const std::string& op, std::int64_t function,
                      RecordKind kind, bool exists) {
  if (exists) {
    RequireFunctionRight(db, corp, op, function, kind, {kModify}, "change the record");
  } else {
    RequireFunctionRight(db, corp, op, function, kind, {kAdd, kModify}, "add the record");
  }
}

Answer UpdateCustomer(Db& db, const Args& args) {
  std::int64_t function = IntArg(args, 0);
  std::string cust = CheckKey("customer id", TextArg(args, 1), 24);
  std::string corp = CorpArg(TextArg(args, 2));
  std::string name = CheckText("customer name", TextArg(args, 3), 80);
  std::string nameAddr = StoredLines(CheckText("name and address", TextArg(args, 4), 140));
  std::string remark = CheckText("remark", TextArg(args, 5), 50);
  std::string email = StoredLines(CheckText("e-mail", TextArg(args, 6), 100));
  std::string op = CheckKey("operator", TextArg(args, 7), 6);
  std::int64_t status = IntArg(args, 8);
  RequireCorp(db, corp);
  CheckStatus(status);
  if (Trim(name).empty() && Trim(nameAddr).empty()) {
    throw ProcedureError("customer " + cust + " has neither a name nor a name and address");
  }
  RequireSaveRight(db, corp, op, function, RecordKind::kCustomers,
                   CustomerCount(db, corp, cust) != kNone);
  Execute(db,
          "INSERT INTO customer(corp_id, cust_id, cust_name, name_addr, remark, email, operator,"
          " status) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"
          " ON CONFLICT(corp_id, cust_id) DO UPDATE SET cust_name = excluded.cust_name,"
          " name_addr = excluded.name_addr, remark = excluded.remark, email = excluded.email,"
          " operator = excluded.operator, status = excluded.status",
          corp, cust, name, nameAddr, remark, email, op, status);
  return UpdateAnswer(1, cust);
}

// The first line of a multi-line text.
std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find_first_of("\r\n\x0E"));
}

Answer UpdateCustAc(Db& db, const Args& args) {
  std::int64_t function = IntArg(args, 0);
  std::int64_t acId = IntArg(args, 1);
  std::string cust = CheckKey("customer id", TextArg(args, 2), 24);
  std::string corp = CorpArg(TextArg(args, 3));
  std::string currency = CheckKey("currency", TextArg(args, 4), 3);
  std::string acNo = CheckKey("account number", TextArg(args, 5), 36);
  std::string cnyBank = CheckText("CNY bank name", TextArg(args, 6), 80);
  std::int64_t intBank = IntArg(args, 7);
  std::string type = CheckText("bank type", TextArg(args, 8), 1);
  std::string bankAcNo = CheckText("account at the bank", TextArg(args, 9), 34);
  std::string bankNameAddr =
      StoredLines(CheckText("bank name and address", TextArg(args, 10), 150));
  std::string op = CheckKey("operator", TextArg(args, 11), 6);
  std::int64_t status = IntArg(args, 12);
  RequireCorp(db, corp);
  CheckStatus(status);
  if (CustomerCount(db, corp, cust) == kNone) {
    throw ProcedureError("customer " + cust + " of corporation " + corp + " does not exist");
  }
  if (SelectInt(db, "SELECT 1 FROM currency WHERE code = ?", 0, currency) == 0) {
    throw ProcedureError("currency " + currency + " does not exist");
  }
  if (currency == "CNY") {
    if (Trim(cnyBank).empty()) {
      throw ProcedureError("a CNY account needs its bank name");
    }
  } else {
    if (type != " " && type != "A" && type != "B" && type != "D") {
      throw ProcedureError("bank type '" + type + "' is not blank, A, B or D");
    }
    if (Trim(bankNameAddr).empty()) {
      throw ProcedureError("the bank's name and address are empty");
    }
    if (type == "A" && !FindSwiftBank(db, Trim(FirstLine(bankNameAddr))).has_value()) {
      throw ProcedureError("SWIFT code " + Trim(FirstLine(bankNameAddr)) +
                           " is not in the directory");
    }
  }
  if (intBank < 0 ||
      (intBank > 0 && SelectInt(db, "SELECT 1 FROM bank WHERE bank_id = ?", 0, intBank) == 0)) {
    throw ProcedureError("intermediary bank " + std::to_string(intBank) + " does not exist");
  }
  bool exists = acId > 0;
  if (exists) {
    Query q(db, "SELECT cust_id FROM cust_account WHERE ac_id = ? AND corp_id = ?");
    q.Bind(acId).Bind(corp);
    if (!q.Next()) {
      throw ProcedureError("account " + std::to_string(acId) + " of corporation " + corp +
                           " does not exist");
    }
    if (q.Text(0) != cust) {
      throw ProcedureError("account " + std::to_string(acId) + " belongs to customer " + q.Text(0));
    }
  }
  RequireSaveRight(db, corp, op, function, RecordKind::kCustomerAccounts, exists);
  Query w(db, exists ? "UPDATE cust_account SET currency = ?, ac_no = ?, cny_bank = ?,"
                       " int_bank_id = ?, bank_type = ?, bank_ac_no = ?, bank_name_addr = ?,"
                       " operator = ?, status = ? WHERE ac_id = ?"
                     : "INSERT INTO cust_account(currency, ac_no, cny_bank, int_bank_id,"
                       " bank_type, bank_ac_no, bank_name_addr, operator, status, corp_id,"
                       " cust_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  w.Bind(currency).Bind(acNo).Bind(cnyBank);
  if (intBank == 0) {
    w.BindNull();
  } else {
    w.Bind(intBank);
  }
  w.Bind(type).Bind(bankAcNo).Bind(bankNameAddr).Bind(op).Bind(status);
  if (exists) {
    w.Bind(acId);
  } else {
    w.Bind(corp).Bind(cust);
  }
  w.Run();
  return UpdateAnswer(1, std::to_string(exists ? acId : LastInsertId(db)));
}

// A refusal of a delete or change of id: code 0 and the reason.
Answer Refused(const std::string& why) {
  return UpdateAnswer(0, why);
}

}  // namespace

// MN_GetCustomerList corp, user: ids of the customers in use.
Answer MN_GetCustomerList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  RequireReadRight(db, corp, CheckKey("user id", TextArg(args, 1), 6), RecordKind::kCustomers);
  Query q(db, "SELECT cust_id FROM customer WHERE corp_id = ? AND status <> 0 ORDER BY cust_id");
  q.Bind(corp);
  return TextRows(q, 1);
}

// MN_GetPropOfCustomer corp, customer: id, corporation, name, name and address,
// remark, e-mail, operator, status.
Answer MN_GetPropOfCustomer(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string cust = CheckKey("customer id", TextArg(args, 1), 24);
  Query q(db,
          "SELECT cust_id, corp_id, cust_name, name_addr, remark, email, operator, status"
          " FROM customer WHERE corp_id = ? AND cust_id = ?");
  q.Bind(corp).Bind(cust);
  if (!q.Next()) {
    throw ProcedureError("customer " + cust + " of corporation " + corp + " does not exist");
  }
  return OneRow({q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4), q.Text(5), q.Text(6),
                 std::to_string(q.Int(7))});
}

// MN_UpdateCustomerRec function, the customer record: creates or changes the
// customer; answers 1 and the customer id, or 0 / -1 and the reason.
Answer MN_UpdateCustomerRec(Db& db, const Args& args) {
  return UpdateOrRefuse(db, UpdateCustomer, args);
}

// MN_CustomerExists customer, corp: the existence count.
Answer MN_CustomerExists(Db& db, const Args& args) {
  std::string cust = CheckText("customer id", Trim(TextArg(args, 0)), 24);
  std::string corp = CorpArg(TextArg(args, 1));
  return OneRow({std::to_string(cust.empty() ? kNone : CustomerCount(db, corp, cust))});
}

// MN_CustomerDelete customer, corp: deletes the customer with its bank accounts,
// unless unfinished business names it. Business history keeps its own copy.
Answer MN_CustomerDelete(Db& db, const Args& args) {
  std::string cust = CheckKey("customer id", TextArg(args, 0), 24);
  std::string corp = CorpArg(TextArg(args, 1));
  switch (CustomerCount(db, corp, cust)) {
    case kNone:
      return Refused("customer " + cust + " does not exist");
    case kInUse:
      return Refused("customer " + cust + " is named by unfinished business");
    default:
      break;
  }
  Execute(db, "DELETE FROM cust_account WHERE corp_id = ? AND cust_id = ?", corp, cust);
  Execute(db, "DELETE FROM customer WHERE corp_id = ? AND cust_id = ?", corp, cust);
  return UpdateAnswer(1, cust);
}

// MN_CustomerUpdate old, new, corp: gives the customer a new id, carried into its
// bank accounts and the business that names it.
Answer MN_CustomerUpdate(Db& db, const Args& args) {
  std::string from = CheckKey("customer id", TextArg(args, 0), 24);
  std::string to = CheckKey("new customer id", TextArg(args, 1), 24);
  std::string corp = CorpArg(TextArg(args, 2));
  Count count = CustomerCount(db, corp, from);
  if (count == kNone) {
    return Refused("customer " + from + " does not exist");
  }
  if (count == kInUse) {
    return Refused("customer " + from + " is named by unfinished business");
  }
  if (CustomerCount(db, corp, to) != kNone) {
    return Refused("customer " + to + " already exists");
  }
  // The accounts follow the customer through their foreign key (ON UPDATE CASCADE);
  // the record keeps its operator, since a change of id is nobody's new entry.
  Execute(db, "UPDATE customer SET cust_id = ? WHERE corp_id = ? AND cust_id = ?", to, corp, from);
  Execute(
      db,
      "UPDATE business SET payee_id = ? WHERE corp_id = ? AND payee_kind = 'C' AND payee_id = ?",
      to, corp, from);
  return UpdateAnswer(1, to);
}

// MN_CustSnapIn function, corp, user, customer, account, name, bank: imports one
// customer with its CNY account. Answers "1 ..." when the customer and account are
// there afterwards, "0 reason" when the line is refused (nothing is changed).
Answer MN_CustSnapIn(Db& db, const Args& args) {
  try {
    std::int64_t function = IntArg(args, 0);
    std::string corp = CorpArg(TextArg(args, 1));
    std::string op = CheckKey("user id", TextArg(args, 2), 6);
    std::string cust = CheckKey("customer id", TextArg(args, 3), 24);
    std::string acNo = CheckText("account number", Trim(TextArg(args, 4)), 36);
    std::string name = CheckText("customer name", Trim(TextArg(args, 5)), 80);
    std::string bank = CheckText("bank name", Trim(TextArg(args, 6)), 80);
    RequireCorp(db, corp);
    Savepoint step(db);
    Count count = CustomerCount(db, corp, cust);
    if (count == kNone) {
      if (name.empty()) {
        throw ProcedureError("customer name is empty");
      }
      RequireFunctionRight(db, corp, op, function, RecordKind::kCustomers, {kAdd}, "add customers");
    } else {
      RequireFunctionRight(db, corp, op, function, RecordKind::kCustomers, {kAdd, kModify},
                           "add accounts");
    }
    if (!acNo.empty() && bank.empty()) {
      throw ProcedureError("bank name is empty");
    }
    if (count == kNone) {
      Execute(db,
              "INSERT INTO customer(corp_id, cust_id, cust_name, operator, status)"
              " VALUES (?, ?, ?, ?, 1)",
              corp, cust, name, op);
    }
    std::string done = "1 customer " + cust + " imported without account";
    if (!acNo.empty()) {
      if (SelectInt(db,
                    "SELECT 1 FROM cust_account WHERE corp_id = ? AND cust_id = ?"
                    " AND currency = 'CNY' AND ac_no = ?",
                    0, corp, cust, acNo) != 0) {
        done = "1 customer " + cust + " already has account " + acNo;
      } else {
        Execute(db,
                "INSERT INTO cust_account(corp_id, cust_id, currency, ac_no, cny_bank, operator,"
                " status) VALUES (?, ?, 'CNY', ?, ?, ?, 1)",
                corp, cust, acNo, bank, op);
        done = "1 customer " + cust + " imported with account " + acNo;
      }
    }
    step.Release();
    return OneRow({done});
  } catch (const ProcedureError& e) {
    return OneRow({std::string("0 ") + e.what()});
  }
}

// MN_CustExport corp, type: type 0 one row per CNY account (customer id, name,
// account number, bank, as the import reads them); type 1 one row per foreign-
// currency account (customer id, name and address, currency, account number, bank
// type, account at the bank, bank name and address, intermediary bank id). The rows
// go to the caller as they are read: a corporation's customers run to any number.
void MN_CustExportRows(Db& db, const Args& args, RowSink& rows) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::int64_t type = IntArg(args, 1);
  RequireCorp(db, corp);
  std::vector<std::string> row;
  if (type == 0) {
    Query q(db,
            "SELECT c.cust_id, c.cust_name, a.ac_no, a.cny_bank FROM customer c"
            " JOIN cust_account a ON a.corp_id = c.corp_id AND a.cust_id = c.cust_id"
            " WHERE c.corp_id = ? AND a.currency = 'CNY' ORDER BY c.cust_id, a.ac_id");
    q.Bind(corp);
    while (q.Next()) {
      row.assign({q.Text(0), q.Text(1), q.Text(2), q.Text(3)});
      rows.Row(row);
    }
  } else if (type == 1) {
    Query q(db,
            "SELECT c.cust_id, c.name_addr, a.currency, a.ac_no, a.bank_type, a.bank_ac_no,"
            " a.bank_name_addr, coalesce(a.int_bank_id, 0) FROM customer c"
            " JOIN cust_account a ON a.corp_id = c.corp_id AND a.cust_id = c.cust_id"
            " WHERE c.corp_id = ? AND a.currency <> 'CNY' ORDER BY c.cust_id, a.ac_id");
    q.Bind(corp);
    while (q.Next()) {
      row.assign({q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4), q.Text(5), q.Text(6),
                  std::to_string(q.Int(7))});
      rows.Row(row);
    }
  } else {
    throw ProcedureError("export type " + std::to_string(type) + " is not 0 (CNY) or 1 (foreign)");
  }
}

Answer MN_CustExport(Db& db, const Args& args) {
  return CollectRows(db, args, MN_CustExportRows);
}

// MN_GetPropOfCustAc id: the customer account record (field 5: the customer name).
Answer MN_GetPropOfCustAc(Db& db, const Args& args) {
  std::int64_t acId = IntArg(args, 0);
  Query q(db,
          "SELECT a.ac_id, a.cust_id, a.corp_id, a.currency, a.ac_no, c.cust_name, a.cny_bank,"
          " coalesce(a.int_bank_id, 0), a.bank_type, a.bank_ac_no, a.bank_name_addr,"
          " a.operator, a.status FROM cust_account a"
          " JOIN customer c ON c.corp_id = a.corp_id AND c.cust_id = a.cust_id"
          " WHERE a.ac_id = ?");
  q.Bind(acId);
  if (!q.Next()) {
    throw ProcedureError("customer account " + std::to_string(acId) + " does not exist");
  }
  return OneRow({std::to_string(q.Int(0)), q.Text(1), q.Text(2), q.Text(3), q.Text(4), q.Text(5),
                 q.Text(6), std::to_string(q.Int(7)), q.Text(8), q.Text(9), q.Text(10), q.Text(11),
                 std::to_string(q.Int(12))});
}

// MN_UpdateCustAcRec function, the account record: id 0 or less adds an account,
// else changes it; answers 1 and the account id, or 0 / -1 and the reason.
Answer MN_UpdateCustAcRec(Db& db, const Args& args) {
  return UpdateOrRefuse(db, UpdateCustAc, args);
}

// MN_GetCustAcFolder lang, corp, user, customer: one row per account: "930:" and the
// function's name, account id, customer id, currency, account number, bank, status.
Answer MN_GetCustAcFolder(Db& db, const Args& args) {
  std::string lang = Trim(TextArg(args, 0));
  std::string corp = CorpArg(TextArg(args, 1));
  std::string user = CheckKey("user id", TextArg(args, 2), 6);
  std::string cust = CheckKey("customer id", TextArg(args, 3), 24);
  RequireReadRight(db, corp, user, RecordKind::kCustomerAccounts);
  if (CustomerCount(db, corp, cust) == kNone) {
    throw ProcedureError("customer " + cust + " of corporation " + corp + " does not exist");
  }
  std::string caption = std::to_string(kCustAcFunction) + ":";
  {
    Query n(db,
            "SELECT CASE ? WHEN 'EN' THEN name_en WHEN 'JP' THEN"
            " CASE WHEN name_jp <> '' THEN name_jp ELSE name_en END ELSE name_cn END"
            " FROM view_node WHERE node_id = ?");
    n.Bind(lang).Bind(kCustAcFunction);
    if (n.Next()) {
      caption += n.Text(0);
    }
  }
  Query q(db,
          "SELECT ac_id, cust_id, currency, ac_no,"
          " CASE WHEN currency = 'CNY' THEN cny_bank ELSE bank_name_addr END, status"
          " FROM cust_account WHERE corp_id = ? AND cust_id = ? ORDER BY ac_id");
  q.Bind(corp).Bind(cust);
  Answer out;
  while (q.Next()) {
    std::string bank = q.Text(4);
    bank = bank.substr(0, bank.find("\r\n"));
    const char* status =
        q.Int(5) == 0 ? (lang == "EN" ? "Deleted" : "已删除") : (lang == "EN" ? "Active" : "使用");
    out.rows.push_back(
        {caption, std::to_string(q.Int(0)), q.Text(1), q.Text(2), q.Text(3), bank, status});
  }
  return out;
}

}  // namespace host
