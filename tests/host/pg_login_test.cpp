// A PostgreSQL bank behind its service: only its owner and the service's role open it; a
// login acts only for the corporation and operators mapped to it, in every command and,
// through row security, in psql; the administrator's tool; upgrades. A workstation's own
// connection: a failure says why (never the password) within the connect timeout, a
// server gone away fails the command in flight and the next connects again; a
// workstation killed mid-batch leaves nothing of it.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Workstations.h"
#include "host/Interpreter.h"
#include "host/PostgresDb.h"
#include "host/Procedure.h"
#include "host/Schema.h"
#include "host/ScopedDb.h"
#include "host/SqlUtil.h"
#include "host/SqliteDb.h"
#include "sys/CodePage.h"
#include "tests/support/LocalPort.h"

namespace {

using hosttest::PgDatabase;
using hosttest::Scalar;

// Output (with errors) and exit status of a shell command.
struct Ran {
  int status = -1;
  std::string out;
};

Ran Shell(const std::string& command) {
  Ran ran;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[4096];
  for (std::size_t n = 0; pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    ran.out.append(buffer, n);
  }
  const int status = pipe != nullptr ? pclose(pipe) : -1;
  ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return ran;
}

// One statement in psql as the URL's login, its rows unaligned.
Ran Psql(const std::string& url, const std::string& sql) {
  return Shell("psql -qAtX '" + url + "' -c \"" + sql + "\"");
}

// The rows of every table the logins' corporations own, as the administrator sees them.
std::string Fingerprint(host::Db& admin) {
  std::string out;
  for (const std::string table :
       {"customer", "cust_account", "cny_payee", "usage_text", "node_right", "account_order",
        "account_right", "review_list", "corp_account", "business"}) {
    const std::string sql =
        "SELECT md5(coalesce(string_agg(t::text, ',' ORDER BY t::text), '')) FROM " + table + " t";
    out += table + "=" + Scalar(admin, sql.c_str()) + " ";
  }
  return out;
}

// A role of the cluster's own with password ws-secret, dropped with the object.
struct ClusterRole {
  ClusterRole(host::Db& admin, const std::string& suffix)
      : admin(admin), name("tavro_t" + std::to_string(getpid()) + suffix) {
    admin.Exec(("CREATE ROLE " + name + " LOGIN PASSWORD 'ws-secret'").c_str());
  }
  ~ClusterRole() {
    try {
      admin.Exec(("DROP ROLE IF EXISTS " + name).c_str());
    } catch (const std::exception&) {
    }
  }
  ClusterRole(const ClusterRole&) = delete;
  ClusterRole& operator=(const ClusterRole&) = delete;
  std::string Url(const std::string& database) const {
    return "postgresql://" + name + ":ws-secret@/" + database +
           "?host=" + std::getenv("TAVRO_TEST_PG_HOST") +
           "&port=" + std::getenv("TAVRO_TEST_PG_PORT");
  }
  host::Db& admin;
  std::string name;
};

// Runs a command (UTF-8) as the module sends it.
host::Outcome Send(host::Db& db, const std::string& command) {
  return host::RunCommand(db, host::BankServer(), host::Channel::Main, sys::Utf8ToGbk(command),
                          nullptr);
}

class PgLogin : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!hosttest::PostgresAvailable()) {
      GTEST_SKIP() << "no PostgreSQL test cluster";
    }
    bank_ = std::make_unique<PgDatabase>();
    admin_ = std::make_unique<host::PostgresDb>(bank_->Url(), host::BankSetup());
    service_ = std::make_unique<host::PostgresDb>(bank_->Url("tavro_service"), host::BankSetup());
    // What the bank maps tavro_0012 to, as the service reads it for a session.
    host::LoginScope scope;
    scope.login = "tavro_0012";
    host::Query q(*admin_, "SELECT corp_id, user_id FROM bank_login WHERE login_name = ?");
    q.Bind(scope.login);
    while (q.Next()) {
      scope.corps.insert(q.Text(0));
      scope.operators.emplace(q.Text(0), q.Text(1));
    }
    login_ = std::make_unique<host::ScopedDb>(*service_, scope);
    // Rows of 0020 where the demonstration data has none.
    admin_->Exec(
        "INSERT INTO cny_payee(corp_id, payee_id, ac_name, ac_no, bank_name, operator)"
        " VALUES ('0020', 'Q001', 'x', '1', 'b', '200001');"
        "INSERT INTO account_right VALUES ('0020', '200002', '320020000100001');"
        "INSERT INTO account_order VALUES ('0020', '200001', '320020000100001', 0);"
        "INSERT INTO business(biz_no, corp_id, function_id, folder, debit_ac_no, currency,"
        " amount, maker_id, created_at) VALUES ('B20261201099', '0020', 12, 'check',"
        " '320020000100001', 'CNY', 100, '200002', '2026-12-01 09:00:00');"
        "INSERT INTO biz_audit VALUES ('B20261201099', 1, '200002', '2026-12-01 09:00:00',"
        " '录入', '成功')");
  }

  std::unique_ptr<PgDatabase> bank_;
  std::unique_ptr<host::PostgresDb> admin_;
  std::unique_ptr<host::PostgresDb> service_;
  std::unique_ptr<host::ScopedDb> login_;  // the service acting for tavro_0012
};

// The command of proc with corporation ids corp, operators op, harmless values elsewhere.
std::string Sample(const host::ProcedureSpec& proc, const std::string& corp,
                   const std::string& op) {
  std::string command = proc.name;
  for (std::size_t i = 0; proc.signature[i] != '\0'; ++i) {
    command += i == 0 ? " " : ",";
    if (proc.signature[i] == 'i') {
      command += "201";
    } else {
      command += "'" + (proc.ids[i] == 'c' ? corp : proc.ids[i] == 'o' ? op : "C001") + "'";
    }
  }
  return command;
}

// The service's role acts for nobody until it names a login; workstations sign in to it.
TEST_F(PgLogin, OnlyTheOwnerAndTheServiceRoleOpenTheBank) {
  EXPECT_EQ(admin_->scope(), nullptr);
  ASSERT_NE(service_->scope(), nullptr);
  EXPECT_TRUE(service_->scope()->corps.empty());
  ClusterRole desk(*admin_, "_desk");
  admin_->Exec(("GRANT SELECT ON ALL TABLES IN SCHEMA public TO " + desk.name).c_str());
  try {
    host::PostgresDb db(desk.Url(bank_->name()), host::BankSetup());
    ADD_FAILURE() << "a workstation's role opened the bank";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("a workstation signs in to the bank's service"),
              std::string::npos)
        << e.what();
  }
  admin_->Exec(("REVOKE ALL ON ALL TABLES IN SCHEMA public FROM " + desk.name).c_str());
}

// Nothing of a refused command stays; for what the login holds, none is refused.
TEST_F(PgLogin, EveryCommandWithIdsIsRefusedForWhatTheLoginDoesNotHold) {
  const std::string before = Fingerprint(*admin_);
  int withCorp = 0;
  int withOperator = 0;
  std::vector<std::string> held;
  const auto refused = [this](const std::string& command, const char* why) {
    const host::Outcome outcome = Send(*login_, command);
    EXPECT_EQ(outcome.status, host::Status::Failed) << command;
    EXPECT_NE(outcome.error.find(why), std::string::npos) << command << ": " << outcome.error;
  };
  for (const host::ProcedureSpec& proc : host::AllProcedures()) {
    const std::string ids = proc.ids;
    if (ids.find('c') != std::string::npos) {
      ++withCorp;
      for (const char* corp : {"0020", " 0020 ", "0031"}) {
        refused(Sample(proc, corp, "200001"), "may not act for corporation");
      }
      held.push_back(Sample(proc, "0012", "000001"));
    }
    if (ids.find('o') != std::string::npos) {
      ++withOperator;
      refused(Sample(proc, "0012", "000002"), "may not act as user 000002");
    }
  }
  EXPECT_GE(withCorp, 40);
  EXPECT_GE(withOperator, 15);
  // The report select carries the corporation too; batches are checked per statement.
  EXPECT_EQ(Send(*login_, "exec MN_UsageDelete '0012'\nexec MN_UsageDelete '0020'").status,
            host::Status::Failed);
  EXPECT_EQ(Fingerprint(*admin_), before);
  for (const std::string& command : held) {
    const host::Outcome outcome = Send(*login_, command);
    EXPECT_EQ(outcome.error.find("may not act"), std::string::npos)
        << command << ": " << outcome.error;
  }
}

// Row security on the login a transaction names: the service writes only what procedures
// do, and neither it nor the owner (no superuser) sees another corporation's rows.
TEST_F(PgLogin, RowSecurityHoldsTheServiceAndTheOwnerToTheNamedLogin) {
  admin_->Exec(
      "INSERT INTO business(biz_no, corp_id, function_id, folder, debit_ac_no,"
      " currency, amount, maker_id, created_at, payee_kind, payee_id)"
      " SELECT 'B20261201098', '0012', 12, 'check', ac_no, 'CNY', 100, '000001',"
      " '2026-12-01 09:00:00', 'C', 'C003' FROM corp_account WHERE corp_id = '0012' LIMIT 1");
  const std::string service = bank_->Url("tavro_service");
  const std::string asLogin = "SELECT set_config('tavro.login', 'tavro_0012', true); ";
  const auto asLoginRows = [&](const std::string& url, const std::string& sql) {
    const std::string out = Psql(url, asLogin + sql).out;
    return out.substr(out.find('\n') + 1);
  };
  const std::string before = Fingerprint(*admin_);
  const struct {
    const char* sql;
    const char* why;
  } attacks[] = {
      {"UPDATE business SET amount = 1", "a remittance's amount"},
      {"UPDATE business SET folder = 'done'", "a remittance's folder"},
      {"UPDATE business SET maker_id = '000002'", "a remittance's maker"},
      {"DELETE FROM customer WHERE cust_id = 'C003'", "a customer unfinished business names"},
      {"UPDATE node_right SET user_id = '000002'", "another operator's rights"},
      {"INSERT INTO bank_login VALUES ('tavro_0012', '0020', '200001')", "the logins' map"},
      {"DELETE FROM service_login", "the service logins"},
      {"TRUNCATE customer", "a whole table"},
      {"LOCK TABLE business IN ACCESS EXCLUSIVE MODE", "every corporation's remittances"},
      {"CREATE TEMP TABLE bank_login(login_name text, corp_id text, user_id text)",
       "a map of its own"},
      {"CREATE TABLE public.stand_in(x int)", "a table in the bank's schema"},
      {"INSERT INTO usage_text VALUES ('0020', 9, 'x', '200001')", "another corporation"},
      {"UPDATE customer SET operator = '000002' WHERE cust_id = 'C003'",
       "an operator the login does not hold"},
  };
  for (const auto& attack : attacks) {
    EXPECT_NE(Psql(service, asLogin + attack.sql).status, 0) << attack.why;
  }
  EXPECT_EQ(asLoginRows(service,
                        "WITH u AS (UPDATE cny_payee SET remark = 'x' WHERE corp_id ="
                        " '0020' RETURNING 1) SELECT count(*) FROM u"),
            "0\n");
  EXPECT_EQ(asLoginRows(service, "SELECT count(*) FROM customer WHERE corp_id = '0020'"), "0\n");
  EXPECT_NE(asLoginRows(service, "SELECT count(*) FROM customer WHERE corp_id = '0012'"), "0\n");
  EXPECT_EQ(Psql(service, "SHOW idle_in_transaction_session_timeout").out, "1min\n");
  EXPECT_EQ(Psql(service, "SHOW statement_timeout").out, "1min\n");
  ClusterRole keeper(*admin_, "_owner");
  admin_->Exec(("DO $$ DECLARE t text; BEGIN FOR t IN SELECT tablename FROM pg_tables"
                " WHERE schemaname = 'public' LOOP EXECUTE format('ALTER TABLE public.%I"
                " OWNER TO " +
                keeper.name + "', t); END LOOP; END $$")
                   .c_str());
  const std::string owner = keeper.Url(bank_->name());
  const std::string where = " WHERE corp_id <> '0012'";
  for (const std::string t :
       {"corp", "bank_user", "user_corp", "review_list", "corp_account", "account_order",
        "account_right", "node_right", "customer", "cust_account", "cny_payee", "usage_text",
        "business", "bank_login"}) {
    std::string others = "SELECT count(*) FROM " + t;
    others += where;
    ASSERT_NE(Psql(owner, others).out, "0\n") << t;
    std::string changes = others;
    changes.append("; WITH u AS (UPDATE ").append(t).append(" SET corp_id = corp_id").append(where);
    changes.append(" RETURNING 1) SELECT count(*) FROM u; WITH d AS (DELETE FROM ").append(t);
    changes.append(where).append(" RETURNING 1) SELECT count(*) FROM d");
    EXPECT_EQ(asLoginRows(owner, changes), "0\n0\n0\n") << t;
    if (t != "bank_login") {  // the service reads the whole map, to check sessions
      EXPECT_EQ(Psql(service, "SELECT count(*) FROM " + t).out, "0\n") << t << ": no login named";
    }
  }
  for (const std::string t : {"biz_authorise", "biz_sign", "biz_audit"}) {
    EXPECT_EQ(Psql(service, "SELECT count(*) FROM " + t).out, "0\n") << t;
  }
  EXPECT_NE(
      Psql(owner, asLogin + "INSERT INTO usage_text VALUES ('0020', 9, 'x', '200001')").status, 0);
  EXPECT_EQ(Fingerprint(*admin_), before);
  admin_->Exec(("REASSIGN OWNED BY " + keeper.name + " TO tavro_admin").c_str());
  // What a procedure does, the role may do.
  EXPECT_EQ(Psql(service, asLogin + "UPDATE customer SET remark = 'service' WHERE cust_id = 'C003'")
                .status,
            0);
  EXPECT_NE(Fingerprint(*admin_), before);
}

TEST_F(PgLogin, TheAdministratorsToolMapsLoginsCreatesAndCopiesBanks) {
  const std::string url = bank_->Url();
  const auto tool = [](const std::string& args, const char* input = nullptr) {
    return Shell((input != nullptr ? std::string("echo '") + input + "' | " : std::string()) +
                 TAVRO_BANK_TOOL + " " + args);
  };
  const std::string bank = " --password-stdin --bank '" + url + "'";
  const Ran added = tool("login add t_clerk --corp 0012 --operator 000002 --operator 000003" + bank,
                         "secret one");
  ASSERT_EQ(added.status, 0) << added.out;
  EXPECT_NE(tool("login list --bank '" + url + "'").out.find("t_clerk | 0012 | 000002 000003"),
            std::string::npos);
  EXPECT_EQ(Scalar(*admin_, "SELECT count(*) FROM pg_roles WHERE rolname = 't_clerk'"), "0")
      << "a login is no role of the server";
  EXPECT_NE(tool("login add t_other --corp 0012 --operator 200001" + bank, "x").status, 0)
      << "user 200001 does not work for 0012";
  EXPECT_NE(
      tool("login add t_role --corp 0012 --operator 000001 --password-stdin --url '" + url + "'",
           "x")
          .status,
      0)
      << "no login is made without the service's bank";
  ASSERT_EQ(tool("login remove t_clerk --bank '" + url + "'").status, 0);
  EXPECT_EQ(tool("login list --bank '" + url + "'").out.find("t_clerk"), std::string::npos);
  // PostgreSQL to a new file, the file to an empty database; no copy onto data.
  hosttest::TempDir dir;
  const std::string file = dir.File("copy.db");
  const Ran out = tool("copy '" + url + "' " + file);
  ASSERT_EQ(out.status, 0) << out.out;
  EXPECT_NE(out.out.find("customer: 6 rows"), std::string::npos) << out.out;
  EXPECT_NE(out.out.find("swift_bank: "), std::string::npos) << out.out;
  PgDatabase empty(false);
  const Ran in = tool("copy " + file + " '" + empty.Url() + "'");
  ASSERT_EQ(in.status, 0) << in.out;
  EXPECT_EQ(in.out, out.out);
  {
    host::PostgresDb copy(empty.Url(), host::BankSetup());
    EXPECT_EQ(Fingerprint(copy), Fingerprint(*admin_));
    // New customer accounts continue after the copied ids.
    const host::Outcome account = Send(
        copy, "MN_UpdateCustAcRec 930,0,'C003','0012','CNY','1','某银行',0,'','','','000001',1");
    EXPECT_TRUE(account.ok()) << account.error;
  }
  const struct {
    std::string args;
    const char* says;
  } refusals[] = {
      {"copy " + file + " '" + url + "'", "holds data"},
      {"copy '" + url + "' " + file, "exists already"},
      {"init --demo '" + url + "'", "holds a bank already"},
  };
  for (const auto& r : refusals) {
    const Ran refused = tool(r.args);
    EXPECT_EQ(refused.status, 1) << r.args;
    EXPECT_NE(refused.out.find(r.says), std::string::npos) << refused.out;
  }
}

// Its owner upgrades a bank of an earlier release on opening.
TEST(PgUpgrade, TheOwnerUpgradesAnOlderBankAndItsRowsStay) {
  if (!hosttest::PostgresAvailable()) {
    GTEST_SKIP() << "no PostgreSQL test cluster";
  }
  const PgDatabase bank(false);
  const auto first = [](host::Db& db) { db.Exec(host::PostgresSchemaSteps()[0]); };
  const char* customers = "SELECT count(*) || ':' || max(cust_id) FROM customer";
  const std::string before = Scalar(
      *std::make_unique<host::PostgresDb>(bank.Url(), host::DbSetup{first, host::SeedDemoData, 1}),
      customers);
  host::PostgresDb owner(bank.Url(), host::BankSetup());
  EXPECT_EQ(Scalar(owner, "SELECT max(version) FROM schema_version"),
            std::to_string(host::kSchemaVersion));
  EXPECT_EQ(Scalar(owner, customers), before);
}

// The upgrade keeps service logins, drops workstations' roles, map rows, grants, CONNECT.
TEST(PgUpgrade, TheUpgradeTakesTheWorkstationsRolesAway) {
  if (!hosttest::PostgresAvailable()) {
    GTEST_SKIP() << "no PostgreSQL test cluster";
  }
  const PgDatabase bank(false);
  const std::string desk = "tavro_t" + std::to_string(getpid()) + "_ws";
  // Another bank's workstation on the same cluster, which this bank never mapped.
  const std::string elsewhere = "tavro_t" + std::to_string(getpid()) + "_other";
  const char* granted = "SELECT has_table_privilege('tavro_operator', 'public.customer', 'SELECT')";
  {
    const auto third = [](host::Db& db) {
      for (const char* step : host::PostgresSchemaSteps().first(3)) {
        db.Exec(step);
      }
    };
    host::PostgresDb old(bank.Url(), host::DbSetup{third, host::SeedDemoData, 3});
    old.Exec(("CREATE ROLE " + desk + " LOGIN PASSWORD 'ws-secret' IN ROLE tavro_operator;" +
              "CREATE ROLE " + elsewhere + " LOGIN IN ROLE tavro_operator;" +
              "INSERT INTO bank_login VALUES ('" + desk + "', '0012', '000001');" +
              "INSERT INTO service_login VALUES ('t_desk', 'x');" +
              "INSERT INTO bank_login VALUES ('t_desk', '0012', '000002')")
                 .c_str());
    EXPECT_EQ(Scalar(old, granted), "t");
  }
  try {
    host::PostgresDb service(bank.Url("tavro_service"), host::BankSetup());
    ADD_FAILURE() << "the service's role opened a bank of an older version";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("schema version 3, this host knows version 6; its "
                                         "administrator upgrades it with `tavro-bank upgrade"),
              std::string::npos)
        << e.what();
  }
  host::PostgresDb owner(bank.Url(), host::BankSetup());
  const auto roles = [&owner](const std::string& name) {
    return Scalar(owner, "SELECT count(*) FROM pg_roles WHERE rolname = ?", {name});
  };
  EXPECT_EQ(Scalar(owner, "SELECT max(version) FROM schema_version"),
            std::to_string(host::kSchemaVersion));
  EXPECT_EQ(Scalar(owner, "SELECT string_agg(login_name || ':' || user_id, ' ') FROM bank_login"),
            "t_desk:000002");
  EXPECT_EQ(roles(desk), "0");
  EXPECT_EQ(roles(elsewhere), "1") << "a role of the cluster this bank never mapped stays";
  EXPECT_EQ(Scalar(owner, granted), "f");
  EXPECT_EQ(Scalar(owner,
                   "SELECT count(*) FROM pg_database d, aclexplode(d.datacl) a"
                   " WHERE d.datname = current_database() AND a.grantee = 0"
                   " AND a.privilege_type = 'CONNECT'"),
            "0")
      << "nobody but the owner and the service connects";
  owner.Exec(("DROP ROLE IF EXISTS " + desk + "; DROP ROLE IF EXISTS " + elsewhere).c_str());
}

// A listening port of 127.0.0.1 where nobody says a word.
class SilentPort {
 public:
  SilentPort() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(fd_, 4) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port = std::to_string(ntohs(address.sin_port));
    }
  }
  ~SilentPort() { close(fd_); }
  SilentPort(const SilentPort&) = delete;
  SilentPort& operator=(const SilentPort&) = delete;
  std::string port;

 private:
  int fd_ = socket(AF_INET, SOCK_STREAM, 0);
};

TEST(SharedBankConnection, AFailedConnectionSaysWhyFirstAndNeverThePassword) {
  const SilentPort silent;
  ASSERT_FALSE(silent.port.empty());
  const std::string refusing = std::to_string(tavro_test::FreeLocalPort());
  const char* port = std::getenv("TAVRO_TEST_PG_PORT");
  const std::string cluster = port != nullptr ? port : "";
  const std::string server = "127.0.0.1:";
  const struct {
    bool needsCluster;
    bool waits;  // for the connect timeout
    std::string url;
    std::string text;
  } cases[] = {
      {true, false, "postgresql://tavro_admin:wrong-secret@" + server + cluster + "/tavro",
       "password authentication failed for user \"tavro_admin\" (server " + server + cluster + ")"},
      {true, false, "postgresql://tavro_admin@" + server + cluster + "/tavro_no_such_bank",
       "database \"tavro_no_such_bank\" does not exist (server " + server + cluster + ")"},
      {false, false, "postgresql://nobody:wrong-secret@" + server + refusing + "/tavro",
       "cannot reach the bank server: Connection refused (server " + server + refusing + ")"},
      {false, true, "postgresql://nobody:wrong-secret@" + server + silent.port + "/tavro",
       "cannot reach the bank server: no answer within 5 s (server " + server + silent.port + ")"},
  };
  for (const auto& c : cases) {
    if (c.needsCluster && !hosttest::PostgresAvailable()) {
      continue;
    }
    SCOPED_TRACE(c.url);
    tavro_test::ScopedEnv bank("TAVRO_BANK_URL", c.url.c_str());
    const auto start = std::chrono::steady_clock::now();
    const hosttest::LibraryAnswer told = hosttest::CallLibrary("MN_GetCorpName '0012'");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(told.status, 4);
    EXPECT_EQ(told.error, c.text);
    EXPECT_LT(took, std::chrono::seconds(9));
    if (c.waits) {
      EXPECT_GE(took, std::chrono::seconds(4)) << "it did wait for the server";
    }
  }
  if (!hosttest::PostgresAvailable()) {
    GTEST_SKIP() << "the server's refusals need the PostgreSQL test cluster";
  }
}

TEST(SharedBankConnection, AfterTheServerWentAwayTheNextCommandConnectsAgain) {
  if (!hosttest::PostgresAvailable()) {
    GTEST_SKIP() << "no PostgreSQL test cluster";
  }
  hosttest::PrivateCluster cluster;
  ASSERT_TRUE(cluster.Start());
  tavro_test::ScopedEnv bank("TAVRO_BANK_URL", cluster.Url("tavro_admin").c_str());
  const std::string write = "MN_UpdateCustomerRec 201,'K1','0012','甲','','','','000001',1";
  EXPECT_EQ(hosttest::CallLibrary("MN_GetCorpName '0012'").answer,
            tavro_test::Gbk("演示贸易有限公司\r\n"));
  // Restarted while the connection lay idle: the caller sees nothing of it.
  ASSERT_TRUE(cluster.Stop());
  ASSERT_TRUE(cluster.Start());
  hosttest::LibraryAnswer told = hosttest::CallLibrary("MN_GetCorpName '0012'");
  EXPECT_EQ(told.status, 0) << told.error;
  // Down: the status of a bank out of reach, and nothing of a write stored.
  ASSERT_TRUE(cluster.Stop());
  told = hosttest::CallLibrary(write);
  EXPECT_EQ(told.status, 4);
  EXPECT_NE(told.error.find("bank server"), std::string::npos) << told.error;
  ASSERT_TRUE(cluster.Start());
  told = hosttest::CallLibrary("MN_CustomerExists 'K1','0012'");
  EXPECT_EQ(told.answer, "0\r\n") << told.error;
  told = hosttest::CallLibrary(write);
  EXPECT_EQ(told.status, 0) << told.error;
}

// Direct connections hold open transactions: the kill must roll them back whole.
TEST(SharedBank, AWorkstationKilledInTheMiddleOfABatchLeavesNothingOfIt) {
  hosttest::TempDir dir;
  const std::string file = dir.File("bank.db");
  host::SqliteDb embedded(file, host::BankSetup());
  hosttest::PrepareWorkload(embedded);
  hosttest::KillMidBatch(embedded, file, 4);
  if (!hosttest::PostgresAvailable()) {
    GTEST_SKIP() << "no PostgreSQL test cluster";
  }
  const hosttest::PgDatabase bank;
  host::PostgresDb admin(bank.Url(), host::BankSetup());
  hosttest::PrepareWorkload(admin);
  hosttest::KillMidBatch(admin, bank.Url(), 6);
}

}  // namespace
