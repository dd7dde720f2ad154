// Workstation processes sending a mixed workload to one bank through qelCommand, and
// the bookkeeping that checks the bank against what they were told.
//
// The workload is built so that the outcome of a serial run of the committed
// commands can be checked exactly whatever their order:
//   - pool A (customers A00..A11): created by an operator who may add but not change
//     (so "1" means a new row), renamed within the pool and deleted; the number of
//     rows is the committed creations less the committed deletions, and every name is
//     one a committed creation wrote;
//   - pool B (customers B00..B07): imports, each with an account number of its own;
//     the accounts are exactly those of the committed imports, none doubled;
//   - rights of user 000002 on nodes 12, 13 and 104, saved by one batch: all three
//     masks are one committed batch's;
//   - commands refused by design (an operator without the right, a batch with a bad
//     statement) whose texts must never be found.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/Database.h"

namespace hosttest {

// What one command was and what its workstation was told.
struct Sent {
  char kind = 0;       // c create, r rename, d delete, i import, s rights, x refused
  std::string marker;  // the name, account number or mask it writes
  int status = -1;     // qelCommand's status
  std::string answer;  // the first field of the answer (UTF-8)
  double ms = 0;       // how long qelCommand took
};

struct Workload {
  int workers = 8;
  int commands = 2000;  // each workstation's, or the most it sends within seconds
  unsigned seed = 1;
  int seconds = 0;  // above 0: each workstation sends for this long
  // Through a service: workstation w signs in as logins[w % size] (all with the
  // password file the run names); empty, the run's own login.
  std::vector<std::string> logins{};
};

// Where the workstations find the bank: TAVRO_BANK_URL, or TAVRO_BANK_DB when url is
// empty.
struct Target {
  std::string url;
  std::string file;
};

// Prepares the demonstration bank for the workload (as its owner).
void PrepareWorkload(host::Db& admin);

// Runs the workload's workstation processes; during runs in this process while they
// work. Returns every command each one sent, in its order.
std::vector<Sent> RunWorkstations(const Target& target, const Workload& workload,
                                  const std::function<void()>& during = {});

// Checks the bank against the logs: with faults, a command that failed may have been
// stored whole or not at all, never half; without, failed commands stored nothing,
// and only busyAllowed lets a command answer busy (the embedded bank's writers wait
// at most 5 seconds for the one write lock).
void CheckBank(host::Db& admin, const std::vector<Sent>& sent, bool faults, bool busyAllowed);

// Kills a process sending large batches (rights of 000002 on every node) in the
// middle, rounds times, and checks that each batch stayed all or nothing.
void KillMidBatch(host::Db& admin, const Target& target, int rounds);

}  // namespace hosttest
