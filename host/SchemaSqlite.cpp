// The bank server's schema on the embedded engine. Texts are UTF-8 so that sqlite3
// shows them readably; lengths are checked by the procedures in the module's GBK
// bytes. Multi-line texts hold their line breaks as CR LF (see host/README.md). The
// schema version is SQLite's user_version. The same tables on PostgreSQL:
// SchemaPostgres.cpp.
#include "host/Schema.h"

namespace host {

namespace {

// Version 1: the bank's own tables.
const char* const kVersion1 = R"SQL(
CREATE TABLE corp(
  corp_id   TEXT PRIMARY KEY,
  corp_name TEXT NOT NULL,
  status    INTEGER NOT NULL DEFAULT 1
);

-- Bank users: the login table of the corporation that the user belongs to first.
CREATE TABLE bank_user(
  user_id     TEXT PRIMARY KEY,
  corp_id     TEXT NOT NULL REFERENCES corp(corp_id),
  user_name   TEXT NOT NULL,
  level       TEXT NOT NULL CHECK (level IN ('O', 'B', 'A', 'D', 'S')),
  status      INTEGER NOT NULL CHECK (status IN (0, 1, 2, 9)),
  card_date   TEXT,
  expiry_date TEXT
);

-- Every corporation a user works for (the home corporation included).
CREATE TABLE user_corp(
  user_id TEXT NOT NULL REFERENCES bank_user(user_id) ON DELETE CASCADE ON UPDATE CASCADE,
  corp_id TEXT NOT NULL REFERENCES corp(corp_id),
  PRIMARY KEY (user_id, corp_id)
);

-- Review lists: checker_id may check the business records made by maker_id.
CREATE TABLE review_list(
  corp_id    TEXT NOT NULL,
  checker_id TEXT NOT NULL,
  maker_id   TEXT NOT NULL,
  PRIMARY KEY (corp_id, checker_id, maker_id),
  FOREIGN KEY (checker_id, corp_id) REFERENCES user_corp(user_id, corp_id) ON DELETE CASCADE,
  FOREIGN KEY (maker_id, corp_id) REFERENCES user_corp(user_id, corp_id) ON DELETE CASCADE,
  CHECK (checker_id <> maker_id)
);

CREATE TABLE currency(
  code     TEXT PRIMARY KEY CHECK (length(code) = 3),
  name     TEXT NOT NULL,
  decimals INTEGER NOT NULL DEFAULT 2
);

CREATE TABLE corp_account(
  corp_id  TEXT NOT NULL REFERENCES corp(corp_id),
  ac_no    TEXT NOT NULL,
  currency TEXT NOT NULL REFERENCES currency(code),
  ac_type  INTEGER NOT NULL,
  ac_name  TEXT NOT NULL DEFAULT '',
  status   INTEGER NOT NULL,
  PRIMARY KEY (corp_id, ac_no)
);

-- Per-user order of the corporation's accounts.
CREATE TABLE account_order(
  corp_id  TEXT NOT NULL,
  user_id  TEXT NOT NULL,
  ac_no    TEXT NOT NULL,
  position INTEGER NOT NULL CHECK (position >= 0),
  PRIMARY KEY (corp_id, user_id, ac_no),
  FOREIGN KEY (corp_id, ac_no) REFERENCES corp_account(corp_id, ac_no) ON DELETE CASCADE,
  FOREIGN KEY (user_id, corp_id) REFERENCES user_corp(user_id, corp_id) ON DELETE CASCADE
);

CREATE TABLE account_right(
  corp_id TEXT NOT NULL,
  user_id TEXT NOT NULL,
  ac_no   TEXT NOT NULL,
  PRIMARY KEY (corp_id, user_id, ac_no),
  FOREIGN KEY (corp_id, ac_no) REFERENCES corp_account(corp_id, ac_no) ON DELETE CASCADE,
  FOREIGN KEY (user_id, corp_id) REFERENCES user_corp(user_id, corp_id) ON DELETE CASCADE
);

-- The shell's function tree and the module that serves each node.
CREATE TABLE view_node(
  node_id   INTEGER PRIMARY KEY,
  parent_id INTEGER REFERENCES view_node(node_id),
  position  INTEGER NOT NULL,
  name_cn   TEXT NOT NULL,
  name_en   TEXT NOT NULL,
  name_jp   TEXT NOT NULL DEFAULT '',
  library   TEXT NOT NULL DEFAULT '',
  entry     TEXT NOT NULL DEFAULT '',
  param     TEXT NOT NULL DEFAULT '',
  extra     TEXT NOT NULL DEFAULT ''
);

-- Rights masks: query, add, modify, delete, fifth right, three spare positions.
CREATE TABLE node_right(
  corp_id TEXT NOT NULL,
  user_id TEXT NOT NULL,
  node_id INTEGER NOT NULL REFERENCES view_node(node_id),
  rights  TEXT NOT NULL CHECK (length(rights) = 8 AND rights NOT GLOB '*[^01]*'),
  PRIMARY KEY (corp_id, user_id, node_id),
  FOREIGN KEY (user_id, corp_id) REFERENCES user_corp(user_id, corp_id) ON DELETE CASCADE
);

CREATE TABLE customer(
  corp_id   TEXT NOT NULL REFERENCES corp(corp_id),
  cust_id   TEXT NOT NULL,
  cust_name TEXT NOT NULL DEFAULT '',
  name_addr TEXT NOT NULL DEFAULT '',
  remark    TEXT NOT NULL DEFAULT '',
  email     TEXT NOT NULL DEFAULT '',
  operator  TEXT NOT NULL DEFAULT '',
  status    INTEGER NOT NULL DEFAULT 1,
  PRIMARY KEY (corp_id, cust_id)
);

CREATE TABLE bank(
  bank_id    INTEGER PRIMARY KEY,
  bank_name  TEXT NOT NULL,
  addr1      TEXT NOT NULL DEFAULT '',
  addr2      TEXT NOT NULL DEFAULT '',
  addr3      TEXT NOT NULL DEFAULT '',
  addr4      TEXT NOT NULL DEFAULT '',
  swift_code TEXT NOT NULL DEFAULT ''
);

-- Bank accounts of customers; int_bank_id is NULL without an intermediary bank.
CREATE TABLE cust_account(
  ac_id          INTEGER PRIMARY KEY AUTOINCREMENT,
  corp_id        TEXT NOT NULL,
  cust_id        TEXT NOT NULL,
  currency       TEXT NOT NULL REFERENCES currency(code),
  ac_no          TEXT NOT NULL,
  cny_bank       TEXT NOT NULL DEFAULT '',
  int_bank_id    INTEGER REFERENCES bank(bank_id),
  bank_type      TEXT NOT NULL DEFAULT '' CHECK (bank_type IN ('', ' ', 'A', 'B', 'D')),
  bank_ac_no     TEXT NOT NULL DEFAULT '',
  bank_name_addr TEXT NOT NULL DEFAULT '',
  operator       TEXT NOT NULL DEFAULT '',
  status         INTEGER NOT NULL DEFAULT 1,
  FOREIGN KEY (corp_id, cust_id) REFERENCES customer(corp_id, cust_id)
    ON UPDATE CASCADE ON DELETE CASCADE
);
CREATE INDEX cust_account_customer ON cust_account(corp_id, cust_id);

CREATE TABLE cny_payee(
  corp_id   TEXT NOT NULL REFERENCES corp(corp_id),
  payee_id  TEXT NOT NULL,
  ac_name   TEXT NOT NULL,
  ac_no     TEXT NOT NULL,
  bank_name TEXT NOT NULL,
  operator  TEXT NOT NULL DEFAULT '',
  status    INTEGER NOT NULL DEFAULT 1,
  remark    TEXT NOT NULL DEFAULT '',
  email     TEXT NOT NULL DEFAULT '',
  sms       TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (corp_id, payee_id)
);

-- Payment usage texts; position 0 is the default usage.
CREATE TABLE usage_text(
  corp_id  TEXT NOT NULL REFERENCES corp(corp_id),
  position INTEGER NOT NULL CHECK (position >= 0),
  usage    TEXT NOT NULL,
  user_id  TEXT NOT NULL,
  PRIMARY KEY (corp_id, position)
);

-- SWIFT directory: 11-character codes (eight-character codes carry branch XXX).
CREATE TABLE swift_bank(
  swift_code TEXT PRIMARY KEY CHECK (length(swift_code) = 11),
  bank_name  TEXT NOT NULL,
  addr1      TEXT NOT NULL DEFAULT '',
  addr2      TEXT NOT NULL DEFAULT '',
  addr3      TEXT NOT NULL DEFAULT '',
  addr4      TEXT NOT NULL DEFAULT '',
  city       TEXT NOT NULL DEFAULT ''
);
CREATE INDEX swift_bank_name ON swift_bank(bank_name);

-- Business records in the review folders. The payee is referenced by id and copied
-- (name, account) so that history survives when the payee is deleted.
CREATE TABLE business(
  biz_no      TEXT PRIMARY KEY,
  corp_id     TEXT NOT NULL REFERENCES corp(corp_id),
  function_id INTEGER NOT NULL REFERENCES view_node(node_id),
  debit_ac_no TEXT NOT NULL DEFAULT '',
  folder      TEXT NOT NULL
              CHECK (folder IN ('check', 'authorise', 'send', 'deleted', 'rejected', 'done')),
  payee_kind  TEXT NOT NULL DEFAULT '' CHECK (payee_kind IN ('', 'C', 'P')),
  payee_id    TEXT NOT NULL DEFAULT '',
  payee_name  TEXT NOT NULL DEFAULT '',
  payee_ac_no TEXT NOT NULL DEFAULT '',
  currency    TEXT NOT NULL REFERENCES currency(code),
  amount      INTEGER NOT NULL,
  maker_id    TEXT NOT NULL REFERENCES bank_user(user_id),
  created_at  TEXT NOT NULL
);
CREATE INDEX business_folder ON business(corp_id, folder);
CREATE INDEX business_payee ON business(corp_id, payee_kind, payee_id);

CREATE TABLE biz_authorise(
  biz_no  TEXT NOT NULL REFERENCES business(biz_no) ON DELETE CASCADE,
  seq     INTEGER NOT NULL,
  level   TEXT NOT NULL,
  user_id TEXT NOT NULL,
  at      TEXT NOT NULL,
  result  TEXT NOT NULL,
  PRIMARY KEY (biz_no, seq)
);

CREATE TABLE biz_sign(
  biz_no  TEXT NOT NULL REFERENCES business(biz_no) ON DELETE CASCADE,
  seq     INTEGER NOT NULL,
  user_id TEXT NOT NULL,
  at      TEXT NOT NULL,
  result  TEXT NOT NULL,
  PRIMARY KEY (biz_no, seq)
);

CREATE TABLE biz_audit(
  biz_no  TEXT NOT NULL REFERENCES business(biz_no) ON DELETE CASCADE,
  seq     INTEGER NOT NULL,
  user_id TEXT NOT NULL,
  at      TEXT NOT NULL,
  action  TEXT NOT NULL,
  result  TEXT NOT NULL,
  PRIMARY KEY (biz_no, seq)
);

)SQL";

// Version 2: the service's logins, sessions and ledger, and the logins' map.
const char* const kVersion2 = R"SQL(
-- Which corporations and operators a login acts for: a service login here (the
-- service checks every command against it), a database role too on PostgreSQL.
CREATE TABLE bank_login(
  login_name TEXT NOT NULL,
  corp_id    TEXT NOT NULL REFERENCES corp(corp_id),
  user_id    TEXT NOT NULL,
  PRIMARY KEY (login_name, corp_id, user_id),
  FOREIGN KEY (user_id, corp_id) REFERENCES user_corp(user_id, corp_id) ON DELETE CASCADE
);
-- The logins of the bank's service: the password only as its Argon2id hash string.
CREATE TABLE service_login(
  login_name    TEXT PRIMARY KEY,
  password_hash TEXT NOT NULL
);

-- Signed-in sessions: the hash of the token the workstation holds, never the token.
CREATE TABLE service_session(
  token_hash TEXT PRIMARY KEY,
  login_name TEXT NOT NULL REFERENCES service_login(login_name) ON DELETE CASCADE,
  expires_at INTEGER NOT NULL
);

-- The answers of the writes, kept under their request ids so that a retry after a
-- lost answer gets the first answer and runs nothing again.
CREATE TABLE service_ledger(
  login_name TEXT NOT NULL,
  request_id TEXT NOT NULL,
  status     INTEGER NOT NULL,
  answer     TEXT NOT NULL,  -- base64: the GBK bytes as they went out
  command    TEXT NOT NULL,  -- hash of the command: an id is never another's answer
  at         INTEGER NOT NULL,
  PRIMARY KEY (login_name, request_id)
);
)SQL";

// Version 3 gave the PostgreSQL bank its service role; the embedded bank has no roles.
const char* const kVersion3 = "-- nothing to change";

// Version 4: the shared engine's workstation roles go; the embedded bank has none.
const char* const kVersion4 = "-- nothing to change";

// Version 5: row security on the shared engine binds its owner too; nothing here.
const char* const kVersion5 = "-- nothing to change";

// Version 6: the shared engine's row security asked once per statement; nothing here.
const char* const kVersion6 = "-- nothing to change";

const char* const kSteps[] = {kVersion1, kVersion2, kVersion3, kVersion4, kVersion5, kVersion6};

}  // namespace

std::span<const char* const> SqliteSchemaSteps() {
  return kSteps;
}

}  // namespace host
