// tavro-bank's commands for the bank's HTTPS service on Linux: login (the logins
// workstations sign in with) and serve.
#include "host/BankToolService.h"

#include <pthread.h>
#include <signal.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "host/BankAdmin.h"
#include "host/BankService.h"
#include "host/ServiceLogins.h"

namespace host {
namespace {

// The first line of standard input, for a password that must not appear on the
// command line.
std::string PasswordFromInput() {
  std::string password;
  std::getline(std::cin, password);
  if (!password.empty() && password.back() == '\r') {
    password.pop_back();
  }
  return password;
}

struct LoginOptions {
  std::string bank;
  std::string name;
  std::string corp;
  std::vector<std::string> operators;
  bool passwordFromInput = false;
  std::string passwordFile;
};

// A service login's password: the first line of the named file, else of standard
// input; never an argument, which every user of the machine could read.
std::string ServicePassword(const LoginOptions& options) {
  if (options.passwordFile.empty()) {
    return PasswordFromInput();
  }
  std::ifstream in(options.passwordFile, std::ios::binary);
  std::string password;
  if (!in || !std::getline(in, password)) {
    throw std::runtime_error("cannot read a password from " + options.passwordFile);
  }
  if (!password.empty() && password.back() == '\r') {
    password.pop_back();
  }
  return password;
}

std::unique_ptr<host::Db> ServiceBank(const LoginOptions& options) {
  return host::OpenBank(host::ParseBankLocation(options.bank));
}

// login add|remove|list|password: the logins workstations sign in to the service with.
int ServiceLogin(const std::string& verb, const LoginOptions& options) {
  std::unique_ptr<host::Db> db = ServiceBank(options);
  if (verb == "add") {
    const bool known = [&] {
      for (const host::LoginGrant& grant : host::ListServiceLogins(*db)) {
        if (grant.login == options.name) {
          return true;
        }
      }
      return false;
    }();
    std::optional<std::string> password;
    if (!known || !options.passwordFile.empty() || options.passwordFromInput) {
      password = ServicePassword(options);
    }
    host::AddServiceLogin(*db, {options.name, options.corp, options.operators}, password);
    std::cout << "service login " << options.name << " acts for corporation " << options.corp
              << " as";
    for (const std::string& user : options.operators) {
      std::cout << " " << user;
    }
    std::cout << "\n";
  } else if (verb == "password") {
    host::SetServicePassword(*db, options.name, ServicePassword(options));
    std::cout << "service login " << options.name << " has a new password\n";
  } else if (verb == "remove") {
    host::RemoveServiceLogin(*db, options.name);
    std::cout << "service login " << options.name << " removed\n";
  } else {
    for (const host::LoginGrant& grant : host::ListServiceLogins(*db)) {
      std::cout << grant.login << " | " << grant.corp << " |";
      for (const std::string& user : grant.operators) {
        std::cout << " " << user;
      }
      std::cout << "\n";
    }
  }
  return 0;
}

struct ServeOptions {
  std::string bank;
  std::string listen;
  std::string cert;
  std::string key;
  std::size_t connections = 16;
  double connectionWait = 10;  // seconds
};

// Serves until SIGINT or SIGTERM; the access log goes to standard error.
int Serve(const ServeOptions& options) {
  const std::size_t colon = options.listen.rfind(':');
  if (colon == std::string::npos || colon + 1 == options.listen.size() ||
      options.listen.find_first_not_of("0123456789", colon + 1) != std::string::npos) {
    throw std::runtime_error("--listen wants ADDR:PORT, e.g. 127.0.0.1:8443");
  }
  host::ServiceOptions service;
  service.bank = host::ParseBankLocation(options.bank);
  service.host = options.listen.substr(0, colon);
  service.port = std::stoi(options.listen.substr(colon + 1));
  service.certFile = options.cert;
  service.keyFile = options.key;
  service.accessLog = &std::cerr;
  service.connections = options.connections;
  service.connectionWait =
      std::chrono::milliseconds(static_cast<std::int64_t>(options.connectionWait * 1000));
  // The signals are taken by one thread that stops the service; the service's own
  // threads, started after this, inherit the blocked mask.
  sigset_t stopping;
  sigemptyset(&stopping);
  sigaddset(&stopping, SIGINT);
  sigaddset(&stopping, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
  host::BankService server(service);
  std::cerr << "tavro-bank: serving " << server.bank() << " on https://" << service.host << ":"
            << server.port() << "/" << std::endl;
  std::atomic<bool> over{false};
  std::thread watcher([&] {
    const timespec tick{0, 200L * 1000 * 1000};
    while (!over) {
      if (sigtimedwait(&stopping, nullptr, &tick) > 0) {
        server.Stop();
        return;
      }
    }
  });
  const bool served = server.Run();
  over = true;
  watcher.join();
  if (!served) {
    throw std::runtime_error("the service stopped: cannot serve on " + options.listen);
  }
  return 0;
}

}  // namespace

struct ServiceCommands {
  LoginOptions login;
  ServeOptions serve;
  CLI::App* loginAdd = nullptr;
  CLI::App* loginRemove = nullptr;
  CLI::App* loginList = nullptr;
  CLI::App* loginPassword = nullptr;
  CLI::App* serveCmd = nullptr;
};

ServiceCommandsPtr AddServiceCommands(CLI::App& app) {
  ServiceCommandsPtr commands(new ServiceCommands);
  CLI::App* loginCmd =
      app.add_subcommand("login", "the logins workstations sign in to the service with");
  loginCmd->require_subcommand(1);
  loginCmd->footer(
      "A login acts for the corporation and operators the bank maps it to; the service\n"
      "refuses every command naming others. Workstations hold no role on a PostgreSQL\n"
      "server: only the service and the administrator's tools open the bank.");
  commands->loginAdd =
      loginCmd->add_subcommand("add", "let a login act for a corporation as operators");
  commands->loginAdd
      ->add_option("NAME", commands->login.name, "the login (lower-case letters, digits, _)")
      ->required();
  commands->loginAdd->add_option("--corp", commands->login.corp, "the corporation")->required();
  commands->loginAdd
      ->add_option("--operator", commands->login.operators, "a user id it may act as (repeatable)")
      ->required();
  commands->loginAdd
      ->add_option("--bank", commands->login.bank, "the bank (a file or a postgresql:// URL)")
      ->required();
  commands->loginAdd->add_flag("--password-stdin", commands->login.passwordFromInput,
                               "read the login's password from the first line of standard input");
  commands->loginAdd->add_option(
      "--password-file", commands->login.passwordFile,
      "the login's password: the first line of FILE (else standard input; "
      "needed for a new login)");
  commands->loginRemove = loginCmd->add_subcommand("remove", "take a login out of the bank");
  commands->loginRemove->add_option("NAME", commands->login.name, "the login")->required();
  commands->loginRemove
      ->add_option("--bank", commands->login.bank, "the bank (a file or a postgresql:// URL)")
      ->required();
  commands->loginList = loginCmd->add_subcommand("list", "print login | corporation | operators");
  commands->loginList
      ->add_option("--bank", commands->login.bank, "the bank (a file or a postgresql:// URL)")
      ->required();
  commands->loginPassword = loginCmd->add_subcommand("password", "give a login a new password");
  commands->loginPassword->add_option("NAME", commands->login.name, "the login")->required();
  commands->loginPassword
      ->add_option("--bank", commands->login.bank, "the bank (a file or a postgresql:// URL)")
      ->required();
  commands->loginPassword->add_option("--password-file", commands->login.passwordFile,
                                      "the first line of FILE (else standard input)");

  commands->serveCmd =
      app.add_subcommand("serve", "serve the bank to workstations over HTTPS (TLS 1.2+)");
  commands->serveCmd->footer(
      "Workstations sign in with a service login (tavro-bank login add --bank) and send\n"
      "commands; only this service opens the bank. One access log line per command on\n"
      "standard error. SIGINT or SIGTERM stops it. See docs/bank-service.md.");
  commands->serveCmd
      ->add_option("--bank", commands->serve.bank, "the bank: a file or a postgresql:// URL")
      ->required();
  commands->serveCmd->add_option("--listen", commands->serve.listen, "ADDR:PORT to listen on")
      ->required();
  commands->serveCmd
      ->add_option("--cert", commands->serve.cert, "the server's certificate chain (PEM)")
      ->required();
  commands->serveCmd
      ->add_option("--key", commands->serve.key, "the certificate's private key (PEM)")
      ->required();
  commands->serveCmd
      ->add_option("--connections", commands->serve.connections,
                   "at most N connections to the bank at once (default 16)")
      ->check(CLI::Range(1, 1000));
  commands->serveCmd
      ->add_option("--connection-wait", commands->serve.connectionWait,
                   "seconds a request waits for a free connection before it is refused with "
                   "503 (default 10)")
      ->check(CLI::Range(0.0, 600.0));

  return commands;
}

std::optional<int> RunServiceCommand(const ServiceCommands* commands) {
  if (commands->serveCmd->parsed()) {
    return Serve(commands->serve);
  }
  for (CLI::App* verb :
       {commands->loginAdd, commands->loginRemove, commands->loginList, commands->loginPassword}) {
    if (verb->parsed()) {
      return ServiceLogin(verb->get_name(), commands->login);
    }
  }
  return std::nullopt;
}

void ServiceCommandsDeleter::operator()(ServiceCommands* commands) const {
  delete commands;
}

}  // namespace host
