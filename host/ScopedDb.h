// A connection that acts for one login only: the interpreter refuses every command
// naming a corporation or operator outside the login's map, and each transaction
// names the login to the engine (Db::ActFor), whose row security is the second wall.
// The service wraps its pooled connections in one per request.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/Database.h"

namespace host {

class ScopedDb : public Db {
 public:
  ScopedDb(Db& inner, LoginScope scope) : inner_(inner), scope_(std::move(scope)) {}
  Engine engine() const override { return inner_.engine(); }
  const std::string& name() const override { return inner_.name(); }
  bool created() const override { return inner_.created(); }
  const LoginScope* scope() const override { return &scope_; }
  bool usable() const override { return inner_.usable(); }
  Statement& Prepare(const char* sql) override { return inner_.Prepare(sql); }
  int ChangedRows() override { return inner_.ChangedRows(); }
  std::int64_t LastInsertId() override { return inner_.LastInsertId(); }
  void Begin(Access access, const std::vector<std::string>& records) override {
    inner_.ActFor(scope_.login);
    inner_.Begin(access, records);
  }
  void Commit() override { inner_.Commit(); }
  void Rollback() noexcept override { inner_.Rollback(); }
  bool InTransaction() const override { return inner_.InTransaction(); }
  void Savepoint(const char* name) override { inner_.Savepoint(name); }
  void Release(const char* name) override { inner_.Release(name); }
  void RollbackTo(const char* name) noexcept override { inner_.RollbackTo(name); }
  void Exec(const char* sql) override { inner_.Exec(sql); }
  void ResetStatements() override { inner_.ResetStatements(); }

 private:
  Db& inner_;
  LoginScope scope_;
};

}  // namespace host
