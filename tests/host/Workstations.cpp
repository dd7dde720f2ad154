// The workstation processes of the concurrency and fault tests and the checks of the
// bank they leave behind (see Workstations.h for the workload).
#include "Workstations.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "HostTestSupport.h"
#include "host/SqlUtil.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"

namespace hosttest {
namespace {

constexpr int kPoolA = 12;
constexpr int kPoolB = 8;
constexpr const char* kRightsNodes[] = {"12", "13", "104"};

std::string Id(char pool, int n) {
  return std::string(1, pool) + (n < 10 ? "0" : "") + std::to_string(n);
}

void PointAt(const Target& target) {
  if (!target.url.empty()) {
    setenv("TAVRO_BANK_URL", target.url.c_str(), 1);
  } else {
    unsetenv("TAVRO_BANK_URL");
    setenv("TAVRO_BANK_DB", target.file.c_str(), 1);
  }
}

// Sends a command (UTF-8) as the module does; returns the status and the answer's
// first field.
int Send(const std::string& command, std::string& first) {
  const std::string wire = "A01\x07" + sys::Utf8ToGbk(command);
  static char result[1 << 16];
  char error[128] = {};
  const std::int32_t status =
      qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), result,
                 static_cast<std::int32_t>(sizeof result - 1), error, 2);
  std::string answer = sys::GbkToUtf8(status == 0 ? result : error);
  first = answer.substr(0, answer.find_first_of("\x07\r\n"));
  return status;
}

std::string Rights(const std::string& mask, bool spoil) {
  std::string batch;
  for (const char* node : kRightsNodes) {
    batch += std::string("exec MN_DeleteUserRightList '0012','000002',") + node + "\r\n";
    batch += std::string("exec MN_UpdateRightItem '0012','000002',") + node + ",'" + mask + "'\r\n";
  }
  if (spoil) {
    batch += "exec MN_UpdateRightItem '0012','000002',99999,'" + mask + "'\r\n";
  }
  return batch;
}

// One workstation: its commands, each logged with what it was told.
void Workstation(const Target& target, const Workload& workload, int w, const std::string& log) {
  PointAt(target);
  if (!workload.logins.empty()) {
    setenv("TAVRO_SERVICE_LOGIN",
           workload.logins[static_cast<std::size_t>(w) % workload.logins.size()].c_str(), 1);
  }
  std::mt19937 random(workload.seed * 1000 + static_cast<unsigned>(w));
  std::ofstream out(log);
  if (workload.seconds > 0) {
    // A timed run measures commands: a reading one first signs the workstation in.
    std::string ignored;
    Send("MN_GetCorpName '0012'", ignored);
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(workload.seconds);
  for (int s = 0;
       s < workload.commands && (workload.seconds <= 0 || std::chrono::steady_clock::now() < end);
       ++s) {
    const std::string marker = "w" + std::to_string(w) + "s" + std::to_string(s);
    const int pick = static_cast<int>(random() % 100);
    const std::string a = Id('A', static_cast<int>(random() % kPoolA));
    const std::string b = Id('A', static_cast<int>(random() % kPoolA));
    Sent sent;
    std::string command;
    if (pick < 25) {
      sent = Sent{'c', "c-" + marker, -1, {}};
      command =
          "MN_UpdateCustomerRec 201,'" + a + "','0012','" + sent.marker + "','','','','000003',1";
    } else if (pick < 40) {
      sent = Sent{'r', a + ">", -1, {}};
      sent.marker += b;
      command = "MN_CustomerUpdate '" + a;
      command.append("','").append(b).append("','0012'");
    } else if (pick < 55) {
      sent = Sent{'d', a, -1, {}};
      command = "MN_CustomerDelete '" + a + "','0012'";
    } else if (pick < 75) {
      sent = Sent{'i', "i-" + marker, -1, {}};
      command = "MN_CustSnapIn 201,'0012','000003','" +
                Id('B', static_cast<int>(random() % kPoolB)) + "','" + sent.marker +
                "','导入客户','某银行'";
    } else if (pick < 90) {
      std::string mask;
      for (int bit = 0; bit < 7; ++bit) {
        mask += random() % 2 ? '1' : '0';
      }
      sent = Sent{'s', mask + "0", -1, {}};
      command = Rights(sent.marker, false);
    } else if (pick < 95) {
      sent = Sent{'x', "11111111", -1, {}};
      command = Rights(sent.marker, true);
    } else {
      sent = Sent{'x', "bad-" + marker, -1, {}};
      command =
          "MN_UpdateCustomerRec 201,'" + a + "','0012','" + sent.marker + "','','','','000004',1";
    }
    const auto start = std::chrono::steady_clock::now();
    sent.status = Send(command, sent.answer);
    sent.ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    out << sent.kind << '\t' << sent.marker << '\t' << sent.status << '\t' << sent.ms << '\t'
        << sent.answer << '\n';
    out.flush();
  }
}

std::vector<std::string> Rows(host::Db& db, const char* sql) {
  std::vector<std::string> rows;
  host::Query q(db, sql);
  while (q.Next()) {
    std::string row = q.Text(0);
    for (int c = 1; c < 3 && !q.IsNull(c); ++c) {
      row += "|" + q.Text(c);
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

void PrepareWorkload(host::Db& admin) {
  // 000003 may add customers but not change them, so that a creation answered 1 is a
  // new row; 000002 starts with one mask on every node.
  admin.Exec(
      "UPDATE node_right SET rights = '11000000' WHERE corp_id = '0012'"
      " AND user_id = '000003' AND node_id = 201");
  admin.Exec(
      "UPDATE node_right SET rights = '10000000' WHERE corp_id = '0012'"
      " AND user_id = '000002'");
  admin.Exec(
      "INSERT INTO node_right(corp_id, user_id, node_id, rights)"
      " SELECT '0012', '000002', node_id, '10000000' FROM view_node WHERE node_id NOT IN"
      " (SELECT node_id FROM node_right WHERE corp_id = '0012' AND user_id = '000002')");
}

std::vector<Sent> RunWorkstations(const Target& target, const Workload& workload,
                                  const std::function<void()>& during) {
  TempDir logs;
  std::vector<pid_t> pids;
  // The workstations wait at a gate until all are forked: a thread of this process (a
  // relay's) is then idle in its poll, never holding a lock a child would inherit held.
  int gate[2];
  if (pipe(gate) != 0) {
    ADD_FAILURE() << "no pipe for the workstations' gate";
    return {};
  }
  for (int w = 0; w < workload.workers; ++w) {
    const std::string log = logs.File("w" + std::to_string(w));
    pid_t pid = fork();
    if (pid == 0) {
      close(gate[1]);
      char none = 0;
      while (read(gate[0], &none, 1) < 0 && errno == EINTR) {
      }
      close(gate[0]);
      Workstation(target, workload, w, log);
      _exit(0);
    }
    pids.push_back(pid);
  }
  close(gate[0]);
  close(gate[1]);  // the workstations read its end and start
  if (during) {
    during();
  }
  for (pid_t pid : pids) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "a workstation failed: " << (WIFSIGNALED(status) ? "signal " : "exit ")
        << (WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
  }
  std::vector<Sent> sent;
  for (int w = 0; w < workload.workers; ++w) {
    std::ifstream in(logs.File("w" + std::to_string(w)));
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      Sent s;
      std::string kind;
      std::string status;
      std::string ms;
      std::getline(fields, kind, '\t');
      std::getline(fields, s.marker, '\t');
      std::getline(fields, status, '\t');
      std::getline(fields, ms, '\t');
      std::getline(fields, s.answer);
      s.kind = kind.empty() ? '?' : kind[0];
      s.status = std::atoi(status.c_str());
      s.ms = std::atof(ms.c_str());
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
  std::set<std::string> createdMaybe;
  std::set<std::string> imported;
  std::set<std::string> importedMaybe;
  std::set<std::string> masks = {"10000000"};
  std::set<std::string> masksMaybe;
  int creations = 0;
  int deletions = 0;
  int failedCreations = 0;
  int failedDeletions = 0;
  for (const Sent& s : sent) {
    const bool done = s.status == 0;
    const bool yes = done && !s.answer.empty() && s.answer[0] == '1';
    if (busyAllowed && s.status == 3) {
      continue;  // busy: nothing of the command was stored
    }
    if (!faults && s.kind != 'x') {
      EXPECT_EQ(s.status, 0) << s.kind << " " << s.marker << ": " << s.answer;
    }
    switch (s.kind) {
      case 'c':
        if (yes) {
          created.insert(s.marker);
          ++creations;
        } else if (!done && faults) {
          createdMaybe.insert(s.marker);
          ++failedCreations;
        } else {
          EXPECT_EQ(s.answer, "-1") << "a creation is refused only for an existing customer";
        }
        break;
      case 'd':
        deletions += yes ? 1 : 0;
        failedDeletions += done || !faults ? 0 : 1;
        break;
      case 'i':
        if (done) {
          EXPECT_EQ(s.answer.rfind("1 customer", 0), 0u) << "an import refused: " << s.answer;
          imported.insert(s.marker);
        } else if (faults) {
          importedMaybe.insert(s.marker);
        }
        break;
      case 's':
        if (done) {
          masks.insert(s.marker);
        } else if (faults) {
          masksMaybe.insert(s.marker);
        }
        break;
      case 'x':
        EXPECT_TRUE(s.status != 0 || s.answer == "-1") << s.marker << ": " << s.answer;
        break;
      default:
        break;
    }
  }

  // Pool A: rows are committed creations less committed deletions, each named by a
  // committed creation.
  const std::vector<std::string> poolA =
      Rows(admin, "SELECT cust_name FROM customer WHERE corp_id = '0012' AND cust_id LIKE 'A%'");
  const int rows = static_cast<int>(poolA.size());
  if (faults) {
    EXPECT_GE(rows, creations - deletions - failedDeletions);
    EXPECT_LE(rows, creations + failedCreations - deletions);
  } else {
    EXPECT_EQ(rows, creations - deletions);
  }
  for (const std::string& name : poolA) {
    EXPECT_TRUE(created.count(name) != 0 || createdMaybe.count(name) != 0)
        << name << " was never committed";
  }
  EXPECT_TRUE(Rows(admin, "SELECT cust_id FROM customer WHERE cust_name LIKE 'bad-%'").empty());

  // Pool B: the accounts of the committed imports, each once, none of a command that
  // failed unless it failed while the server went away (then whole).
  const std::vector<std::string> accounts =
      Rows(admin, "SELECT ac_no FROM cust_account WHERE corp_id = '0012' AND cust_id LIKE 'B%'");
  std::set<std::string> found;
  for (const std::string& ac : accounts) {
    EXPECT_TRUE(found.insert(ac).second) << ac << " doubled";
    EXPECT_TRUE(imported.count(ac) != 0 || (faults && importedMaybe.count(ac) != 0))
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
  EXPECT_EQ(rights[0], rights[1]);
  EXPECT_EQ(rights[1], rights[2]);
  EXPECT_TRUE(masks.count(rights[0]) != 0 || (faults && masksMaybe.count(rights[0]) != 0))
      << rights[0];
  EXPECT_GT(imported.size(), 0u);
  EXPECT_GT(creations, 0);
}

void KillMidBatch(host::Db& admin, const Target& target, int rounds) {
  std::vector<std::string> nodes = Rows(admin, "SELECT node_id FROM view_node");
  // One mask on every node to start from: the workload before left its own mask on a few
  // nodes. A workstation's masks end in 1, so none is the start's.
  const std::string start = "10000000";
  admin.Exec(("UPDATE node_right SET rights = '" + start +
              "' WHERE corp_id = '0012' AND user_id = '000002'")
                 .c_str());
  std::string current = start;
  std::mt19937 random(7);
  std::set<std::string> seen;
  for (int round = 0; round < rounds; ++round) {
    pid_t pid = fork();
    if (pid == 0) {
      PointAt(target);
      std::mt19937 masks(static_cast<unsigned>(getpid()));
      for (;;) {
        std::string mask;
        for (int bit = 0; bit < 7; ++bit) {
          mask += masks() % 2 ? '1' : '0';
        }
        mask += "1";
        std::string batch;
        for (const std::string& node : nodes) {
          batch += "exec MN_DeleteUserRightList '0012','000002'," + node + "\r\n";
          batch.append("exec MN_UpdateRightItem '0012','000002',").append(node);
          batch.append(",'").append(mask).append("'\r\n");
        }
        std::string first;
        Send(batch, first);
      }
    }
    // The kill lands while the workstation stores batches: its first batch is waited for
    // (a slow start under load would be killed before any), then a random moment more.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const std::string changed =
        "SELECT node_id FROM node_right WHERE corp_id = '0012' AND user_id = '000002'"
        " AND rights <> '" +
        current + "'";
    while (std::chrono::steady_clock::now() < deadline && Rows(admin, changed.c_str()).empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 60));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::set<std::string> masks;
    for (const std::string& mask :
         Rows(admin,
              "SELECT rights FROM node_right WHERE corp_id = '0012' AND user_id = '000002'")) {
      masks.insert(mask);
    }
    EXPECT_EQ(masks.size(), 1u) << "round " << round << ": a batch was stored in part";
    ASSERT_EQ(Rows(admin,
                   "SELECT count(*) FROM node_right WHERE corp_id = '0012'"
                   " AND user_id = '000002'")[0],
              std::to_string(nodes.size()))
        << "round " << round;
    if (masks.size() == 1) {
      current = *masks.begin();
    }
    seen.insert(masks.begin(), masks.end());
  }
  seen.erase(start);
  EXPECT_FALSE(seen.empty()) << "no batch ever committed: the kills prove nothing";
}

}  // namespace hosttest
