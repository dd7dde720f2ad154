// A host library for the end-to-end tests: answers from the table file TAVRO_TABLE_HOST
// (HostTable.h) and logs every command to TAVRO_TABLE_HOST_LOG, one escaped line each.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "host/TavroClient.h"
#include "tests/tablehost/HostTable.h"
#include "ui/script/ScriptText.h"

namespace {

constexpr std::int32_t kStatusNoAnswer = 1;  // no table line matches
constexpr std::int32_t kStatusBadCall = 2;   // a null pointer or a negative size
constexpr std::int32_t kStatusNoTable = 99;  // the table is missing or broken
constexpr std::size_t kErrorCapacity = 127;

// Writes at most 127 bytes and a zero, never cutting a double-byte character.
void SetError(char* error, std::string_view text) {
  if (error == nullptr) {
    return;
  }
  size_t n = 0;
  while (n < text.size()) {
    size_t step = static_cast<unsigned char>(text[n]) >= 0x81 && n + 1 < text.size() ? 2 : 1;
    if (n + step > kErrorCapacity) {
      break;
    }
    n += step;
  }
  std::memcpy(error, text.data(), n);
  error[n] = 0;
}

void Log(const char* kind, std::string_view command) {
  const char* name = std::getenv("TAVRO_TABLE_HOST_LOG");
  if (name == nullptr || *name == 0) {
    return;
  }
  std::ofstream(name, std::ios::app | std::ios::binary)
      << kind << ' ' << ui::QuoteText(command) << '\n';
}

// The command as received: its length, but never past its zero byte.
std::string_view CommandText(const char* command, std::int32_t length) {
  if (command == nullptr) {
    return {};
  }
  size_t limit = length < 0 ? SIZE_MAX : static_cast<size_t>(length);
  return {command, strnlen(command, limit)};
}

// Looks the command up in the table; status and answer (or error text).
std::int32_t Answer(std::string_view command, std::string& answer) {
  const char* table = std::getenv("TAVRO_TABLE_HOST");
  std::ifstream in(table != nullptr ? table : "", std::ios::binary);
  if (table == nullptr || *table == 0 || !in) {
    answer = "table host: cannot read the table TAVRO_TABLE_HOST names";
    return kStatusNoTable;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<tablehost::TableEntry> entries;
  std::string error;
  if (!tablehost::ParseTable(text.str(), entries, error)) {
    answer = "table host: " + error;
    return kStatusNoTable;
  }
  const tablehost::TableEntry* entry =
      tablehost::FindAnswer(entries, tablehost::StripChannel(command));
  if (entry == nullptr) {
    answer = "table host: no answer for this command";
    return kStatusNoAnswer;
  }
  answer = entry->answer;
  return entry->status;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) std::int32_t TAVRO_STDCALL
qelCommand(HWND_T /*window*/, const char* command, std::int32_t length, char* result,
           std::int32_t capacity, char* error, std::int32_t /*mode*/) {
  std::string_view text = CommandText(command, length);
  Log("command", text);
  if (command == nullptr || result == nullptr || capacity < 0) {
    SetError(error, "table host: bad arguments");
    return kStatusBadCall;
  }
  std::string answer;
  std::int32_t status = Answer(text, answer);
  if (status != 0) {
    SetError(error, answer);
    result[0] = 0;
    return status;
  }
  size_t n = std::min(answer.size(), static_cast<size_t>(capacity));
  std::memcpy(result, answer.data(), n);
  result[n] = 0;
  return 0;
}

extern "C" __attribute__((visibility("default"))) std::int32_t TAVRO_STDCALL
qelFileGet(HWND_T /*window*/, const char* command, std::int32_t length, const char* file,
           char* error, std::int32_t /*mode*/) {
  std::string_view text = CommandText(command, length);
  Log("file", text);
  if (command == nullptr || file == nullptr || *file == 0) {
    SetError(error, "table host: bad arguments");
    return kStatusBadCall;
  }
  std::string answer;
  std::int32_t status = Answer(text, answer);
  if (status != 0) {
    SetError(error, answer);
    return status;
  }
  // The result file is new: an existing file or a planted link is never written.
  int fd = open(file, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetError(error,
             std::string("table host: cannot create the result file: ") + std::strerror(errno));
    return kStatusBadCall;
  }
  const ssize_t n = write(fd, answer.data(), answer.size());
  close(fd);
  if (n != static_cast<ssize_t>(answer.size())) {
    SetError(error, "table host: cannot write the result file");
    return kStatusBadCall;
  }
  return 0;
}
