#include "PrivateCluster.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

namespace hosttest {

PrivateCluster::PrivateCluster() : folder_(dir_.File("cluster")) {
  // The server runs as an unprivileged user when the tests run as root: it must reach
  // its folder.
  chmod(dir_.File("").c_str(), 0711);
  passwords_.emplace("PGPASSFILE", (folder_ + "/pgpass").c_str());
}

PrivateCluster::~PrivateCluster() {
  (void)Stop();
}

bool PrivateCluster::Start() {
  return Run("start");
}

bool PrivateCluster::Stop() {
  return Run("stop");
}

std::string PrivateCluster::Url(const std::string& login) const {
  std::ifstream portFile(folder_ + "/port");
  std::string port;
  std::getline(portFile, port);
  return "postgresql://" + login + "@/tavro?host=" + folder_ + "&port=" + port;
}

bool PrivateCluster::Run(const std::string& action) const {
  const std::string command = std::string("TAVRO_BANK_TOOL='") + TAVRO_BANK_TOOL + "' " +
                              TAVRO_SOURCE_DIR + "/scripts/bank-postgres.sh " + action + " " +
                              folder_ + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

}  // namespace hosttest
