// The bank's schema, one per engine, at one version number for both.
//
// Each engine's schema is the list of the steps that made its versions: step i takes a
// bank from version i to version i + 1 (step 0 creates the first version). A new bank
// runs them all; an older bank runs the steps it lacks (UpgradeSchema), so a bank made
// by an earlier release keeps its data.
#pragma once

#include <span>

namespace host {

// The embedded engine's steps.
std::span<const char* const> SqliteSchemaSteps();

// PostgreSQL's steps, with the logins' map, the row security that keeps each login to
// its corporations, and the rights of the operator role.
std::span<const char* const> PostgresSchemaSteps();

}  // namespace host
