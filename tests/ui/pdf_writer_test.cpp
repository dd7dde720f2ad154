// Print jobs written as PDF files: one page per recorded page, Chinese text a viewer can
// read, fresh names that never replace anything, failures that leave nothing behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/FileSizeLimit.h"
#include "tests/support/PdfTools.h"
#include "tests/support/TestEnv.h"
#include "ui/script/PdfPrintWriter.h"

namespace {

using tavro_test::FileSizeLimit;
using tavro_test::Gbk;
using tavro_test::ReadFile;
using tavro_test::WriteFile;
using ui::PrintJob;
using ui::PrintOp;
using ui::PrintOpKind;

PrintOp TextOp(int x, int y, int size, const std::string& text) {
  return {PrintOpKind::Text, x, y, 0, 0, "Arial", size, text};
}

// Three pages at 600 pixels per inch; the second is blank, as a printer's empty page is.
PrintJob ThreePageJob() {
  PrintJob job;
  job.Title = Gbk("用户档案及权限报告");
  job.Pages.resize(3);
  job.Pages[0].Ops = {TextOp(2031, 375, 14, Gbk("用户档案及权限报告")),
                      PrintOp{PrintOpKind::Line, 406, 912, 4469, 912, "", 0, ""},
                      TextOp(406, 963, 12, Gbk("客户名称：演示"))};
  job.Pages[2].Ops = {TextOp(3531, 963, 12, Gbk("第3页/共3页"))};
  return job;
}

std::vector<std::string> SplitPages(const std::string& text) {
  std::vector<std::string> pages;
  std::istringstream in(text);
  for (std::string page; std::getline(in, page, '\f');) {
    pages.push_back(page);
  }
  return pages;
}

class PdfWriterTest : public tavro_test::TempDirTest {
 protected:
  std::string Dir() const { return TempDir() + "out"; }
  void SetUp() override {
    TempDirTest::SetUp();
    std::filesystem::create_directory(Dir());
  }
};

// The report lists the bank's users: the file is the user's alone under the common umask.
TEST_F(PdfWriterTest, EveryRecordedPageBecomesAPageAViewerReads) {
  const tavro_test::ScopedUmask umask(022);
  const std::string path = ui::WritePdfToFolder(ThreePageJob(), Dir());
  EXPECT_EQ(path, Dir() + "/tavro-print-1.pdf");
  EXPECT_EQ(tavro_test::FileMode(path), 0600u);
  EXPECT_EQ(pdf_tools::PageCount(path), 3);
  const std::vector<std::string> pages = SplitPages(pdf_tools::Text(path));
  ASSERT_GE(pages.size(), 3u);
  EXPECT_NE(pages[0].find("用户档案及权限报告"), std::string::npos) << pages[0];
  EXPECT_NE(pages[0].find("客户名称：演示"), std::string::npos) << pages[0];
  EXPECT_EQ(pages[1].find_first_not_of(" \n"), std::string::npos) << pages[1];
  EXPECT_NE(pages[2].find("第3页/共3页"), std::string::npos) << pages[2];
}

TEST_F(PdfWriterTest, AFreshNameNeverReplacesAFileOrFollowsALink) {
  WriteFile(Dir() + "/tavro-print-1.pdf", "old report");
  std::filesystem::create_symlink(Dir() + "/elsewhere.pdf", Dir() + "/tavro-print-2.pdf");

  // A folder given with its trailing slash names the same files.
  const std::string path = ui::WritePdfToFolder(ThreePageJob(), Dir() + "/");
  EXPECT_EQ(path, Dir() + "/tavro-print-3.pdf");
  EXPECT_EQ(pdf_tools::PageCount(path), 3);
  EXPECT_EQ(ReadFile(Dir() + "/tavro-print-1.pdf"), "old report");
  EXPECT_FALSE(std::filesystem::exists(Dir() + "/elsewhere.pdf"));

  // No folder: the current one, and the name alone.
  const std::string cwd = std::filesystem::current_path();
  std::filesystem::current_path(Dir());
  const std::string here = ui::WritePdfToFolder(ThreePageJob(), "");
  std::filesystem::current_path(cwd);
  EXPECT_EQ(here, "tavro-print-4.pdf");
  EXPECT_EQ(pdf_tools::PageCount(Dir() + "/tavro-print-4.pdf"), 3);
}

TEST_F(PdfWriterTest, AFailedWriteLeavesNoFileAndSaysWhy) {
  try {
    ui::WritePdfToFolder(ThreePageJob(), Dir() + "/missing");
    ADD_FAILURE() << "a missing folder was written to";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(Dir() + "/missing/tavro-print-1.pdf"), std::string::npos)
        << e.what();
  }
  {
    FileSizeLimit limit(64);
    EXPECT_THROW(ui::WritePdfToFolder(ThreePageJob(), Dir()), std::runtime_error);
  }
  EXPECT_TRUE(std::filesystem::is_empty(Dir()));
}

}  // namespace
