// A PostgreSQL cluster of one test's own (scripts/bank-postgres.sh in a temporary
// folder), for the tests that stop and start the server: stopping the shared test
// cluster would take every other test's server away. Its passwords file is the one
// PGPASSFILE names while the object lives; the cluster is stopped with it.
#pragma once

#include <optional>
#include <string>

#include "HostTestSupport.h"
#include "tests/support/TestEnv.h"

namespace hosttest {

class PrivateCluster {
 public:
  PrivateCluster();
  ~PrivateCluster();
  PrivateCluster(const PrivateCluster&) = delete;
  PrivateCluster& operator=(const PrivateCluster&) = delete;

  // bank-postgres.sh start or stop; true when it succeeded.
  bool Start();
  bool Stop();
  // The demonstration bank's URL for a login, on the port the cluster was started on.
  std::string Url(const std::string& login) const;

 private:
  bool Run(const std::string& action) const;

  TempDir dir_;
  std::string folder_;
  std::optional<tavro_test::ScopedEnv> passwords_;
};

}  // namespace hosttest
