// The host library's two entry points, as the module calls them.
#pragma once

#include <cstdint>

#include "sys/Abi.h"

extern "C" {

// Runs a command and writes its answer into result (at most capacity bytes plus a
// terminating zero). Returns 0 on success; otherwise error holds a zero-terminated text
// of at most 127 bytes.
__attribute__((visibility("default"))) std::int32_t TAVRO_STDCALL
qelCommand(HWND_T window, const char* command, std::int32_t length, char* result,
           std::int32_t capacity, char* error, std::int32_t mode);

// Runs a command and writes its answer into the named file, which it creates.
__attribute__((visibility("default"))) std::int32_t TAVRO_STDCALL
qelFileGet(HWND_T window, const char* command, std::int32_t length, const char* file, char* error,
           std::int32_t mode);
}
