// The command channel: the wire form of a command, the host's two calls, the one
// "Error:%s" box of a failure, result files and their names, and the Traditional-Chinese
// conversion of what goes out and comes back.
#include "frame/HostChannel.h"

#include <array>
#include <chrono>
#include <climits>
#include <optional>
#include <random>
#include <stdexcept>

#include "frame/GbkText.h"
#include "frame/ResultText.h"
#include "host/TavroClient.h"
#include "sys/ChineseCharMap.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "sys/Locale.h"
#include "sys/TempFolder.h"
#include "sys/TickCount.h"
#include "ui/Platform.h"

namespace frame {
namespace {

constexpr std::size_t kErrorBufferSize = 128;
constexpr std::int32_t kHostMode = 2;

// The mode, read from the locale on first use.
std::optional<bool>& ModeSlot() {
  static std::optional<bool> mode;
  return mode;
}

// The command as the host receives it: converted in Traditional mode, prefix in front.
std::string WireCommand(int channel, std::string_view command) {
  std::string wire(ChannelPrefix(channel));
  if (TraditionalMode()) {
    wire += ToServerText(command);
  } else {
    wire += command;
  }
  return wire;
}

std::int32_t WireLength(const std::string& wire) {
  if (wire.size() > static_cast<std::size_t>(INT32_MAX)) {
    throw std::length_error("command too long for the host");
  }
  return static_cast<std::int32_t>(wire.size());
}

// The one box of a failed command, whatever failed.
void ShowFailure(std::string_view reason) {
  ui::ShowMessage("Error:" + std::string(reason));
}

// Shows the host's error text, read only within its buffer.
void ReportFailure(const std::array<char, kErrorBufferSize>& error) {
  ShowFailure(GbkCut(FieldText(error.data(), error.size()), kErrorBufferSize - 1));
}

// An answer that fills the buffer and ends in a lead byte had its last character cut
// by the host: half a character is dropped rather than shown or converted.
void DropSplitCharacter(std::string& answer, std::size_t capacity) {
  if (answer.empty() || answer.size() != capacity) {
    return;
  }
  if (IsGbkLeadByte(static_cast<unsigned char>(answer.back())) &&
      GbkCutLength(answer, answer.size() - 1) == answer.size() - 1) {
    answer.pop_back();
  }
}

// Where a result file's converted text is written before it replaces the file.
std::string ConversionFileName(const std::string& fileName) {
  return fileName + ".tmp";
}

}  // namespace

namespace detail {

bool TraditionalModeOf(int primaryLanguage, int subLanguage) {
  return primaryLanguage == sys::kLangChinese && subLanguage == sys::kSubLangChineseTraditional;
}

void ForgetTraditionalMode() {
  ModeSlot().reset();
}

}  // namespace detail

bool TraditionalMode() {
  std::optional<bool>& mode = ModeSlot();
  if (!mode) {
    sys::LocaleInfo locale = sys::SystemLocale();
    mode = detail::TraditionalModeOf(locale.primary, locale.sub);
  }
  return *mode;
}

std::string_view ChannelPrefix(int channel) {
  switch (channel) {
    case kChannelMain:
      return {"A01\x07", 4};
    case kChannelBank:
      return {"A03\x07", 4};
    default:
      return {};
  }
}

int HostCommand(HWND_T window, int channel, std::string_view command, std::string& result,
                std::size_t bufferSize) {
  std::string wire = WireCommand(channel, command);
  // The host writes at most capacity bytes and a zero; the buffer is zeroed so that a
  // host writing nothing leaves an empty answer.
  if (bufferSize < 1) {
    bufferSize = 1;
  }
  if (bufferSize > static_cast<std::size_t>(INT32_MAX)) {
    bufferSize = INT32_MAX;
  }
  std::vector<char> buffer(bufferSize, '\0');
  std::array<char, kErrorBufferSize> error{};
  const std::size_t capacity = bufferSize - 1;
  std::int32_t status = qelCommand(window, wire.c_str(), WireLength(wire), buffer.data(),
                                   static_cast<std::int32_t>(capacity), error.data(), kHostMode);
  // Only up to the first zero byte and never past the capacity, whatever the host did.
  result.assign(GbkCut(FieldText(buffer.data(), buffer.size()), capacity));
  DropSplitCharacter(result, capacity);
  if (status != 0) {
    ReportFailure(error);
    return status;
  }
  if (!result.empty() && TraditionalMode()) {
    result.assign(GbkCut(ToUserText(result), capacity));
  }
  return status;
}

int HostFileCommand(HWND_T window, int channel, std::string_view command,
                    const std::string& fileName) {
  std::string wire = WireCommand(channel, command);
  std::array<char, kErrorBufferSize> error{};
  std::int32_t status =
      qelFileGet(window, wire.c_str(), WireLength(wire), fileName.c_str(), error.data(), kHostMode);
  if (status != 0) {
    ReportFailure(error);
    return status;
  }
  if (sys::FileExists(fileName) && TraditionalMode()) {
    std::vector<std::string> lines;
    try {
      lines = sys::ReadLines(fileName);
    } catch (...) {
      sys::DeleteFile(fileName);
      throw;
    }
    for (std::string& line : lines) {
      line = ToUserText(line);
    }
    const std::string temp = ConversionFileName(fileName);
    try {
      sys::WriteLines(temp, lines);
      sys::CopyFile(temp, fileName);
    } catch (...) {
      // Neither the unconverted nor a half-copied answer may reach a reader.
      sys::DeleteFile(temp);
      sys::DeleteFile(fileName);
      throw;
    }
    sys::DeleteFile(temp);
  }
  return status;
}

std::string HostCommandText(HWND_T window, int channel, std::string_view command,
                            std::string_view def, std::size_t bufferSize) {
  std::string result;
  if (HostCommand(window, channel, command, result, bufferSize) != 0) {
    return std::string(def);
  }
  return GetRow(result, 1);
}

int HostCommandInt(HWND_T window, int channel, std::string_view command, int def) {
  std::string result;
  if (HostCommand(window, channel, command, result, 48) != 0) {
    return def;
  }
  return ParseDecimal(TextBefore(GetRow(result, 1), std::string_view("\x07", 1))).value_or(def);
}

bool HostCommandList(HWND_T window, int channel, std::string_view command,
                     std::vector<std::string>& list) {
  const std::optional<std::string> fileName = ResultFileName();
  if (!fileName) {
    return false;
  }
  const std::string& name = *fileName;
  ResultFileGuard guard{name};
  if (HostFileCommand(window, channel, command, name) != 0) {
    return false;
  }
  if (!sys::FileExists(name)) {
    return false;
  }
  try {
    // Read in pieces straight into the rows: a list of a million rows is never held a
    // second time as one text.
    std::vector<std::string> rows;
    sys::ForEachLine(name, [&rows](std::string_view row) { rows.emplace_back(row); });
    list = std::move(rows);
  } catch (const std::exception&) {
    list.clear();
  }
  return true;
}

namespace detail {

std::string PickFreeName(const std::string& folder, const std::function<std::uint64_t()>& next) {
  // A full range of taken names is not a real case, but the search must end.
  for (int attempt = 0; attempt < 100000; ++attempt) {
    std::string name = folder + std::to_string(next());
    if (name.size() > kMaxFileNameLen) {
      throw std::runtime_error("temporary folder path too long for a result file: " + folder);
    }
    if (!sys::PathExists(name)) {
      return name;
    }
  }
  throw std::runtime_error("no free result file name in " + folder);
}

}  // namespace detail

std::string NewTempFileName() {
  std::mt19937_64 random(
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  return detail::PickFreeName(sys::TempFolder(), [&random] {
    std::uint64_t ticks = sys::TickCount();
    return std::uniform_int_distribution<std::uint64_t>(0, ticks > 0 ? ticks - 1 : 0)(random);
  });
}

std::optional<std::string> ResultFileName() {
  try {
    return NewTempFileName();
  } catch (const std::runtime_error& e) {
    ShowFailure(e.what());
    return std::nullopt;
  }
}

// Character by character, as the platform's mapping does (sys/ChineseCharMap.h).
std::string ToServerText(std::string_view text) {
  return sys::Big5ToGbkSimplified(text);
}

std::string ToUserText(std::string_view text) {
  return sys::GbkToBig5Traditional(text);
}

std::string ShownText(std::string_view text) {
  return TraditionalMode() ? ToUserText(text) : std::string(text);
}

void ShowFixedText(std::string_view utf8) {
  ui::ShowMessage(ShownText(sys::Utf8ToGbk(utf8)));
}

ResultFileGuard::~ResultFileGuard() {
  sys::DeleteFile(name);
  sys::DeleteFile(ConversionFileName(name));
}

}  // namespace frame
