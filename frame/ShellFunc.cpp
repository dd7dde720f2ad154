// Shell lookups, the function cache and the dynamic calls.
#include "frame/ShellFunc.h"

#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/ResultText.h"
#include "sys/Files.h"
#include "sys/Loader.h"
#include "sys/TempFolder.h"
#include "ui/Platform.h"

namespace frame {
namespace {

constexpr std::size_t kFunctionBufferSize = 1024;
constexpr std::size_t kRightsBufferSize = 64;
constexpr std::size_t kFunctionFieldSize = sizeof(TShellFunction::LibraryName);
// A cache file this module writes stays far below this; anything larger is not one.
constexpr std::size_t kCacheFileLimit = std::size_t{4} << 20;
// No host answer fits more than the lookup buffer; a longer line is damage.
constexpr std::size_t kCacheLineLimit = 4 * kFunctionBufferSize;

// The function cache: lines "command=answer", absent between entry-point calls.
std::optional<std::vector<std::string>> gFunctionCache;

std::string CacheFilePath() {
  return sys::TempFolder() + kFunctionCacheFile;
}

// A line that can have come from a lookup: a name, "=", an answer without zero bytes.
bool IsCacheLine(std::string_view line) {
  const std::size_t eq = line.find('=');
  return eq != std::string_view::npos && eq > 0 && line.size() <= kCacheLineLimit &&
         line.find('\0') == std::string_view::npos;
}

// The cached answer of command, when the loaded cache holds it.
std::optional<std::string> CachedAnswer(const std::string& command) {
  if (!gFunctionCache) {
    return std::nullopt;
  }
  for (const std::string& line : *gFunctionCache) {
    if (line.size() > command.size() && line[command.size()] == '=' &&
        line.compare(0, command.size(), command) == 0) {
      return line.substr(command.size() + 1);
    }
  }
  return std::nullopt;
}

// Hands the loaded function cache over to its file for the length of a call into
// another entry point (which may load and save the file itself) and takes it back
// afterwards, on every path. A cache that was not loaded stays absent.
class CacheHandOver {
 public:
  CacheHandOver() : loaded_(FunctionCacheLoaded()) {
    if (loaded_) {
      SaveFunctionCache();
    }
  }
  ~CacheHandOver() {
    if (loaded_) {
      LoadFunctionCache();
    }
  }
  CacheHandOver(const CacheHandOver&) = delete;
  CacheHandOver& operator=(const CacheHandOver&) = delete;

 private:
  bool loaded_;
};

// The zero-terminated texts handed to a called entry point. The id buffers hold the
// longest ids the entry points read (4 and 6 bytes) and their zero: the original's 4-
// and 6-byte buffers had room for 3 and 5 characters only, which would have handed the
// called entry point another corporation or user. Longer ids are cut on a character
// boundary, as every entry point cuts them.
struct CallTexts {
  char CorpNo[kCorpNoLen + 1];
  char UserNo[kUserNoLen + 1];
  char Key[kKeyLen + 1];
  char Extra[kKeyLen + 1];

  CallTexts(std::string_view corpNo, std::string_view userNo, std::string_view key,
            std::string_view extra) {
    CopyToField(CorpNo, corpNo);
    CopyToField(UserNo, userNo);
    CopyToField(Key, key);
    CopyToField(Extra, extra);
  }
};

// Calls entry; an error raised inside it is reported and the call goes on.
void CallReporting(TShellEntry entry, const std::string& entryName, TShellResult* result,
                   HWND_T window, CallTexts& texts, std::int32_t functionId) {
  try {
    entry(result, window, texts.CorpNo, texts.UserNo, functionId, texts.Key, texts.Extra);
  } catch (...) {
    ui::ShowMessage("Error in function " + entryName);
  }
}

}  // namespace

int LookupViewNodes(HWND_T window, std::string_view langId, std::string_view corpNo,
                    std::string& buffer, std::size_t bufferSize, std::string_view filter) {
  const bool all = filter == "ALL";
  const std::string command =
      FormatCommand("Sh_GetViewNodeList %s,%s,%s",
                    {langId, all ? std::string_view() : corpNo, all ? std::string_view() : filter});
  return HostCommand(window, kChannelMain, command, buffer, bufferSize);
}

std::string LookupNodeRights(HWND_T window, std::string_view corpNo, std::string_view userNo,
                             std::int32_t functionId) {
  const std::string command =
      FormatCommand("Sh_GetNodeRight %s,%s,%d", {corpNo, userNo, functionId});
  const std::string rights =
      HostCommandText(window, kChannelMain, command, kNoRights, kRightsBufferSize);
  return std::string(GbkCut(rights, kRightsLen));
}

bool RightGranted(std::string_view rights, int position) {
  return position >= 1 && static_cast<std::size_t>(position) <= rights.size() &&
         rights[position - 1] == '1';
}

TShellFunction LookupFunction(HWND_T window, std::int32_t functionId, std::int32_t subId) {
  TShellFunction rec{};
  const std::string command = FormatCommand("Sh_GetFunctionName  %d,%d", {functionId, subId});
  std::optional<std::string> answer = CachedAnswer(command);
  if (!answer) {
    std::string text;
    if (HostCommand(window, kChannelMain, command, text, kFunctionBufferSize) != 0) {
      return rec;
    }
    if (gFunctionCache) {
      gFunctionCache->push_back(command + "=" + text);
    }
    answer = std::move(text);
  }
  // One row of four fields; a row end after it is not part of the last field.
  const std::vector<std::string> fields =
      SplitFields(GetRow(*answer, 1), kFieldSep,
                  {kFunctionFieldSize, kFunctionFieldSize, kFunctionFieldSize, kFunctionFieldSize});
  CopyToField(rec.LibraryName, fields[0]);
  CopyToField(rec.EntryName, fields[1]);
  CopyToField(rec.Param, fields[2]);
  CopyToField(rec.Extra, fields[3]);
  return rec;
}

void LoadFunctionCache() {
  if (!gFunctionCache) {
    gFunctionCache.emplace();
  }
  std::vector<std::string> lines;
  try {
    const std::string path = CacheFilePath();
    if (!sys::FileExists(path)) {
      return;
    }
    const std::string bytes = sys::ReadFileBytes(path, kCacheFileLimit + 1);
    if (bytes.size() > kCacheFileLimit) {
      return;
    }
    for (const std::string& line : sys::SplitLines(bytes)) {
      if (IsCacheLine(line)) {
        lines.push_back(DecodeNewlines(line));
      }
    }
  } catch (const std::exception&) {
    // An unreadable cache is no cache: the lookups ask the host.
    return;
  }
  *gFunctionCache = std::move(lines);
}

void SaveFunctionCache() noexcept {
  if (!gFunctionCache) {
    return;
  }
  std::vector<std::string> lines = std::move(*gFunctionCache);
  gFunctionCache.reset();
  try {
    for (std::string& line : lines) {
      line = EncodeNewlines(line);
    }
    sys::WriteLines(CacheFilePath(), lines);
  } catch (...) {
    // Losing the cache costs lookups, nothing else; the call that saves it goes on.
  }
}

bool FunctionCacheLoaded() {
  return gFunctionCache.has_value();
}

LoadedLibrary::LoadedLibrary(const std::string& name) : handle_(sys::LoadLibrary(name)) {
  if (handle_ == nullptr) {
    throw std::runtime_error("LoadLibrary " + name + " Fail");
  }
}

LoadedLibrary::~LoadedLibrary() {
  if (handle_ != nullptr) {
    sys::FreeLibrary(handle_);
  }
}

TShellEntry LoadedLibrary::Entry(const std::string& name) const {
  void* proc = sys::GetProcAddress(handle_, name);
  if (proc == nullptr) {
    throw std::runtime_error("GetProcAddress " + name + " Fail");
  }
  return reinterpret_cast<TShellEntry>(proc);
}

void CallShellFunction(HWND_T window, std::int32_t functionId, std::string_view corpNo,
                       std::string_view userNo, std::string_view key, std::string_view extra,
                       TShellResult* result) {
  if (result != nullptr) {
    *result = kZeroShellResult;
  }
  const TShellFunction function = LookupFunction(window, functionId, 0);
  const std::string library = Trim(FieldText(function.LibraryName));
  const std::string entryName = Trim(FieldText(function.EntryName));
  if (library.empty() || entryName.empty()) {
    return;
  }

  LoadedLibrary module(library);
  CacheHandOver handOver;
  const TShellEntry entry = module.Entry(entryName);

  // The function's own key wins unless it is empty or "ID", which stands for the
  // caller's key; the caller's extra wins over the function's.
  const std::string param = Trim(FieldText(function.Param));
  CallTexts texts(corpNo, userNo, param.empty() || param == "ID" ? key : FieldText(function.Param),
                  extra.empty() ? FieldText(function.Extra) : extra);
  CallReporting(entry, entryName, result, window, texts, functionId);
}

void CallCustAcNoList(HWND_T window, std::string_view corpNo, std::string_view userNo,
                      TShellResult* result, std::string_view custId) {
  static constexpr char kEntry[] = "Mn_CustAcNoList";
  LoadedLibrary module("ManageEdit.dll");
  const TShellEntry entry = module.Entry(kEntry);
  // The called entry point loads and saves the cache file itself; the outer call's
  // list is handed over and taken back so that neither loses the other's lookups.
  CacheHandOver handOver;
  CallTexts texts(corpNo, userNo, custId, "");
  CallReporting(entry, kEntry, result, window, texts, 0);
}

}  // namespace frame
