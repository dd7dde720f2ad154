// The names of files the operator types, as the file system holds them. The module's
// text is GBK, while Linux keeps a file name as the bytes of the user's character set,
// UTF-8 on nearly every system: a Chinese name typed in the module names no file until it
// is converted.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sys {

// The character set of file names: the codeset of the locale named by LC_ALL, else
// LC_CTYPE, else LANG (the first one set and not empty), as in "zh_CN.GBK" or
// "en_US.UTF-8"; for a name without one, the codeset the system gives that locale. UTF-8
// when no locale is named, for the C and POSIX locales (whose ASCII names no Chinese file
// anyway), and for a locale the system does not know.
std::string FileNameCharset();

// A file name typed in the module's GBK as the bytes the file system holds for it:
// converted to FileNameCharset(), unchanged when that is GBK or a code page that GBK
// extends or that extends GBK. nullopt when the name is not GBK text or holds a character
// the file-name character set lacks: no file can have that name.
std::optional<std::string> FileSystemName(std::string_view gbkName);

// A UTF-8 name (an argument, a variable the shell set) as the path the standard streams
// open: on Windows a narrow name would be read in the ANSI code page, which lacks most
// Chinese characters, while a path made from UTF-8 opens the file by its wide name.
inline std::filesystem::path PathOfUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace sys
