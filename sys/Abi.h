// The binary interface between the shell, the module and the host library: the window
// handle, the calling-convention and export macros, the records exchanged with the
// shell (result, folder-list descriptor, function record) with their sizes, and the
// shape of every exported entry point. A leaf: it includes nothing of the project, so
// every layer may use it.
#pragma once

#include <cstddef>
#include <cstdint>

// The original platform calls entry points with stdcall; elsewhere there is one
// calling convention and the macro is empty.
#if defined(_WIN32) && !defined(_WIN64)
#define TAVRO_STDCALL __stdcall
#else
#define TAVRO_STDCALL
#endif

#define TAVRO_EXPORT extern "C" __attribute__((visibility("default")))

// A window handle travels as an integer wide enough for a pointer.
using HWND_T = std::uintptr_t;

#pragma pack(push, 1)

// What a dialog entry point hands back to the shell.
struct TShellResult {
  std::int32_t Code;
  char Text[51];  // zero-terminated, at most 50 bytes
};

// What a list entry point hands back: the column layout and the file of rows.
struct TFolderList {
  char ColumnLayout[512];
  char FileName[128];
};

// Which module and entry point serve a node of the shell's function tree.
struct TShellFunction {
  char LibraryName[51];
  char EntryName[51];
  char Param[51];
  char Extra[51];
};

#pragma pack(pop)

static_assert(sizeof(TShellResult) == 55, "TShellResult is 55 bytes");
static_assert(sizeof(TFolderList) == 640, "TFolderList is 640 bytes");
static_assert(sizeof(TShellFunction) == 204, "TShellFunction is 204 bytes");
static_assert(offsetof(TShellResult, Text) == 4, "no gap between Code and Text");

// The seven-parameter entry point of every dialog and of the record check.
using TShellEntry = void(TAVRO_STDCALL*)(TShellResult* Result, HWND_T ShellWnd, const char* CorpNo,
                                         const char* UserNo, std::int32_t FunctionId,
                                         const char* Key, const char* Extra);

// The six-parameter entry point of the review lists; the sixth is not read.
using TListEntry = void(TAVRO_STDCALL*)(TFolderList* Result, HWND_T ShellWnd, const char* CorpNo,
                                        const char* UserNo, std::int32_t FunctionId,
                                        const char* Key);

// Field lengths of the ids that every entry point copies.
inline constexpr std::size_t kCorpNoLen = 4;
inline constexpr std::size_t kUserNoLen = 6;
inline constexpr std::size_t kKeyLen = 50;

// The module's one all-zero result record; clearing a result copies it over.
inline constexpr TShellResult kZeroShellResult{};
