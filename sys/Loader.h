// The library loader: load a library by name, look up an entry point, unload.
//
// A name ending in ".dll" (any case) is looked for as given, then as lib<name>.so in
// the folder of the shared object that holds this code (the module), then as
// lib<name>.so by the loader's own search. Any other name goes to the loader as it is.
#pragma once

#include <string>

namespace sys {

using LibraryHandle = void*;

// Null when the library cannot be loaded; error (when given) then holds the loader's
// message for the last place tried.
[[nodiscard]] LibraryHandle LoadLibrary(const std::string& name, std::string* error = nullptr);
// Null when the library has no such entry point.
[[nodiscard]] void* GetProcAddress(LibraryHandle library, const std::string& name,
                                   std::string* error = nullptr);
void FreeLibrary(LibraryHandle library);

// The folder of the shared object (or program) that holds this code, without a
// trailing '/'.
std::string ModuleFolder();

}  // namespace sys
