// The shell's side: the function tree as an outline, the module serving a node, and
// the rights of a user on the nodes.
#include <map>
#include <set>

#include "host/OperatorRights.h"
#include "host/ProcCommon.h"
#include "host/ProcList.h"
#include "host/SqlUtil.h"

namespace host {

namespace {

struct Node {
  std::int64_t id;
  std::int64_t parent;  // 0 at the top
  std::string name;
};

// The column of a node's name for a language id of the module.
const char* NodeListSql(const std::string& lang) {
  if (lang == "CN") {
    return "SELECT node_id, coalesce(parent_id, 0), name_cn FROM view_node"
           " ORDER BY position, node_id";
  }
  if (lang == "EN") {
    return "SELECT node_id, coalesce(parent_id, 0), name_en FROM view_node"
           " ORDER BY position, node_id";
  }
  if (lang == "JP") {
    return "SELECT node_id, coalesce(parent_id, 0),"
           " CASE WHEN name_jp <> '' THEN name_jp ELSE name_en END FROM view_node"
           " ORDER BY position, node_id";
  }
  throw ProcedureError("unknown language id '" + lang + "' (CN, EN or JP)");
}

// Writes node and its children depth first, one tab per level.
void Outline(const std::multimap<std::int64_t, const Node*>& children, std::int64_t parent,
             std::size_t depth, const std::set<std::int64_t>* keep, Answer& out) {
  auto [from, to] = children.equal_range(parent);
  for (auto it = from; it != to; ++it) {
    const Node& n = *it->second;
    if (keep != nullptr && keep->count(n.id) == 0) {
      continue;
    }
    out.rows.push_back({std::string(depth, '\t') + std::to_string(n.id) + ":" + n.name});
    Outline(children, n.id, depth + 1, keep, out);
  }
}

// Node id, rights mask: validates a mask of up to eight '0'/'1' and pads it.
std::string CheckMask(const std::string& text) {
  std::string mask = Trim(text);
  if (mask.size() > 8 || mask.find_first_not_of("01") != std::string::npos) {
    throw ProcedureError("rights mask '" + mask + "' is not up to eight 0/1 characters");
  }
  mask.resize(8, '0');
  return mask;
}

void RequireNode(Db& db, std::int64_t node) {
  if (SelectInt(db, "SELECT 1 FROM view_node WHERE node_id = ?", 0, node) == 0) {
    throw ProcedureError("function node " + std::to_string(node) + " does not exist");
  }
}

}  // namespace

// Sh_GetViewNodeList lang, corp, filter: every node ('', '') or, with a corporation
// and a user id as filter, the nodes the user may query and their parents.
Answer Sh_GetViewNodeList(Db& db, const Args& args) {
  std::string lang = Trim(TextArg(args, 0));
  std::string corp = Trim(TextArg(args, 1));
  std::string user = Trim(TextArg(args, 2));
  std::vector<Node> nodes;
  {
    Query q(db, NodeListSql(lang));
    while (q.Next()) {
      nodes.push_back({q.Int(0), q.Int(1), q.Text(2)});
    }
  }
  std::multimap<std::int64_t, const Node*> children;
  for (const Node& n : nodes) {
    children.emplace(n.parent, &n);
  }

  Answer out;
  if (corp.empty() && user.empty()) {
    Outline(children, 0, 0, nullptr, out);
    return out;
  }
  corp = CorpArg(corp);
  RequireMember(db, corp, user);
  std::map<std::int64_t, std::int64_t> parentOf;
  for (const Node& n : nodes) {
    parentOf[n.id] = n.parent;
  }
  std::set<std::int64_t> keep;
  for (const Node& n : nodes) {
    if (!Grants(NodeRights(db, corp, user, n.id), {kQuery})) {
      continue;
    }
    for (std::int64_t id = n.id; id != 0 && keep.insert(id).second; id = parentOf[id]) {
    }
  }
  Outline(children, 0, 0, &keep, out);
  return out;
}

// Sh_GetFunctionName id, sub: library, entry point, parameter and extra text of the
// module serving the node; sub id 0 is the node itself, the only one there is.
Answer Sh_GetFunctionName(Db& db, const Args& args) {
  std::int64_t node = IntArg(args, 0);
  if (IntArg(args, 1) != 0) {
    throw ProcedureError("function " + std::to_string(node) + " has no sub function " +
                         std::to_string(IntArg(args, 1)));
  }
  Query q(db, "SELECT library, entry, param, extra FROM view_node WHERE node_id = ?");
  q.Bind(node);
  if (!q.Next()) {
    throw ProcedureError("function " + std::to_string(node) + " does not exist");
  }
  return OneRow({q.Text(0), q.Text(1), q.Text(2), q.Text(3)});
}

// Sh_GetNodeRight corp, user, node: the mask; no rights is an answer, not an error.
Answer Sh_GetNodeRight(Db& db, const Args& args) {
  return OneRow({NodeRights(db, Trim(TextArg(args, 0)), Trim(TextArg(args, 1)), IntArg(args, 2))});
}

// MN_GetNodeRightList corp, user: section "Right" of the rights file, node=mask.
Answer MN_GetNodeRightList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = CheckKey("user id", TextArg(args, 1), 6);
  RequireMember(db, corp, user);
  Answer out = Lines({"[Right]"});
  Query q(db,
          "SELECT node_id, rights FROM node_right WHERE corp_id = ? AND user_id = ?"
          " ORDER BY node_id");
  q.Bind(corp).Bind(user);
  while (q.Next()) {
    out.rows.push_back({std::to_string(q.Int(0)) + "=" + q.Text(1)});
  }
  return out;
}

// MN_DeleteUserRightList corp, user, node: the user loses every right on the node.
Answer MN_DeleteUserRightList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = CheckKey("user id", TextArg(args, 1), 6);
  RequireMember(db, corp, user);
  RequireNode(db, IntArg(args, 2));
  Execute(db, "DELETE FROM node_right WHERE corp_id = ? AND user_id = ? AND node_id = ?", corp,
          user, IntArg(args, 2));
  return {};
}

// MN_UpdateRightItem corp, user, node, mask: stores the user's mask on the node.
Answer MN_UpdateRightItem(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = CheckKey("user id", TextArg(args, 1), 6);
  RequireMember(db, corp, user);
  RequireNode(db, IntArg(args, 2));
  std::string mask = CheckMask(TextArg(args, 3));
  Execute(db,
          "INSERT INTO node_right(corp_id, user_id, node_id, rights) VALUES (?, ?, ?, ?)"
          " ON CONFLICT(corp_id, user_id, node_id) DO UPDATE SET rights = excluded.rights",
          corp, user, IntArg(args, 2), mask);
  return {};
}

}  // namespace host
