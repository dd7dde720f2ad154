// Rights of operators: masks on function nodes, active membership, and the table of
// which module entry points edit or show each kind of record. The nodes that count
// for a kind are found in the function table by their entry point, so a bank that
// serves customers from another node (or several) needs no change here.
#include "host/OperatorRights.h"

#include <array>
#include <string_view>

#include "host/ProcCommon.h"
#include "host/SqlUtil.h"

namespace host {

namespace {

// One kind of record: the entry points that edit it, and those that only show it
// (the editors show it too). Empty names fill the fixed arrays.
struct KindRule {
  RecordKind kind;
  const char* name;
  std::array<std::string_view, 1> editors;
  std::array<std::string_view, 2> viewers;
};

// The customer dialog opens the account list, and the account list and the account
// dialog both list the corporation's customers, so the three show customers and
// their accounts alike; each kind is edited by its own dialog only.
constexpr KindRule kRules[] = {
    {RecordKind::kCustomers,
     "customers",
     {"Mn_CustomerEdit"},
     {"Mn_CustAcNoList", "Mn_CustAcEdit"}},
    {RecordKind::kCustomerAccounts,
     "customer bank accounts",
     {"Mn_CustAcEdit"},
     {"Mn_CustAcNoList", "Mn_CustomerEdit"}},
    {RecordKind::kCnyPayees, "CNY payees", {"Mn_CustCNYAcEdit"}, {}},
    {RecordKind::kCorpAccounts, "corporate accounts", {"Mn_AcEdit"}, {}},
    {RecordKind::kUsageTexts, "payment usage texts", {"Mn_UsageEdit"}, {}},
    {RecordKind::kAccountOrder, "the account order", {"Mn_AcOrderEdit"}, {}},
    {RecordKind::kCheckList, "the records to check", {}, {"Mn_GetCheckList"}},
    {RecordKind::kAuthoriseList, "the records to authorise", {}, {"Mn_GetAuthoriseList"}},
    {RecordKind::kSendList, "the records to send", {}, {"Mn_GetSendList"}},
    {RecordKind::kDeletedList, "the deleted records", {}, {"Mn_GetDeletedList"}},
    {RecordKind::kRejectedList, "the rejected records", {}, {"Mn_GetRejectedList"}},
    {RecordKind::kBusinessTrails, "the trails of business records", {}, {"Mn_StatusFolderList"}},
};

const KindRule& RuleOf(RecordKind kind) {
  for (const KindRule& rule : kRules) {
    if (rule.kind == kind) {
      return rule;
    }
  }
  throw ProcedureError("no rights rule for this kind of record");
}

template <std::size_t N>
bool Names(const std::array<std::string_view, N>& entries, const std::string& entry) {
  for (std::string_view e : entries) {
    if (!e.empty() && e == entry) {
      return true;
    }
  }
  return false;
}

// Whether the user holds one of the rights on some node whose entry point edits (or,
// with edit false, shows) the kind. The caller has checked that the user is active.
bool HoldsOnKind(Db& db, const std::string& corp, const std::string& user, RecordKind kind,
                 bool edit, std::initializer_list<Right> any) {
  Query q(db,
          "SELECT n.entry, r.rights FROM node_right r JOIN view_node n ON n.node_id = r.node_id"
          " WHERE r.corp_id = ? AND r.user_id = ?");
  q.Bind(corp).Bind(user);
  while (q.Next()) {
    std::string entry = q.Text(0);
    bool serves = edit ? EditsKind(kind, entry) : ShowsKind(kind, entry);
    if (serves && Grants(q.Text(1), any)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool Grants(const std::string& mask, std::initializer_list<Right> any) {
  for (Right r : any) {
    std::size_t at = static_cast<std::size_t>(r) - 1;
    if (at < mask.size() && mask[at] == '1') {
      return true;
    }
  }
  return false;
}

std::string NodeRights(Db& db, const std::string& corp, const std::string& user,
                       std::int64_t node) {
  Query q(db,
          "SELECT r.rights FROM node_right r"
          " JOIN user_corp m ON m.user_id = r.user_id AND m.corp_id = r.corp_id"
          " JOIN bank_user u ON u.user_id = r.user_id"
          " WHERE r.corp_id = ? AND r.user_id = ? AND r.node_id = ? AND u.status = 2");
  q.Bind(corp).Bind(user).Bind(node);
  return q.Next() ? q.Text(0) : std::string("00000000");
}

const char* KindName(RecordKind kind) {
  return RuleOf(kind).name;
}

bool EditsKind(RecordKind kind, const std::string& entry) {
  return Names(RuleOf(kind).editors, entry);
}

bool ShowsKind(RecordKind kind, const std::string& entry) {
  const KindRule& rule = RuleOf(kind);
  return Names(rule.editors, entry) || Names(rule.viewers, entry);
}

void RequireActiveMember(Db& db, const std::string& corp, const std::string& user) {
  // One query for the corporation, the user and the membership: every read that
  // carries the operator starts here, and on a shared bank each query is a round
  // trip to the server.
  Query q(db,
          "SELECT CASE WHEN c.corp_id IS NULL THEN 0 ELSE 1 END,"
          " CASE WHEN u.user_id IS NULL THEN 0 ELSE 1 END,"
          " CASE WHEN m.user_id IS NULL THEN 0 ELSE 1 END, u.status"
          " FROM (SELECT 1 AS one) x"
          " LEFT JOIN corp c ON c.corp_id = ?"
          " LEFT JOIN bank_user u ON u.user_id = ?"
          " LEFT JOIN user_corp m ON m.user_id = u.user_id AND m.corp_id = c.corp_id");
  q.Bind(corp).Bind(user);
  q.Next();
  if (q.Int(0) == 0) {
    throw ProcedureError("corporation " + corp + " does not exist");
  }
  if (q.Int(1) == 0) {
    throw RightsError("user " + user + " does not exist");
  }
  if (q.Int(2) == 0) {
    throw RightsError("user " + user + " does not belong to corporation " + corp);
  }
  switch (q.Int(3)) {
    case 2:
      return;
    case 0:
      throw RightsError("user " + user + " is deleted");
    case 1:
      throw RightsError("user " + user + " awaits review and may not work yet");
    case 9:
      throw RightsError("user " + user + " awaits activation and may not work yet");
    default:
      throw RightsError("user " + user + " is not in use (status " + std::to_string(q.Int(3)) +
                        ")");
  }
}

void RequireEditingFunction(Db& db, std::int64_t function, RecordKind kind) {
  Query q(db, "SELECT entry FROM view_node WHERE node_id = ?");
  q.Bind(function);
  if (!q.Next()) {
    throw RightsError("function " + std::to_string(function) + " does not exist");
  }
  std::string entry = q.Text(0);
  if (!EditsKind(kind, entry)) {
    throw RightsError("function " + std::to_string(function) +
                      (entry.empty() ? std::string() : " (" + entry + ")") + " does not edit " +
                      KindName(kind));
  }
}

void RequireFunctionRight(Db& db, const std::string& corp, const std::string& user,
                          std::int64_t function, RecordKind kind, std::initializer_list<Right> any,
                          const char* action) {
  RequireEditingFunction(db, function, kind);
  RequireActiveMember(db, corp, user);
  if (!Grants(NodeRights(db, corp, user, function), any)) {
    throw RightsError("user " + user + " has no right to " + action + " (function " +
                      std::to_string(function) + ")");
  }
}

void RequireEditRight(Db& db, const std::string& corp, const std::string& user, RecordKind kind,
                      std::initializer_list<Right> any, const char* action) {
  RequireActiveMember(db, corp, user);
  if (!HoldsOnKind(db, corp, user, kind, true, any)) {
    throw RightsError("user " + user + " has no right to " + action + " (no function that edits " +
                      KindName(kind) + " grants it)");
  }
}

void RequireReadRight(Db& db, const std::string& corp, const std::string& user, RecordKind kind) {
  RequireActiveMember(db, corp, user);
  if (!HoldsOnKind(db, corp, user, kind, false, {kQuery})) {
    throw RightsError("user " + user + " may not read " + KindName(kind) +
                      " (no query right on a function that shows them)");
  }
}

}  // namespace host
