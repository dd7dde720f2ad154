// The shell's side as this module asks it: the tree of view nodes, an operator's rights
// on one node, which module and entry point serve a node (with the function cache that
// keeps those answers between calls), and the dynamic calls into such entry points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sys/Abi.h"

namespace frame {

// Rights text: up to 8 characters "0"/"1"; position 1 query, 2 add, 3 modify,
// 4 delete, 5 a fifth right.
inline constexpr std::size_t kRightsLen = 8;
inline constexpr char kNoRights[] = "00000000";
inline constexpr int kRightQuery = 1;
inline constexpr int kRightAdd = 2;
inline constexpr int kRightModify = 3;
inline constexpr int kRightDelete = 4;

// The cache file's name inside the private temporary folder.
inline constexpr char kFunctionCacheFile[] = "TR2007CachList.ini";

// "Sh_GetViewNodeList %s,%s,%s" into buffer (cut to bufferSize - 1 bytes). With the
// filter "ALL" the corporation is not sent. Returns the host's status.
[[nodiscard]] int LookupViewNodes(HWND_T window, std::string_view langId, std::string_view corpNo,
                                  std::string& buffer, std::size_t bufferSize,
                                  std::string_view filter);

// "Sh_GetNodeRight %s,%s,%d": the rights text, "00000000" when the lookup fails.
std::string LookupNodeRights(HWND_T window, std::string_view corpNo, std::string_view userNo,
                             std::int32_t functionId);

// True when the rights text grants the right at position (from 1); positions past the
// end of a shorter text are not granted.
bool RightGranted(std::string_view rights, int position);

// "Sh_GetFunctionName  %d,%d": which module and entry point serve the node. Answered
// from the function cache when it is loaded and holds the command; a successful host
// answer is added to a loaded cache. An empty record when the lookup fails.
TShellFunction LookupFunction(HWND_T window, std::int32_t functionId, std::int32_t subId);

// The function cache of one entry-point call: loaded from the cache file at its start,
// written back and released at its end. A cache file that cannot be read or is not a
// cache is ignored (every lookup then asks the host); a save that fails drops the list.
void LoadFunctionCache();
void SaveFunctionCache() noexcept;
bool FunctionCacheLoaded();

// Loads the function cache for a scope and saves and releases it on every path out.
class FunctionCacheScope {
 public:
  FunctionCacheScope() { LoadFunctionCache(); }
  ~FunctionCacheScope() { SaveFunctionCache(); }
  FunctionCacheScope(const FunctionCacheScope&) = delete;
  FunctionCacheScope& operator=(const FunctionCacheScope&) = delete;
};

// A library loaded by name (a ".dll" name finds lib<name>.so beside the module),
// released on every path out. Raises std::runtime_error "LoadLibrary %s Fail".
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::string& name);
  ~LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  // The exported entry point of that name with the common seven-parameter shape.
  // Raises std::runtime_error "GetProcAddress %s Fail".
  TShellEntry Entry(const std::string& name) const;

  // Leaves the library loaded when this object goes away.
  void KeepLoaded() { handle_ = nullptr; }

 private:
  void* handle_;
};

// Calls the entry point that serves functionId, with the caller's key unless the
// function names its own. Raises std::runtime_error "LoadLibrary %s Fail" or
// "GetProcAddress %s Fail"; an error inside the called entry point is shown as
// "Error in function %s" and the call returns normally.
void CallShellFunction(HWND_T window, std::int32_t functionId, std::string_view corpNo,
                       std::string_view userNo, std::string_view key, std::string_view extra,
                       TShellResult* result);

// Calls this module's own Mn_CustAcNoList for a customer, through the library loader.
void CallCustAcNoList(HWND_T window, std::string_view corpNo, std::string_view userNo,
                      TShellResult* result, std::string_view custId);

}  // namespace frame
