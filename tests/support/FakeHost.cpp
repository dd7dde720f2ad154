#include "tests/support/FakeHost.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <utility>

#include "host/TavroClient.h"

namespace fakehost {
namespace {

struct Table {
  std::vector<std::pair<std::string, Answer>> exact;
  std::vector<std::pair<std::string, Answer>> prefixed;
  Answer fallback;
  std::function<Answer(const Call&)> handler;
  std::vector<Call> calls;
};

Table& State() {
  static Table table;
  return table;
}

Call Record(bool file, HWND_T window, const char* command, std::int32_t length, std::int32_t mode) {
  Call call;
  call.file = file;
  call.window = window;
  call.length = length;
  call.mode = mode;
  if (command != nullptr && length >= 0) {
    call.sent.assign(command, static_cast<std::size_t>(length));
    call.lengthMatches = call.sent.find('\0') == std::string::npos && command[length] == '\0';
  }
  // "A01" 0x07 "command": the prefix as the host splits it off.
  const std::string& s = call.sent;
  const bool prefixed =
      s.size() >= 4 && s[3] == '\x07' && std::all_of(s.begin(), s.begin() + 3, [](char c) {
        return std::isalnum(static_cast<unsigned char>(c));
      });
  call.prefix = prefixed ? s.substr(0, 3) : "";
  call.command = prefixed ? s.substr(4) : s;
  return call;
}

Answer Lookup(const Call& call) {
  Table& t = State();
  if (t.handler) {
    return t.handler(call);
  }
  for (const auto& [command, answer] : t.exact) {
    if (command == call.command) {
      return answer;
    }
  }
  for (const auto& [prefix, answer] : t.prefixed) {
    if (call.command.compare(0, prefix.size(), prefix) == 0) {
      return answer;
    }
  }
  return t.fallback;
}

// Writes text into a buffer of size bytes: cut before a zero byte, or filling the whole
// buffer (pad after the text) when it is to have none.
void Fill(char* buffer, const std::string& text, std::size_t size, bool terminated, char pad) {
  const std::size_t n = std::min(text.size(), terminated ? size - 1 : size);
  std::memcpy(buffer, text.data(), n);
  if (terminated) {
    buffer[n] = '\0';
  } else {
    std::memset(buffer + n, pad, size - n);
  }
}

void WriteError(const Answer& answer, char* error) {
  if (error != nullptr) {
    Fill(error, answer.error, kErrorBufferSize, answer.errorZeroTerminated, 'E');
  }
}

void WriteFile(const Answer& answer, const char* file) {
  if (!answer.writeFile || file == nullptr) {
    return;
  }
  if (!answer.fromFile.empty() && ::link(answer.fromFile.c_str(), file) == 0) {
    return;
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!answer.fromFile.empty()) {
    out << std::ifstream(answer.fromFile, std::ios::binary).rdbuf();
  } else {
    out.write(answer.text.data(), static_cast<std::streamsize>(answer.text.size()));
  }
}

}  // namespace

void Reset() {
  State() = Table{};
}

void On(std::string_view command, Answer answer) {
  State().exact.emplace_back(std::string(command), std::move(answer));
}

void OnPrefix(std::string_view prefix, Answer answer) {
  State().prefixed.emplace_back(std::string(prefix), std::move(answer));
}

void SetFallback(Answer answer) {
  State().fallback = std::move(answer);
}

void OnAny(std::function<Answer(const Call&)> handler) {
  State().handler = std::move(handler);
}

const std::vector<Call>& Calls() {
  return State().calls;
}

const Call& LastCall() {
  static const Call none;
  if (State().calls.empty()) {
    ADD_FAILURE() << "the fake host was not called";
    return none;
  }
  return State().calls.back();
}

}  // namespace fakehost

extern "C" std::int32_t TAVRO_STDCALL qelCommand(HWND_T window, const char* command,
                                                 std::int32_t length, char* result,
                                                 std::int32_t capacity, char* error,
                                                 std::int32_t mode) {
  fakehost::Call call = fakehost::Record(false, window, command, length, mode);
  call.capacity = capacity;
  const fakehost::Answer answer = fakehost::Lookup(call);
  fakehost::State().calls.push_back(call);
  if (result != nullptr && capacity >= 0) {
    // capacity + 1 bytes: the text and its zero, or at most that many bytes without one.
    fakehost::Fill(result, answer.text, static_cast<std::size_t>(capacity) + 1,
                   answer.zeroTerminated, 'Z');
  }
  fakehost::WriteError(answer, error);
  return answer.status;
}

extern "C" std::int32_t TAVRO_STDCALL qelFileGet(HWND_T window, const char* command,
                                                 std::int32_t length, const char* file, char* error,
                                                 std::int32_t mode) {
  fakehost::Call call = fakehost::Record(true, window, command, length, mode);
  call.fileName = file != nullptr ? file : "";
  const fakehost::Answer answer = fakehost::Lookup(call);
  fakehost::State().calls.push_back(call);
  if (answer.status == 0) {
    fakehost::WriteFile(answer, file);
  }
  fakehost::WriteError(answer, error);
  return answer.status;
}
