// Demonstration data of a new database. Everything here is invented: corporations,
// people, accounts, customers and the banks of the SWIFT directory (generated from
// name parts, so the same every time).
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <variant>

#include "host/Database.h"
#include "host/Procedure.h"

namespace host {

namespace {

using Cell = std::variant<std::nullptr_t, std::int64_t, std::string>;

// Inserts one row with bound values.
void Row(Db& db, const char* sql, std::initializer_list<Cell> cells) {
  Statement& stmt = db.Prepare(sql);
  int i = 1;
  for (const Cell& c : cells) {
    if (const auto* n = std::get_if<std::int64_t>(&c)) {
      stmt.Bind(i, *n);
    } else if (const auto* s = std::get_if<std::string>(&c)) {
      stmt.Bind(i, *s);
    } else {
      stmt.BindNull(i);
    }
    ++i;
  }
  try {
    stmt.Step();
  } catch (const std::exception& e) {
    stmt.Reset();
    throw std::runtime_error(std::string("demonstration data: ") + e.what() + " in " + sql);
  }
  stmt.Reset();
}

Cell S(const char* text) {
  return std::string(text);
}
Cell N(std::int64_t n) {
  return n;
}

void Corporations(Db& db) {
  const char* sql = "INSERT INTO corp(corp_id, corp_name) VALUES (?, ?)";
  Row(db, sql, {S("0012"), S("演示贸易有限公司")});
  Row(db, sql, {S("0020"), S("华东机电进出口公司")});
  Row(db, sql, {S("0031"), S("明远科技有限公司")});

  const char* cur = "INSERT INTO currency(code, name, decimals) VALUES (?, ?, ?)";
  Row(db, cur, {S("CNY"), S("人民币"), N(2)});
  Row(db, cur, {S("USD"), S("美元"), N(2)});
  Row(db, cur, {S("HKD"), S("港币"), N(2)});
  Row(db, cur, {S("EUR"), S("欧元"), N(2)});
  Row(db, cur, {S("GBP"), S("英镑"), N(2)});
  Row(db, cur, {S("JPY"), S("日元"), N(0)});
}

void Users(Db& db) {
  const char* sql =
      "INSERT INTO bank_user(user_id, corp_id, user_name, level, status, card_date, expiry_date)"
      " VALUES (?, ?, ?, ?, ?, ?, ?)";
  Row(db, sql,
      {S("000001"), S("0012"), S("王建国"), S("D"), N(2), S("2025-03-01"), S("2028-02-29")});
  Row(db, sql, {S("000002"), S("0012"), S("李明"), S("O"), N(2), S("2025-03-01"), S("2027-03-01")});
  Row(db, sql, {S("000003"), S("0012"), S("张丽"), S("A"), N(2), S("2025-04-15"), S("2027-04-15")});
  Row(db, sql, {S("000004"), S("0012"), S("陈刚"), S("B"), N(2), S("2025-06-01"), S("2027-06-01")});
  Row(db, sql, {S("000005"), S("0012"), S("赵敏"), S("S"), N(9), S("2026-11-20"), S("2028-11-20")});
  Row(db, sql, {S("000006"), S("0012"), S("刘洋"), S("O"), N(0), S("2024-01-10"), S("2025-01-10")});
  Row(db, sql, {S("000007"), S("0012"), S("周杰"), S("O"), N(1), S("2026-10-08"), nullptr});
  Row(db, sql, {S("200001"), S("0020"), S("孙伟"), S("D"), N(2), S("2025-09-01"), S("2028-09-01")});
  Row(db, sql, {S("200002"), S("0020"), S("吴芳"), S("O"), N(2), S("2025-09-01"), S("2027-09-01")});
  Row(db, sql, {S("310001"), S("0031"), S("郑浩"), S("D"), N(2), S("2026-02-01"), S("2029-02-01")});

  Row(db, "INSERT INTO user_corp(user_id, corp_id) SELECT user_id, corp_id FROM bank_user", {});
  Row(db, "INSERT INTO user_corp(user_id, corp_id) VALUES ('000001', '0020')", {});

  const char* review = "INSERT INTO review_list(corp_id, checker_id, maker_id) VALUES (?, ?, ?)";
  Row(db, review, {S("0012"), S("000001"), S("000002")});
  Row(db, review, {S("0012"), S("000001"), S("000007")});
  Row(db, review, {S("0012"), S("000003"), S("000002")});
  Row(db, review, {S("0020"), S("200001"), S("200002")});
}

void FunctionTree(Db& db) {
  const char* sql =
      "INSERT INTO view_node(node_id, parent_id, position, name_cn, name_en, name_jp, library,"
      " entry, param) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
  auto node = [&](std::int64_t id, std::int64_t parent, std::int64_t pos, const char* cn,
                  const char* en, const char* jp, const char* entry, const char* param = "") {
    Row(db, sql,
        {N(id), parent == 0 ? Cell(nullptr) : N(parent), N(pos), S(cn), S(en), S(jp),
         S(*entry != '\0' ? "ManageEdit.dll" : ""), S(entry), S(param)});
  };
  node(1, 0, 1, "系统管理", "System", "システム管理", "");
  node(101, 1, 1, "用户设置", "Users", "ユーザー設定", "Mn_UserEdit");
  node(102, 1, 2, "帐号设置", "Accounts", "口座設定", "Mn_AcEdit");
  node(103, 1, 3, "帐号顺序", "Account order", "口座順序", "Mn_AcOrderEdit");
  node(104, 1, 4, "用途设置", "Payment usage", "用途設定", "Mn_UsageEdit");
  node(105, 1, 5, "用户档案报告", "User report", "ユーザー報告", "Mn_UserListPrint");
  node(2, 0, 2, "客户管理", "Customers", "顧客管理", "");
  node(201, 2, 1, "客户设置", "Customer", "顧客設定", "Mn_CustomerEdit");
  node(202, 2, 2, "客户帐号列表", "Customer accounts", "顧客口座一覧", "Mn_CustAcNoList");
  node(930, 2, 3, "客户开户行帐号", "Customer bank account", "顧客銀行口座", "Mn_CustAcEdit", "ID");
  node(203, 2, 4, "人民币收款人", "CNY payee", "人民元受取人", "Mn_CustCNYAcEdit");
  node(3, 0, 3, "业务处理", "Business", "業務処理", "");
  node(12, 3, 1, "汇款", "Remittance", "送金", "Mn_StatusFolderList");
  node(13, 3, 2, "外汇汇款", "Foreign remittance", "外貨送金", "Mn_StatusFolderList");
  node(4, 0, 4, "审核", "Review", "審査", "");
  node(401, 4, 1, "待复核", "To check", "確認待ち", "Mn_GetCheckList");
  node(402, 4, 2, "待授权", "To authorise", "承認待ち", "Mn_GetAuthoriseList");
  node(403, 4, 3, "待发送", "To send", "送信待ち", "Mn_GetSendList");
  node(404, 4, 4, "已删除", "Deleted", "削除済", "Mn_GetDeletedList");
  node(405, 4, 5, "已拒绝", "Rejected", "却下", "Mn_GetRejectedList");
  node(406, 4, 6, "记录审核", "Check record", "記録確認", "Mn_CheckRecord");
  node(407, 4, 7, "处理状态", "Processing status", "処理状況", "Mn_StatusFolderList");

  // Operator 000001 has every right in 0012 and queries in 0020; the others what
  // their level suggests.
  auto rights = [&](const char* corp, const char* user, const char* mask, const char* where) {
    std::string sql2 = std::string(
                           "INSERT INTO node_right(corp_id, user_id, node_id, rights)"
                           " SELECT CAST(? AS TEXT), CAST(? AS TEXT), node_id, CAST(? AS TEXT)"
                           " FROM view_node WHERE ") +
                       where;
    Row(db, sql2.c_str(), {S(corp), S(user), S(mask)});
  };
  rights("0012", "000001", "11111000", "1 = 1");
  rights("0020", "000001", "10000000", "1 = 1");
  rights("0012", "000002", "11110000", "node_id IN (201, 202, 930, 203, 12, 13, 104)");
  rights("0012", "000002", "10000000", "node_id IN (1, 2, 3, 4, 403, 407)");
  rights("0012", "000003", "10000000", "node_id < 400 AND node_id NOT IN (12, 13)");
  rights("0012", "000003", "11111000", "node_id >= 400 OR node_id IN (12, 13)");
  rights("0012", "000004", "10000000", "1 = 1");
  rights("0012", "000007", "11100000", "node_id IN (2, 201, 202, 930, 203, 3, 12, 13)");
  rights("0020", "200001", "11111000", "1 = 1");
  rights("0020", "200002", "11100000", "node_id IN (2, 201, 202, 930, 203, 3, 12, 13)");
  rights("0031", "310001", "11111000", "1 = 1");
}

void Accounts(Db& db) {
  const char* sql =
      "INSERT INTO corp_account(corp_id, ac_no, currency, ac_type, ac_name, status)"
      " VALUES (?, ?, ?, ?, ?, ?)";
  Row(db, sql, {S("0012"), S("310012000100001"), S("CNY"), N(0), S("人民币基本户"), N(1)});
  Row(db, sql, {S("0012"), S("310012000100002"), S("CNY"), N(1), S("人民币定期存款"), N(1)});
  Row(db, sql, {S("0012"), S("310012000200001"), S("USD"), N(0), S("美元结算户"), N(1)});
  Row(db, sql, {S("0012"), S("310012000300001"), S("HKD"), N(0), S("港币结算户"), N(1)});
  Row(db, sql, {S("0012"), S("310012000400001"), S("EUR"), N(0), S("欧元结算户"), N(2)});
  Row(db, sql, {S("0012"), S("310012000500001"), S("JPY"), N(3), S("日元户（已销户）"), N(0)});
  Row(db, sql, {S("0020"), S("320020000100001"), S("CNY"), N(0), S("基本户"), N(1)});
  Row(db, sql, {S("0020"), S("320020000200001"), S("USD"), N(0), S("美元户"), N(1)});
  Row(db, sql, {S("0031"), S("330031000100001"), S("CNY"), N(0), S("基本户"), N(1)});

  Row(db,
      "INSERT INTO account_right(corp_id, user_id, ac_no) SELECT corp_id, '000001', ac_no"
      " FROM corp_account WHERE corp_id = '0012'",
      {});
  const char* right = "INSERT INTO account_right(corp_id, user_id, ac_no) VALUES (?, ?, ?)";
  Row(db, right, {S("0012"), S("000002"), S("310012000100001")});
  Row(db, right, {S("0012"), S("000002"), S("310012000200001")});
  const char* order =
      "INSERT INTO account_order(corp_id, user_id, ac_no, position) VALUES (?, ?, ?, ?)";
  Row(db, order, {S("0012"), S("000001"), S("310012000200001"), N(0)});
  Row(db, order, {S("0012"), S("000001"), S("310012000100001"), N(1)});

  const char* usage =
      "INSERT INTO usage_text(corp_id, position, usage, user_id) VALUES (?, ?, ?, ?)";
  const char* texts[] = {"货款", "运费", "服务费", "工资", "差旅费"};
  for (std::int64_t i = 0; i < 5; ++i) {
    Row(db, usage, {S("0012"), N(i), S(texts[i]), S("000001")});
  }
  Row(db, usage, {S("0020"), N(0), S("设备款"), S("200001")});
  Row(db, usage, {S("0020"), N(1), S("货款"), S("200001")});
}

// The SWIFT directory: each invented bank name in each city has a head office, some
// have one or two branches. Returns nothing; codes are reproducible from the loops.
void SwiftDirectory(Db& db) {
  static const char* const kPrefixes[] = {
      "AURORA",      "BLUE RIVER",    "CEDAR HILL",  "DRAGON GATE",   "EASTERN STAR",
      "FORTUNE BAY", "GOLDEN BRIDGE", "HARBOUR",     "IMPERIAL JADE", "JADE MOUNTAIN",
      "KESTREL",     "LOTUS",         "MERIDIAN",    "NORTHWIND",     "OCEAN PEARL",
      "PINE VALLEY", "QUEENSWAY",     "RED LANTERN", "SILVER CREST",  "TWIN PEAKS"};
  static const char* const kSuffixes[] = {"BANK", "COMMERCIAL BANK", "SAVINGS BANK",
                                          "BANKING CORPORATION"};
  struct City {
    const char* name;
    const char* country;
    const char* location;
    const char* district;
    const char* countryName;
  };
  static const City kCities[] = {{"HONG KONG", "HK", "HH", "CENTRAL", "HONG KONG SAR CHINA"},
                                 {"SHANGHAI", "CN", "SH", "PUDONG NEW AREA", "CHINA"},
                                 {"SINGAPORE", "SG", "SG", "RAFFLES PLACE", "SINGAPORE"},
                                 {"LONDON", "GB", "2L", "CITY OF LONDON", "UNITED KINGDOM"},
                                 {"NEW YORK", "US", "33", "MANHATTAN", "UNITED STATES"},
                                 {"TOKYO", "JP", "JT", "CHIYODA-KU", "JAPAN"},
                                 {"FRANKFURT", "DE", "FF", "INNENSTADT", "GERMANY"},
                                 {"SYDNEY", "AU", "2S", "BARANGAROO", "AUSTRALIA"},
                                 {"PARIS", "FR", "PP", "LA DEFENSE", "FRANCE"},
                                 {"TORONTO", "CA", "TT", "FINANCIAL DISTRICT", "CANADA"}};
  static const char* const kStreets[] = {"KING'S ROAD", "HARBOUR STREET",  "BRIDGE AVENUE",
                                         "MARKET LANE", "RIVERSIDE DRIVE", "TOWER PLACE"};
  const char* sql =
      "INSERT INTO swift_bank(swift_code, bank_name, addr1, addr2, addr3, addr4, city)"
      " VALUES (?, ?, ?, ?, ?, ?, ?)";
  int p = 0;
  for (const char* prefix : kPrefixes) {
    std::string letters;
    for (const char* c = prefix; *c != '\0'; ++c) {
      if (*c != ' ') {
        letters += *c;
      }
    }
    std::string bankCode = letters.substr(0, 2) + static_cast<char>('A' + p) +
                           static_cast<char>('A' + (p * 7 + 3) % 26);
    int c = 0;
    for (const City& city : kCities) {
      std::string name = std::string(prefix) + " " + kSuffixes[(p + c) % 4];
      std::string street = std::to_string(10 + (p * 7 + c * 13) % 90) + " " + kStreets[(p + c) % 6];
      std::string code8 = bankCode + city.country + city.location;
      std::string line3 = std::string(city.name) + " " + std::to_string(10000 + p * 311 + c * 97);
      Row(db, sql,
          {code8 + "XXX", name, street, S(city.district), line3, S(city.countryName),
           S(city.name)});
      int branches = ((p + c) % 3 == 0 ? 1 : 0) + ((p + c) % 4 == 0 ? 1 : 0);
      for (int b = 1; b <= branches; ++b) {
        std::string branch = std::to_string(b * 100 + c);
        Row(db, sql,
            {code8 + branch, name, "BRANCH OFFICE " + std::to_string(b),
             std::to_string(20 + b * 11) + " " + kStreets[(p + c + b) % 6], line3,
             S(city.countryName), S(city.name)});
      }
      ++c;
    }
    ++p;
  }
}

void Banks(Db& db) {
  const char* sql =
      "INSERT INTO bank(bank_id, bank_name, addr1, addr2, addr3, addr4, swift_code)"
      " VALUES (?, ?, ?, ?, ?, ?, ?)";
  Row(db, sql,
      {N(1), S("AURORA BANK"), S("10 KING'S ROAD"), S("CENTRAL"), S("HONG KONG 10000"),
       S("HONG KONG SAR CHINA"), S("AUADHKHHXXX")});
  Row(db, sql,
      {N(2), S("HARBOUR BANKING CORPORATION"), S("21 TOWER PLACE"), S("MANHATTAN"),
       S("NEW YORK 12565"), S("UNITED STATES"), S("HAHAUS33XXX")});
  Row(db, sql,
      {N(3), S("LOTUS SAVINGS BANK"), S("36 BRIDGE AVENUE"), S("CITY OF LONDON"), S("LONDON 13712"),
       S("UNITED KINGDOM"), S("LOLCGB2LXXX")});
  Row(db, sql,
      {N(4), S("中国演示银行上海分行"), S("浦东新区世纪大道100号"), S("上海"), S(""), S(""),
       S("")});
}

void Customers(Db& db) {
  const char* cust =
      "INSERT INTO customer(corp_id, cust_id, cust_name, name_addr, remark, email, operator,"
      " status) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
  Row(db, cust,
      {S("0012"), S("C001"), S("上海远航贸易有限公司"),
       S("YUANHANG TRADING CO LTD\r\n88 CENTURY AVENUE\r\nSHANGHAI CHINA"), S("长期客户"),
       S("finance@yuanhang.example\r\nops@yuanhang.example"), S("000001"), N(1)});
  Row(db, cust,
      {S("0012"), S("C002"), S("香港恒昌贸易公司"),
       S("HANG CHEONG TRADING CO\r\n18 QUEEN'S ROAD CENTRAL\r\nHONG KONG"), S(""),
       S("hc@hangcheong.example"), S("000002"), N(1)});
  Row(db, cust,
      {S("0012"), S("C003"), S("北京新源科技有限公司"), S("XINYUAN TECHNOLOGY CO LTD\r\nBEIJING"),
       S("无账户"), S(""), S("000001"), N(1)});
  Row(db, cust,
      {S("0012"), S("C004"), S("深圳海岸物流有限公司"), S(""), S("有未完成业务"), S(""),
       S("000002"), N(1)});
  Row(db, cust,
      {S("0012"), S("C005"), S("东京樱花商事"),
       S("SAKURA SHOJI KK\r\n1-2-3 MARUNOUCHI\r\nTOKYO JAPAN"), S(""), S(""), S("000001"), N(1)});
  Row(db, cust,
      {S("0020"), S("D001"), S("苏州精工机械厂"), S(""), S(""), S(""), S("200001"), N(1)});

  const char* ac =
      "INSERT INTO cust_account(corp_id, cust_id, currency, ac_no, cny_bank, int_bank_id,"
      " bank_type, bank_ac_no, bank_name_addr, operator, status)"
      " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
  Row(db, ac,
      {S("0012"), S("C001"), S("CNY"), S("622202001234567890"), S("中国工商银行上海分行"), nullptr,
       S(""), S(""), S(""), S("000001"), N(1)});
  Row(db, ac,
      {S("0012"), S("C001"), S("USD"), S("88001234567"), S(""), N(2), S("A"), S("400123"),
       S("AUADHKHHXXX\r\nAURORA BANK\r\n10 KING'S ROAD\r\nCENTRAL\r\nHONG KONG 10000\r\n"
         "HONG KONG SAR CHINA"),
       S("000001"), N(1)});
  Row(db, ac,
      {S("0012"), S("C002"), S("HKD"), S("012-345-6789"), S(""), nullptr, S("D"), S(""),
       S("HARBOUR COMMERCIAL BANK\r\n18 HARBOUR STREET\r\nHONG KONG"), S("000002"), N(1)});
  Row(db, ac,
      {S("0012"), S("C004"), S("CNY"), S("755912345678001"), S("招商银行深圳分行"), nullptr, S(""),
       S(""), S(""), S("000002"), N(1)});
  Row(db, ac,
      {S("0012"), S("C005"), S("JPY"), S("1234567"), S(""), N(1), S("B"), S(""),
       S("LOTUS BANK TOKYO"), S("000001"), N(1)});
  Row(db, ac,
      {S("0020"), S("D001"), S("CNY"), S("6217001122334455"), S("中国建设银行苏州分行"), nullptr,
       S(""), S(""), S(""), S("200001"), N(1)});

  const char* payee =
      "INSERT INTO cny_payee(corp_id, payee_id, ac_name, ac_no, bank_name, operator, status,"
      " remark, email, sms) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
  Row(db, payee,
      {S("0012"), S("P001"), S("杭州明达电子有限公司"), S("1202020209000012345"),
       S("中国工商银行杭州分行"), S("000001"), N(1), S(""), S("pay@mingda.example"),
       S("13800000001")});
  Row(db, payee,
      {S("0012"), S("P002"), S("南京华盛建材有限公司"), S("32001588888800001"),
       S("中国建设银行南京分行"), S("000002"), N(1), S("有历史付款"), S(""), S("")});
  Row(db, payee,
      {S("0012"), S("P003"), S("广州利源食品有限公司"), S("44050123456700002"),
       S("中国银行广州分行"), S("000002"), N(1), S("有未完成付款"), S(""), S("")});
}

void Business(Db& db) {
  const char* biz =
      "INSERT INTO business(biz_no, corp_id, function_id, folder, payee_kind, payee_id,"
      " payee_name, payee_ac_no, debit_ac_no, currency, amount, maker_id, created_at)"
      " VALUES (?, '0012', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
  Row(db, biz,
      {S("B20261201001"), N(12), S("check"), S("P"), S("P003"), S("广州利源食品有限公司"),
       S("44050123456700002"), S("310012000100001"), S("CNY"), N(1250000), S("000002"),
       S("2026-12-01 09:15:00")});
  Row(db, biz,
      {S("B20261201002"), N(13), S("check"), S("C"), S("C004"), S("深圳海岸物流有限公司"),
       S("755912345678001"), S("310012000200001"), S("USD"), N(880050), S("000007"),
       S("2026-12-01 09:40:00")});
  Row(db, biz,
      {S("B20261201003"), N(12), S("authorise"), S(""), S(""), S("上海电力公司"),
       S("310066000000123"), S("310012000100001"), S("CNY"), N(3456780), S("000002"),
       S("2026-12-01 10:05:00")});
  Row(db, biz,
      {S("B20261201004"), N(12), S("send"), S(""), S(""), S("上海自来水公司"), S("310066000000456"),
       S("310012000100001"), S("CNY"), N(98000), S("000002"), S("2026-12-01 11:20:00")});
  Row(db, biz,
      {S("B20261130001"), N(12), S("done"), S("P"), S("P002"), S("南京华盛建材有限公司"),
       S("32001588888800001"), S("310012000100001"), S("CNY"), N(20000000), S("000002"),
       S("2026-11-30 14:00:00")});
  Row(db, biz,
      {S("B20261129001"), N(13), S("deleted"), S("C"), S("C002"), S("香港恒昌贸易公司"),
       S("012-345-6789"), S("310012000300001"), S("HKD"), N(5000000), S("000007"),
       S("2026-11-29 16:30:00")});
  Row(db, biz,
      {S("B20261128001"), N(12), S("rejected"), S(""), S(""), S("北京某某咨询公司"),
       S("110099000000789"), S("310012000100001"), S("CNY"), N(660000), S("000002"),
       S("2026-11-28 08:50:00")});

  const char* audit =
      "INSERT INTO biz_audit(biz_no, seq, user_id, at, action, result) VALUES (?, ?, ?, ?, ?, ?)";
  const char* auth =
      "INSERT INTO biz_authorise(biz_no, seq, level, user_id, at, result) VALUES (?, ?, ?, ?, ?, "
      "?)";
  const char* sign =
      "INSERT INTO biz_sign(biz_no, seq, user_id, at, result) VALUES (?, ?, ?, ?, ?)";
  Row(db, audit,
      {S("B20261201001"), N(1), S("000002"), S("2026-12-01 09:15:00"), S("录入"), S("成功")});
  Row(db, audit,
      {S("B20261201002"), N(1), S("000007"), S("2026-12-01 09:40:00"), S("录入"), S("成功")});
  Row(db, audit,
      {S("B20261201003"), N(1), S("000002"), S("2026-12-01 10:05:00"), S("录入"), S("成功")});
  Row(db, audit,
      {S("B20261201003"), N(2), S("000001"), S("2026-12-01 10:12:00"), S("复核"), S("通过")});
  Row(db, auth,
      {S("B20261201003"), N(1), S("1"), S("000003"), S("2026-12-01 10:30:00"), S("已授权")});
  Row(db, sign, {S("B20261201003"), N(1), S("000003"), S("2026-12-01 10:30:05"), S("已签名")});
  Row(db, audit,
      {S("B20261201004"), N(1), S("000002"), S("2026-12-01 11:20:00"), S("录入"), S("成功")});
  Row(db, audit,
      {S("B20261201004"), N(2), S("000001"), S("2026-12-01 11:25:00"), S("复核"), S("通过")});
  Row(db, audit,
      {S("B20261201004"), N(3), S("000003"), S("2026-12-01 11:40:00"), S("授权"), S("通过")});
  Row(db, auth,
      {S("B20261201004"), N(1), S("1"), S("000003"), S("2026-12-01 11:40:00"), S("已授权")});
  Row(db, sign, {S("B20261201004"), N(1), S("000003"), S("2026-12-01 11:40:02"), S("已签名")});
  Row(db, audit,
      {S("B20261130001"), N(1), S("000002"), S("2026-11-30 14:00:00"), S("录入"), S("成功")});
  Row(db, audit,
      {S("B20261130001"), N(2), S("000001"), S("2026-11-30 14:10:00"), S("复核"), S("通过")});
  Row(db, audit,
      {S("B20261130001"), N(3), S("000003"), S("2026-11-30 14:30:00"), S("授权"), S("通过")});
  Row(db, audit,
      {S("B20261130001"), N(4), S("000001"), S("2026-11-30 15:00:00"), S("授权"), S("通过")});
  Row(db, audit,
      {S("B20261130001"), N(5), S("000001"), S("2026-11-30 15:05:00"), S("发送"), S("银行已受理")});
  Row(db, auth,
      {S("B20261130001"), N(1), S("1"), S("000003"), S("2026-11-30 14:30:00"), S("已授权")});
  Row(db, auth,
      {S("B20261130001"), N(2), S("2"), S("000001"), S("2026-11-30 15:00:00"), S("已授权")});
  Row(db, sign, {S("B20261130001"), N(1), S("000003"), S("2026-11-30 14:30:04"), S("已签名")});
  Row(db, sign, {S("B20261130001"), N(2), S("000001"), S("2026-11-30 15:00:03"), S("已签名")});
  Row(db, audit,
      {S("B20261129001"), N(1), S("000007"), S("2026-11-29 16:30:00"), S("录入"), S("成功")});
  Row(db, audit,
      {S("B20261129001"), N(2), S("000007"), S("2026-11-29 17:00:00"), S("删除"), S("成功")});
  Row(db, audit,
      {S("B20261128001"), N(1), S("000002"), S("2026-11-28 08:50:00"), S("录入"), S("成功")});
  Row(db, audit,
      {S("B20261128001"), N(2), S("000001"), S("2026-11-28 09:30:00"), S("复核"),
       S("拒绝：收款人账号有误")});
}

}  // namespace

// Fills a new database; the caller holds the transaction.
void SeedDemoData(Db& db) {
  Corporations(db);
  Users(db);
  FunctionTree(db);
  Accounts(db);
  SwiftDirectory(db);
  Banks(db);
  Customers(db);
  Business(db);
}

}  // namespace host
