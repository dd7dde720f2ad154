// Reads a sandbox's bank database directly, to see what the server holds after a run.
#pragma once

#include <string>
#include <vector>

namespace e2e {

// The rows of a query on the database at dbPath, fields joined by '|' (NULL as empty).
// A query that cannot be prepared fails the running test and gives no rows.
std::vector<std::string> QueryBank(const std::string& dbPath, const std::string& sql);

}  // namespace e2e
