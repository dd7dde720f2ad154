// The bank's schema, one per engine, at one version number for both.
#pragma once

namespace host {

// Every table of a new bank on the embedded engine.
const char* SqliteSchemaSql();

// Every table of a new bank on PostgreSQL, with the logins' map, the row security
// that keeps each login to its corporations, and the rights of the operator role.
const char* PostgresSchemaSql();

}  // namespace host
