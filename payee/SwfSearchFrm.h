// The SWIFT bank search dialog: the operator looks a bank up in the server's SWIFT
// directory by name or code and picks one; its SWIFT address goes back to the caller.
#pragma once

#include <string>

#include "frame/ShellTypeDef.h"

namespace payee {

// Opens the search owned by `owner` with `initialCode` in the code field (searching
// by it at once when it is not blank). Returns the chosen SWIFT address (GBK, at most
// 12 bytes), or an empty text when the operator cancelled or chose nothing.
std::string ShowSwiftSearch(HWND_T owner, const std::string& initialCode);

}  // namespace payee
