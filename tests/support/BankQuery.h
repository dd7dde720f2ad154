#pragma once

#include <string>
#include <vector>

namespace e2e {

// The rows of a query on a sandbox's bank, fields joined by '|' (NULL as empty); a query
// that cannot be prepared fails the running test and gives no rows.
std::vector<std::string> QueryBank(const std::string& dbPath, const std::string& sql);

}  // namespace e2e
