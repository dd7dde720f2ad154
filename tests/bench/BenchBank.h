// The benchmarks' banks, made the one way a bank is made: tavro-bank init, the tool
// beside the benchmark program (the host refuses a bank that does not exist).
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <stdexcept>
#include <string>

extern char** environ;

namespace bench {

// Creates a demonstration bank at path; throws when tavro-bank cannot.
inline void InitDemoBank(const std::string& path) {
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) {
    throw std::runtime_error("cannot find the benchmark's own folder");
  }
  std::string tool(self, static_cast<std::size_t>(n));
  tool = tool.substr(0, tool.rfind('/') + 1) + "tavro-bank";
  std::string init = "init";
  std::string demo = "--demo";
  std::string target = path;
  char* argv[] = {tool.data(), init.data(), demo.data(), target.data(), nullptr};
  // Its report of what it made would only clutter the benchmark's table.
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int status = 0;
  const int spawned = posix_spawn(&pid, tool.c_str(), &quiet, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&quiet);
  if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    throw std::runtime_error(tool + " init --demo " + path + " failed");
  }
}

}  // namespace bench
