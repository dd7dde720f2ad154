#include "tests/support/ShellSandbox.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {
namespace {

// A hung shell fails its test instead of the whole run.
constexpr auto kShellTimeout = std::chrono::seconds(120);

// What the sandboxed shell inherits: the search path, the sanitizers' settings and a
// shared bank the whole run is pointed at; nothing else of TAVRO_*.
constexpr const char* kInherited[] = {"PATH",         "ASAN_OPTIONS",    "UBSAN_OPTIONS",
                                      "LSAN_OPTIONS", "LD_LIBRARY_PATH", "TAVRO_BANK_URL",
                                      "PGPASSFILE"};

}  // namespace

std::string BinDir() {
  return TAVRO_BIN_DIR;
}

Sandbox::Sandbox() : root_(dir_.Path()) {
  for (const char* sub : {"/work", "/tmp", "/home", "/home/.local", "/home/.local/share"}) {
    std::filesystem::create_directory(root_ + sub);
  }
  // The module's private temporary folder must be the user's own, mode 0700.
  chmod(TempDir().c_str(), 0700);
  env_ = {{"TMPDIR", TempDir()},
          {"HOME", root_ + "/home"},
          {"XDG_DATA_HOME", root_ + "/home/.local/share"},
          {"LANG", "C"},
          {"LC_ALL", "C"}};
  for (const char* name : kInherited) {
    if (const char* value = std::getenv(name)) {
      env_[name] = value;
    }
  }
}

std::string Sandbox::Resolve(std::string_view name) const {
  return !name.empty() && name.front() == '/' ? std::string(name)
                                              : WorkDir() + "/" + std::string(name);
}

std::string Sandbox::WriteFile(std::string_view name, std::string_view content) const {
  std::string path = Resolve(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
  return path;
}

std::string Sandbox::ReadFile(std::string_view name) const {
  return tavro_test::ReadFile(Resolve(name));
}

bool Sandbox::Exists(std::string_view name) const {
  struct stat st {};
  return lstat(Resolve(name).c_str(), &st) == 0;
}

std::vector<std::string> Sandbox::List(std::string_view folder) const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(Resolve(folder))) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

void Sandbox::SetLanguage(std::string_view langId) const {
  WriteFile("Tavro2007.ini", "[Settings]\r\nLangId=" + std::string(langId) + "\r\n");
}

void Sandbox::UseTableHost(std::string_view table) {
  env_["TAVRO_HOST_LIBRARY"] = BinDir() + "/libTavroTableHost.so";
  env_["TAVRO_TABLE_HOST"] = WriteFile(root_ + "/host-table.txt", table);
  env_["TAVRO_TABLE_HOST_LOG"] = root_ + "/host-log.txt";
  env_.erase("TAVRO_BANK_DB");
}

void Sandbox::UseBankServer() {
  env_.erase("TAVRO_HOST_LIBRARY");
  env_.erase("TAVRO_TABLE_HOST");
  env_.erase("TAVRO_TABLE_HOST_LOG");
  env_["TAVRO_BANK_DB"] = BankDb();
  // Only tavro-bank init makes a bank; the host refuses a missing one.
  const ShellOutput init = Run("tavro-bank", {"init", "--demo", BankDb()});
  if (init.status != 0) {
    throw std::runtime_error("tavro-bank init failed: " + init.err);
  }
}

std::vector<std::string> Sandbox::HostLog() const {
  return Lines(tavro_test::ReadFile(root_ + "/host-log.txt"));
}

void Sandbox::SetInput(std::string_view text) {
  input_ = WriteFile(root_ + "/shell-stdin.txt", text);
}

ShellOutput Sandbox::Shell(const std::vector<std::string>& args) const {
  return Run("tavro-shell", args);
}

ShellOutput Sandbox::Run(const std::string& name, const std::vector<std::string>& args) const {
  std::string program = BinDir() + "/" + name;
  std::vector<std::string> argStrings{program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<std::string> envStrings;
  for (const auto& [variable, value] : env_) {
    envStrings.push_back(variable);
    envStrings.back().append("=").append(value);
  }
  const auto pointers = [](std::vector<std::string>& strings) {
    std::vector<char*> list;
    list.reserve(strings.size() + 1);
    for (std::string& s : strings) {
      list.push_back(s.data());
    }
    list.push_back(nullptr);
    return list;
  };
  const std::vector<char*> argv = pointers(argStrings);
  const std::vector<char*> envp = pointers(envStrings);

  // Programs may run at once from several threads: each run has its own output files.
  const std::string run = std::to_string(runs_++);
  const std::string outPath = root_ + "/shell-stdout-" + run + ".txt";
  const std::string errPath = root_ + "/shell-stderr-" + run + ".txt";
  const std::string work = WorkDir();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input_.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addchdir_np(&actions, work.c_str());
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    throw std::runtime_error("cannot start " + program);
  }

  int wstatus = 0;
  const auto deadline = std::chrono::steady_clock::now() + kShellTimeout;
  while (waitpid(pid, &wstatus, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ShellOutput result;
  if (WIFEXITED(wstatus)) {
    result.status = WEXITSTATUS(wstatus);
  } else if (WIFSIGNALED(wstatus)) {
    result.signal = WTERMSIG(wstatus);
  }
  result.out = tavro_test::ReadFile(outPath);
  result.err = tavro_test::ReadFile(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return result;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  return lines;
}

std::string ReadSource(const std::string& relative) {
  return tavro_test::ReadFile(std::string(TAVRO_SOURCE_DIR) + "/" + relative);
}

std::vector<std::string> ExampleScripts() {
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(TAVRO_SOURCE_DIR) + "/examples")) {
    const std::string name = entry.path().filename().string();
    if (ReadSource("examples/" + name).rfind("# call:", 0) == 0) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace e2e
