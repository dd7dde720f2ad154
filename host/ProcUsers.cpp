// Bank users, their corporations and review lists, and the user report.
#include "host/ProcCommon.h"
#include "host/ProcList.h"
#include "host/SqlUtil.h"

namespace host {

namespace {

std::string UserArg(const Args& args, std::size_t i) {
  return CheckKey("user id", TextArg(args, i), 6);
}

// A user as an item of the review list: the id before any ':' or blank, so that an
// item text of id and name names the same user.
std::string ItemUserId(const std::string& text) {
  std::string id = Trim(text);
  std::size_t cut = id.find_first_of(": \t");
  if (cut != std::string::npos) {
    id.resize(cut);
  }
  return CheckKey("reviewed user id", id, 6);
}

}  // namespace

// MN_GetPropOfUser user: id, corporation, level, name, corporation name, status.
Answer MN_GetPropOfUser(Db& db, const Args& args) {
  std::string user = UserArg(args, 0);
  Query q(db,
          "SELECT u.user_id, u.corp_id, u.level, u.user_name, c.corp_name, u.status"
          " FROM bank_user u JOIN corp c ON c.corp_id = u.corp_id WHERE u.user_id = ?");
  q.Bind(user);
  if (!q.Next()) {
    throw ProcedureError("user " + user + " does not exist");
  }
  return OneRow({q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4), std::to_string(q.Int(5))});
}

// MN_GetCorpName corp: the corporation's name.
Answer MN_GetCorpName(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  Query q(db, "SELECT corp_name FROM corp WHERE corp_id = ?");
  q.Bind(corp);
  if (!q.Next()) {
    throw ProcedureError("corporation " + corp + " does not exist");
  }
  return OneRow({q.Text(0)});
}

// MN_GetUserCorpList lang, user: one row per corporation of the user, the id padded
// to four characters and then the name, as the user dialog reads it.
Answer MN_GetUserCorpList(Db& db, const Args& args) {
  std::string lang = Trim(TextArg(args, 0));
  if (lang != "CN" && lang != "EN" && lang != "JP") {
    throw ProcedureError("unknown language id '" + lang + "' (CN, EN or JP)");
  }
  std::string user = UserArg(args, 1);
  if (SelectInt(db, "SELECT 1 FROM bank_user WHERE user_id = ?", 0, user) == 0) {
    throw ProcedureError("user " + user + " does not exist");
  }
  Query q(db,
          "SELECT c.corp_id, c.corp_name FROM user_corp m JOIN corp c ON c.corp_id = m.corp_id"
          " WHERE m.user_id = ? ORDER BY c.corp_id");
  q.Bind(user);
  Answer out;
  while (q.Next()) {
    std::string id = q.Text(0);
    id.resize(4, ' ');
    out.rows.push_back({id + " " + q.Text(1)});
  }
  return out;
}

// MN_GetUserList corp, user: ids of the corporation's other users not deleted.
Answer MN_GetUserList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = UserArg(args, 1);
  RequireMember(db, corp, user);
  Query q(db,
          "SELECT u.user_id FROM user_corp m JOIN bank_user u ON u.user_id = m.user_id"
          " WHERE m.corp_id = ? AND u.user_id <> ? AND u.status <> 0 ORDER BY u.user_id");
  q.Bind(corp).Bind(user);
  return TextRows(q, 1);
}

// MN_GetCheckUserList corp, user: the users whose records the user checks.
Answer MN_GetCheckUserList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = UserArg(args, 1);
  RequireMember(db, corp, user);
  Query q(db,
          "SELECT maker_id FROM review_list WHERE corp_id = ? AND checker_id = ?"
          " ORDER BY maker_id");
  q.Bind(corp).Bind(user);
  return TextRows(q, 1);
}

// MN_DeleteUserCheckList corp, user: empties the user's review list.
Answer MN_DeleteUserCheckList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = UserArg(args, 1);
  RequireMember(db, corp, user);
  Execute(db, "DELETE FROM review_list WHERE corp_id = ? AND checker_id = ?", corp, user);
  return {};
}

// MN_InsertUserCheckList corp, user, item: puts a user of the corporation on the
// user's review list; nobody reviews himself.
Answer MN_InsertUserCheckList(Db& db, const Args& args) {
  std::string corp = CorpArg(TextArg(args, 0));
  std::string user = UserArg(args, 1);
  std::string maker = ItemUserId(TextArg(args, 2));
  RequireMember(db, corp, user);
  RequireMember(db, corp, maker);
  if (maker == user) {
    throw ProcedureError("user " + user + " cannot review his own records");
  }
  Execute(db,
          "INSERT INTO review_list(corp_id, checker_id, maker_id) VALUES (?, ?, ?)"
          " ON CONFLICT DO NOTHING",
          corp, user, maker);
  return {};
}

namespace {

// The report's select, in two parts around the quoted corporation id.
constexpr std::string_view kReportHead =
    "select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then '待激活' "
    "else '停用' end) Status,convert(char(10),CardDate,120) FromDate,"
    "convert(char(10),ExpiryDate,120) ExpiryDate,convert(char(10),CardDate,120) CardDate "
    "from tb_mn_login where CorpId=";

}  // namespace

// Recognises the report's select exactly: the template, then one quoted text (inner
// quotes doubled) and nothing after it.
bool MatchUserReportSelect(const std::string& utf8Sql, std::string& corpId) {
  std::string_view sql(utf8Sql);
  if (sql.substr(0, kReportHead.size()) != kReportHead) {
    return false;
  }
  std::string_view rest = sql.substr(kReportHead.size());
  if (rest.size() < 2 || rest.front() != '\'') {
    return false;
  }
  std::string id;
  std::size_t i = 1;
  for (;; ++i) {
    if (i >= rest.size()) {
      return false;
    }
    if (rest[i] == '\'') {
      if (i + 1 < rest.size() && rest[i + 1] == '\'') {
        id += '\'';
        ++i;
        continue;
      }
      break;
    }
    id += rest[i];
  }
  if (i + 1 != rest.size()) {
    return false;
  }
  corpId = id;
  return true;
}

// The users whose home corporation is corpId: id, name, level, status text, and the
// card date (twice, as the report reads it) and the expiry date as YYYY-MM-DD.
Answer RunUserReport(Db& db, const std::string& corpId) {
  std::string corp = CorpArg(corpId);
  RequireCorp(db, corp);
  Query q(db,
          "SELECT user_id, user_name, level,"
          " CASE status WHEN 2 THEN '启用' WHEN 9 THEN '待激活' ELSE '停用' END,"
          " coalesce(substr(card_date, 1, 10), ''), coalesce(substr(expiry_date, 1, 10), ''),"
          " coalesce(substr(card_date, 1, 10), '')"
          " FROM bank_user WHERE corp_id = ? ORDER BY user_id");
  q.Bind(corp);
  Answer out;
  while (q.Next()) {
    out.rows.push_back(
        {q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4), q.Text(5), q.Text(6)});
  }
  return out;
}

}  // namespace host
