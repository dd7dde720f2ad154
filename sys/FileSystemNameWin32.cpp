// The file-system names of typed GBK names on Windows: the services take UTF-8 names and
// hand them to the wide API (sys/Win32Api.h), so a name is its characters in UTF-8,
// whatever the ANSI code page, and every character GBK holds can name a file.
#include "sys/FileSystemName.h"

#include "sys/CodePage.h"
#include "sys/TextCharset.h"

namespace sys {

std::string FileNameCharset() {
  return "UTF-8";
}

std::optional<std::string> FileSystemName(std::string_view gbkName) {
  if (!DecodeCleanText(gbkName, CodePage::Gbk)) {
    return std::nullopt;
  }
  return GbkToUtf8(gbkName);
}

}  // namespace sys
