// The paper of a script's printer on Windows: none. A readable PDF with Chinese texts
// needs the CJK faces embedded, which the Linux build does with cairo and pango; writing
// that without them is more than this printer is worth, and Windows prints through GDI.
// So every job fails with an error that says so, and no file is created: a printer that
// reported a file it never wrote would tell the operator a report was printed when it
// was not.
#include <cstdlib>
#include <stdexcept>

#include "ui/script/PdfPrintWriter.h"

namespace ui {
namespace {

[[noreturn]] void FailNoPdf() {
  throw std::runtime_error(
      "cannot print: the script's printer writes no PDF files on Windows (print to a "
      "Windows printer instead)");
}

}  // namespace

void WritePdf(const PrintJob& /*job*/, int /*fd*/) {
  FailNoPdf();
}

std::string WritePdfToFolder(const PrintJob& /*job*/, const std::string& /*folder*/) {
  FailNoPdf();
}

std::string PrintFolderFromEnvironment() {
  const char* folder = std::getenv("TAVRO_UI_PRINT_DIR");
  return folder != nullptr ? std::string(folder) : std::string();
}

std::function<std::string(const PrintJob&)> PdfPrintWriter(std::string folder) {
  return
      [folder = std::move(folder)](const PrintJob& job) { return WritePdfToFolder(job, folder); };
}

}  // namespace ui
