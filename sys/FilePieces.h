// The one primitive each platform's file unit gives the shared line and whole-file
// functions (sys/FileLines.cpp): reading a regular file in pieces. Not part of the
// services' interface (sys/Files.h); only the files units include it.
#pragma once

#include <functional>
#include <string>

namespace sys {

// Reads a regular file (never through a link) in pieces of kLinePieceBytes, each
// appended to pending and handed to use with complete set after the last; use takes
// what it can from the front of pending and leaves the rest for the next piece. Throws
// std::runtime_error naming the file when it cannot be opened or a read fails.
void ReadInPieces(const std::string& path,
                  const std::function<void(std::string& pending, bool complete)>& use);

}  // namespace sys
