// What an operator may do: the rights mask of a user on a function node, and the rule
// that binds rights to the kind of record a command touches rather than to whatever
// function id the command names. The function table (view_node) says which module
// entry point serves each node; a kind of record is edited only through the nodes
// whose entry point edits that kind, and read only by an active operator with the
// query right on a node whose entry point shows it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "host/Procedure.h"

namespace host {

class Db;

// Right positions, counted from 1 as in the rights mask.
enum Right { kQuery = 1, kAdd = 2, kModify = 3, kDelete = 4 };

// True when the mask grants any of the given positions.
bool Grants(const std::string& mask, std::initializer_list<Right> any);

// The user's rights mask on a function node, "00000000" when the user is not an
// active member of the corporation or has no rights there.
std::string NodeRights(Db& db, const std::string& corp, const std::string& user, std::int64_t node);

// A refusal for want of rights; an update answers it with code -1, a read fails with
// its text.
class RightsError : public ProcedureError {
 public:
  using ProcedureError::ProcedureError;
};

// The kinds of record (and of list) whose rights follow the function table.
enum class RecordKind {
  kCustomers,
  kCustomerAccounts,
  kCnyPayees,
  kCorpAccounts,
  kUsageTexts,
  kAccountOrder,
  kCheckList,
  kAuthoriseList,
  kSendList,
  kDeletedList,
  kRejectedList,
  kBusinessTrails,
};

// The kind's name as refusals say it ("customers").
const char* KindName(RecordKind kind);

// Whether a module entry point edits records of the kind, or shows them (every
// editor shows what it edits).
bool EditsKind(RecordKind kind, const std::string& entry);
bool ShowsKind(RecordKind kind, const std::string& entry);

// Raises RightsError unless the user is an active member (status 2) of the
// corporation; the text says why not (unknown, outside the corporation, deleted,
// awaiting review or activation). An unknown corporation raises ProcedureError.
void RequireActiveMember(Db& db, const std::string& corp, const std::string& user);

// Raises RightsError unless the function node's entry point edits the kind (an
// unknown node and a node that no module serves edit nothing).
void RequireEditingFunction(Db& db, std::int64_t function, RecordKind kind);

// An update that names its function: raises RightsError unless the function node's
// entry point edits the kind and the user, an active member, holds one of the rights
// on that node; action names what was refused ("add the customer").
void RequireFunctionRight(Db& db, const std::string& corp, const std::string& user,
                          std::int64_t function, RecordKind kind, std::initializer_list<Right> any,
                          const char* action);

// A change that names no function: raises RightsError unless the user, an active
// member, holds one of the rights on some node whose entry point edits the kind.
void RequireEditRight(Db& db, const std::string& corp, const std::string& user, RecordKind kind,
                      std::initializer_list<Right> any, const char* action);

// A read that carries the operator: raises RightsError unless the user, an active
// member, holds the query right on some node whose entry point shows the kind.
void RequireReadRight(Db& db, const std::string& corp, const std::string& user, RecordKind kind);

}  // namespace host
