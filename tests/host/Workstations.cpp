// The workstation processes and the checks of the bank they leave (see Workstations.h).
#include "Workstations.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bitset>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <thread>
#include <utility>

#include "host/ServiceLogins.h"
#include "host/SqlUtil.h"
#include "host/SqliteDb.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"
#include "tests/support/LocalPort.h"

namespace hosttest {
namespace {

constexpr int kPoolA = 12;
constexpr int kPoolB = 8;

std::string Id(char pool, unsigned n) {
  return std::string(1, pool) + (n < 10 ? "0" : "") + std::to_string(n);
}

void PointAt(const std::string& bank) {
  if (bank.find("://") != std::string::npos) {
    setenv("TAVRO_BANK_URL", bank.c_str(), 1);
  } else {
    unsetenv("TAVRO_BANK_URL");
    setenv("TAVRO_BANK_DB", bank.c_str(), 1);
  }
}

// Sends a command (UTF-8); the answer's first field lands in first.
int Send(const std::string& command, std::string& first) {
  const LibraryAnswer told = CallLibrary(command, false, "", 1 << 16);
  const std::string answer = sys::GbkToUtf8(told.status == 0 ? told.answer : told.error);
  first = answer.substr(0, answer.find_first_of("\x07\r\n"));
  return told.status;
}

// Rights of 000002 on nodes, each deleted and saved again with mask.
std::string Rights(const std::vector<std::string>& nodes, const std::string& mask) {
  std::string batch;
  for (const std::string& node : nodes) {
    batch += "exec MN_DeleteUserRightList '0012','000002'," + node + "\r\n";
    batch.append("exec MN_UpdateRightItem '0012','000002',").append(node);
    batch.append(",'").append(mask).append("'\r\n");
  }
  return batch;
}

std::string Mask(std::mt19937& random, const char* last) {
  return std::bitset<7>(random()).to_string() + last;
}

Sent Of(char kind, std::string marker) {
  Sent sent;
  sent.kind = kind;
  sent.marker = std::move(marker);
  return sent;
}

// One workstation's commands, each logged with what it was told.
void Workstation(const std::string& bank, const Workload& workload, int w, const std::string& log) {
  PointAt(bank);
  if (!workload.logins.empty()) {
    setenv("TAVRO_SERVICE_LOGIN",
           workload.logins[static_cast<std::size_t>(w) % workload.logins.size()].c_str(), 1);
  }
  std::mt19937 random(workload.seed * 1000 + static_cast<unsigned>(w));
  std::ofstream out(log);
  std::string ignored;
  if (workload.seconds > 0) {
    Send("MN_GetCorpName '0012'", ignored);  // signs in before the times are measured
  }
  const std::vector<std::string> nodes = {"12", "13", "104"};
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(workload.seconds);
  for (int s = 0;
       s < workload.commands && (workload.seconds <= 0 || std::chrono::steady_clock::now() < end);
       ++s) {
    const std::string marker = "w" + std::to_string(w) + "s" + std::to_string(s);
    const unsigned pick = random() % 100;
    const std::string a = Id('A', random() % kPoolA);
    const std::string b = Id('A', random() % kPoolA);
    const std::string add = "MN_UpdateCustomerRec 201,'" + a + "','0012','";
    Sent sent;
    std::string command;
    if (pick < 25) {
      sent = Of('c', "c-" + marker);
      command = add + sent.marker + "','','','','000003',1";
    } else if (pick < 40) {
      sent = Of('r', a + ">");
      sent.marker += b;
      command = "MN_CustomerUpdate '" + a;
      command.append("','").append(b).append("','0012'");
    } else if (pick < 55) {
      sent = Of('d', a);
      command = "MN_CustomerDelete '" + a + "','0012'";
    } else if (pick < 75) {
      sent = Of('i', "i-" + marker);
      command = "MN_CustSnapIn 201,'0012','000003','" + Id('B', random() % kPoolB) + "','" +
                sent.marker + "','导入客户','某银行'";
    } else if (pick < 90) {
      sent = Of('s', Mask(random, "0"));
      command = Rights(nodes, sent.marker);
    } else if (pick < 95) {
      sent = Of('x', "11111111");  // the unknown node spoils the whole batch
      command = Rights(nodes, sent.marker) + Rights({"99999"}, sent.marker);
    } else {
      sent = Of('x', "bad-" + marker);  // 000004 may not add customers
      command = add + sent.marker + "','','','','000004',1";
    }
    const auto start = std::chrono::steady_clock::now();
    sent.status = Send(command, sent.answer);
    sent.ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    out << sent.kind << '\t' << sent.marker << '\t' << sent.status << '\t' << sent.ms << '\t'
        << sent.answer << std::endl;
  }
}

// The first column of each row.
std::vector<std::string> Rows(host::Db& db, const std::string& sql) {
  std::vector<std::string> rows;
  for (host::Query q(db, sql.c_str()); q.Next();) {
    rows.push_back(q.Text(0));
  }
  return rows;
}

}  // namespace

LibraryAnswer CallLibrary(const std::string& utf8, bool intoFile, const std::string& file,
                          std::int32_t capacity) {
  const std::string gbk = tavro_test::Gbk(utf8);
  const std::string wire =
      std::string(gbk.rfind("ST_GetBankSimple", 0) == 0 ? "A03" : "A01") + '\x07' + gbk;
  const auto size = static_cast<std::int32_t>(wire.size());
  char error[128] = {};
  LibraryAnswer out;
  if (intoFile) {
    out.status = qelFileGet(0, wire.data(), size, file.c_str(), error, 0);
    out.answer = tavro_test::ReadFile(file);
    std::remove(file.c_str());
  } else {
    std::vector<char> result(static_cast<std::size_t>(capacity) + 1);
    out.status = qelCommand(0, wire.data(), size, result.data(), capacity, error, 0);
    out.answer = result.data();
  }
  out.error = error;
  return out;
}

void PrepareWorkload(host::Db& admin) {
  // 000003 may add customers but not change them; 000002 has one mask on every node.
  admin.Exec(
      "UPDATE node_right SET rights = '11000000' WHERE corp_id = '0012'"
      " AND user_id = '000003' AND node_id = 201;"
      "UPDATE node_right SET rights = '10000000' WHERE corp_id = '0012' AND user_id = '000002';"
      "INSERT INTO node_right(corp_id, user_id, node_id, rights)"
      " SELECT '0012', '000002', node_id, '10000000' FROM view_node WHERE node_id NOT IN"
      " (SELECT node_id FROM node_right WHERE corp_id = '0012' AND user_id = '000002')");
}

std::vector<Sent> RunWorkstations(const std::string& bank, const Workload& workload,
                                  const std::function<void()>& during) {
  TempDir logs;
  std::vector<pid_t> pids;
  // No workstation sends before all are forked: a relay's thread serving one could hold a
  // lock a later child would inherit held.
  int gate[2];
  if (pipe(gate) != 0) {
    ADD_FAILURE() << "no pipe for the workstations' gate";
    return {};
  }
  for (int w = 0; w < workload.workers; ++w) {
    const std::string log = logs.File("w" + std::to_string(w));
    const pid_t pid = fork();
    if (pid == 0) {
      close(gate[1]);
      char none = 0;
      while (read(gate[0], &none, 1) < 0 && errno == EINTR) {
      }
      Workstation(bank, workload, w, log);
      _exit(0);
    }
    pids.push_back(pid);
  }
  close(gate[0]);
  close(gate[1]);  // the workstations read its end and start
  if (during) {
    during();
  }
  for (const pid_t pid : pids) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  }
  std::vector<Sent> sent;
  for (int w = 0; w < workload.workers; ++w) {
    std::ifstream in(logs.File("w" + std::to_string(w)));
    int count = 0;
    Sent s;
    while (in >> s.kind >> s.marker >> s.status >> s.ms && std::getline(in.ignore(), s.answer)) {
      sent.push_back(s);
      ++count;
    }
    if (workload.seconds > 0) {
      EXPECT_GT(count, 0) << "workstation " << w << " sent nothing";
    } else {
      EXPECT_EQ(count, workload.commands) << "workstation " << w;
    }
  }
  return sent;
}

void CheckBank(host::Db& admin, const std::vector<Sent>& sent, bool faults, bool busyAllowed) {
  std::set<std::string> created;
  std::set<std::string> imported;
  std::set<std::string> masks = {"10000000"};
  std::set<std::string> maybe;  // the markers of failed commands, stored or not
  int creations = 0;
  int deletions = 0;
  int failedCreations = 0;
  int failedDeletions = 0;
  int answered = 0;
  int mayHave = 0;
  for (const Sent& s : sent) {
    const bool done = s.status == 0;
    answered += done ? 1 : 0;
    if (faults && !done) {
      // A failed command says whether it may have been stored; one that says nothing was
      // left nothing (its marker is its own). Refusals by design have their own texts.
      const bool may = s.answer.find("may have been stored") != std::string::npos;
      const bool nothing = s.answer.find("nothing of the command was stored") != std::string::npos;
      EXPECT_TRUE(may != nothing || (s.kind == 'x' && !may)) << s.marker << ": " << s.answer;
      mayHave += may ? 1 : 0;
      const char* left = s.kind == 'c'   ? "SELECT count(*) FROM customer WHERE cust_name = ?"
                         : s.kind == 'i' ? "SELECT count(*) FROM cust_account WHERE ac_no = ?"
                                         : nullptr;
      if (nothing && left != nullptr) {
        EXPECT_EQ(Scalar(admin, left, {s.marker}), "0") << s.answer;
      }
    }
    const bool yes = done && !s.answer.empty() && s.answer[0] == '1';
    if (busyAllowed && s.status == 3) {
      continue;  // busy: nothing of the command was stored
    }
    if (!faults && s.kind != 'x') {
      EXPECT_EQ(s.status, 0) << s.kind << " " << s.marker << ": " << s.answer;
    }
    if (!done && s.kind != 'x') {
      maybe.insert(s.marker);  // without faults, already a failure
    }
    if (s.kind == 'c') {
      creations += yes ? 1 : 0;
      failedCreations += done ? 0 : 1;
      if (yes) {
        created.insert(s.marker);
      } else if (done || !faults) {
        EXPECT_EQ(s.answer, "-1") << "a creation is refused only for an existing customer";
      }
    } else if (s.kind == 'd') {
      deletions += yes ? 1 : 0;
      failedDeletions += done ? 0 : 1;
    } else if (s.kind == 'i' && done) {
      EXPECT_EQ(s.answer.rfind("1 customer", 0), 0u) << "an import refused: " << s.answer;
      imported.insert(s.marker);
    } else if (s.kind == 's' && done) {
      masks.insert(s.marker);
    } else if (s.kind == 'x') {
      EXPECT_TRUE(s.status != 0 || s.answer == "-1") << s.marker << ": " << s.answer;
    }
  }
  // Pool A: committed creations less committed deletions, each named by a creation.
  const std::vector<std::string> poolA =
      Rows(admin, "SELECT cust_name FROM customer WHERE corp_id = '0012' AND cust_id LIKE 'A%'");
  const int rows = static_cast<int>(poolA.size());
  EXPECT_GE(rows, creations - deletions - failedDeletions);
  EXPECT_LE(rows, creations + failedCreations - deletions);
  for (const std::string& name : poolA) {
    EXPECT_TRUE(created.count(name) != 0 || maybe.count(name) != 0)
        << name << " was never committed";
  }
  EXPECT_TRUE(Rows(admin, "SELECT cust_id FROM customer WHERE cust_name LIKE 'bad-%'").empty());
  // Pool B: each committed import's account once; a failed one's only after a fault.
  std::set<std::string> found;
  for (const std::string& ac :
       Rows(admin, "SELECT ac_no FROM cust_account WHERE corp_id = '0012' AND cust_id LIKE 'B%'")) {
    EXPECT_TRUE(found.insert(ac).second) << ac << " doubled";
    EXPECT_TRUE(imported.count(ac) != 0 || maybe.count(ac) != 0)
        << ac << " was stored though its import failed";
  }
  for (const std::string& ac : imported) {
    EXPECT_EQ(found.count(ac), 1u) << "the committed import of " << ac << " was lost";
  }
  EXPECT_TRUE(Rows(admin,
                   "SELECT cust_id FROM customer c WHERE corp_id = '0012' AND cust_id LIKE 'B%'"
                   " AND NOT EXISTS (SELECT 1 FROM cust_account a WHERE a.corp_id = c.corp_id"
                   " AND a.cust_id = c.cust_id)")
                  .empty())
      << "half an import: a customer without its account";
  // Rights: the three masks of one committed batch.
  const std::vector<std::string> rights =
      Rows(admin,
           "SELECT rights FROM node_right WHERE corp_id = '0012' AND user_id = '000002'"
           " AND node_id IN (12, 13, 104)");
  ASSERT_EQ(rights.size(), 3u);
  EXPECT_EQ(std::set<std::string>(rights.begin(), rights.end()).size(), 1u) << "a batch in part";
  EXPECT_TRUE(masks.count(rights[0]) != 0 || maybe.count(rights[0]) != 0) << rights[0];
  EXPECT_GT(imported.size(), 0u);
  EXPECT_GT(creations, 0);
  // The ledger: one answer per committed write.
  const int ledger = std::stoi(Scalar(admin, "SELECT count(*) FROM service_ledger"));
  EXPECT_GE(ledger, answered);
  EXPECT_LE(ledger, answered + mayHave);
}

void KillMidBatch(host::Db& admin, const std::string& bank, int rounds) {
  const std::vector<std::string> nodes = Rows(admin, "SELECT node_id FROM view_node");
  // One mask on every node to start from; the batches' masks end in 1.
  const std::string start = "10000000";
  const std::string ofUser = " WHERE corp_id = '0012' AND user_id = '000002'";
  admin.Exec(("UPDATE node_right SET rights = '" + start + "'" + ofUser).c_str());
  std::string current = start;
  std::mt19937 random(7);
  std::set<std::string> seen;
  for (int round = 0; round < rounds; ++round) {
    const pid_t pid = fork();
    if (pid == 0) {
      PointAt(bank);
      std::mt19937 masks(static_cast<unsigned>(getpid()));
      for (std::string first;;) {
        Send(Rights(nodes, Mask(masks, "1")), first);
      }
    }
    // The kill lands after its first batch (a slow start would be killed before any)
    // and a random moment more.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string changed = "SELECT node_id FROM node_right" + ofUser;
    changed.append(" AND rights <> '").append(current).append("'");
    while (std::chrono::steady_clock::now() < deadline && Rows(admin, changed).empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 60));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const std::vector<std::string> stored = Rows(admin, "SELECT rights FROM node_right" + ofUser);
    const std::set<std::string> masks(stored.begin(), stored.end());
    EXPECT_EQ(masks.size(), 1u) << "round " << round << ": a batch was stored in part";
    ASSERT_EQ(stored.size(), nodes.size()) << "round " << round;
    current = stored.front();
    seen.insert(masks.begin(), masks.end());
  }
  seen.erase(start);
  EXPECT_FALSE(seen.empty()) << "no batch ever committed: the kills prove nothing";
}

PrivateCluster::PrivateCluster() {
  // The server runs unprivileged when the tests run as root.
  chmod(dir_.Path().c_str(), 0711);
  passwords_.emplace("PGPASSFILE", (folder_ + "/pgpass").c_str());
}

std::string PrivateCluster::Url(const std::string& login) const {
  const std::string port = tavro_test::ReadFile(folder_ + "/port");
  return "postgresql://" + login + "@/tavro?host=" + folder_ +
         "&port=" + port.substr(0, port.find('\n'));
}

bool PrivateCluster::Run(const std::string& action) const {
  const std::string command = std::string("TAVRO_BANK_TOOL='") + TAVRO_BANK_TOOL + "' " +
                              TAVRO_SOURCE_DIR + "/scripts/bank-postgres.sh " + action + " " +
                              folder_ + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

bool ServiceOnBank::Start() {
  const std::string listen = "127.0.0.1:" + std::to_string(port_);
  const std::string cert = Cert();
  const std::string key = dir_.File("key.pem");
  const std::string log = dir_.File("access.log");
  pid_ = fork();
  if (pid_ == 0) {
    dup2(open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600), 2);
    execl(TAVRO_BANK_TOOL, TAVRO_BANK_TOOL, "serve", "--bank", serviceBank_.c_str(), "--listen",
          listen.c_str(), "--cert", cert.c_str(), "--key", key.c_str(), nullptr);
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (tavro_test::LocalPortListening(port_)) {
      return true;
    }
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void ServiceOnBank::Kill() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

void BankForService::SetUp() {
  if (PostgresWanted()) {
    if (!PostgresAvailable()) {
      GTEST_SKIP() << "no PostgreSQL test cluster";
    }
    pg_ = std::make_unique<PgDatabase>();
    bank_ = {host::Engine::kPostgres, pg_->Url()};
    serviceBank_ = pg_->Url("tavro_service");
  } else {
    host::SqliteDb db(bank_.where, host::BankSetup(true));
  }
  const std::string command =
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
      " -subj /CN=localhost -addext subjectAltName=IP:127.0.0.1 -keyout " +
      dir_.File("key.pem") + " -out " + Cert() + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
}

std::list<tavro_test::ScopedEnv> BankForService::Library(const std::string& url, unsigned mode,
                                                         bool trusted) const {
  const std::string password = dir_.File("password");
  tavro_test::WriteFile(password, "pw twelve\n");
  chmod(password.c_str(), mode);
  std::list<tavro_test::ScopedEnv> env;
  env.emplace_back("TAVRO_BANK_URL", url.c_str());
  env.emplace_back("TAVRO_SERVICE_LOGIN", "ws12");
  env.emplace_back("TAVRO_SERVICE_PASSWORD_FILE", password.c_str());
  env.emplace_back("TAVRO_SERVICE_CA", trusted ? Cert().c_str() : nullptr);
  return env;
}

void ServiceOnBank::SetUp() {
  BankForService::SetUp();
  if (IsSkipped() || HasFatalFailure()) {
    return;
  }
  Prepare(*Open());
  port_ = tavro_test::FreeLocalPort();
  ASSERT_TRUE(Start()) << Log();
  settings_ = Library(Url());
}

void ServiceOnBank::Prepare(host::Db& admin) {
  PrepareWorkload(admin);
  for (const char* login : {"ws12", "ws13"}) {
    host::AddServiceLogin(admin, {login, "0012", {"000001", "000002", "000003", "000004"}},
                          std::string("pw twelve"));
  }
}

void WaitForAnswers(host::Db& admin, int count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline &&
         std::stoi(Scalar(admin, "SELECT count(*) FROM service_ledger")) < count) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace hosttest
