// Reading a written PDF back as a person's viewer would: its page count (pdfinfo) and
// its text (pdftotext), both from poppler-utils.
#pragma once

#include <cstdio>
#include <string>

namespace pdf_tools {

// The standard output of a shell command; empty when it cannot be run.
inline std::string CommandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return out;
  }
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    out.append(buffer, n);
  }
  ::pclose(pipe);
  return out;
}

// A path as one shell word.
inline std::string ShellWord(const std::string& path) {
  std::string word = "'";
  for (char c : path) {
    word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return word + "'";
}

// The "Pages:" line of pdfinfo; -1 when the file is no PDF poppler can read.
inline int PageCount(const std::string& path) {
  const std::string info = CommandOutput("pdfinfo " + ShellWord(path) + " 2>/dev/null");
  const std::size_t at = info.find("\nPages:");
  if (at == std::string::npos) {
    return -1;
  }
  return std::stoi(info.substr(at + 7));
}

// The text of every page (UTF-8), pages separated by form feeds.
inline std::string Text(const std::string& path) {
  return CommandOutput("pdftotext -layout " + ShellWord(path) + " - 2>/dev/null");
}

}  // namespace pdf_tools
