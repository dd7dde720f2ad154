// The script's printer on Windows writes no PDF: a printed job fails with a reason the
// operator can read, and leaves nothing in the print folder that could pass for a report.
#include <stdexcept>

#include "tests/windows/WinTest.h"
#include "ui/script/PdfPrintWriter.h"

namespace {

TEST(PdfPrintWriterWin32, AJobFailsWithItsReasonAndLeavesNoFile) {
  const std::filesystem::path folder = wintest::FreshFolder("tavro-pdf");
  ui::PrintJob job;
  job.Title = "Users";
  job.Pages.resize(2);
  try {
    ui::PdfPrintWriter(folder.string())(job);
    ADD_FAILURE() << "a job was reported as printed";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("cannot print"), std::string::npos) << e.what();
  }
  EXPECT_THROW(ui::WritePdfToFolder(job, folder.string()), std::runtime_error);
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  std::filesystem::remove_all(folder);
}

}  // namespace
