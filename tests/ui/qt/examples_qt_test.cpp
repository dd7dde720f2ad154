// tavro-shell with --ui qt: every example plays on the Qt platform (the offscreen plugin
// as its screen) with the transcript, result and files the headless platform gives it;
// `shot` saves pictures of forms and boxes there and is an error headless; an import
// picked beside the bank by the file dialog while another program uses the bank. Under
// xvfb-run, the same on a real X display.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "tests/support/BankQuery.h"
#include "tests/support/PdfTools.h"
#include "tests/support/ShellSandbox.h"
#include "tests/support/TestEnv.h"

namespace {

// A sandbox with a fresh demonstration bank, Chinese texts, and a screen for Qt.
class Bank {
 public:
  Bank() {
    box_.UseBankServer();
    const auto init = box_.Run("tavro-bank", {"init", "--demo", box_.BankDb()});
    EXPECT_EQ(init.status, 0) << init.err;
    box_.SetLanguage("CN");
    box_.SetEnv("QT_QPA_PLATFORM", "offscreen");
  }
  e2e::Sandbox& Box() { return box_; }

 private:
  e2e::Sandbox box_;
};

// What a run leaves: the result, the transcript, and the files it wrote.
struct Outcome {
  int status = -1;
  std::string out;
  std::string transcript;
  std::set<std::string> files;
};

Outcome RunExample(const std::string& name, const std::string& ui) {
  Bank bank;
  e2e::Sandbox& box = bank.Box();
  const auto r = box.Shell({"run", std::string(TAVRO_SOURCE_DIR) + "/examples/" + name, "--ui", ui,
                            "--transcript", box.Root() + "/transcript.txt"});
  Outcome outcome{r.status, r.out, box.ReadFile(box.Root() + "/transcript.txt"), {}};
  for (const std::string& file : box.List(box.WorkDir())) {
    // A PDF carries the time it was made, and a report prints the time of day: what it
    // shows, less the clock, is what must agree.
    if (file.size() > 4 && file.compare(file.size() - 4, 4, ".pdf") == 0) {
      const std::string path = box.WorkDir() + "/" + file;
      static const std::regex kClock("[0-9]{2}:[0-9]{2}:[0-9]{2}");
      outcome.files.insert(file + " pages " + std::to_string(pdf_tools::PageCount(path)) + "\n" +
                           std::regex_replace(pdf_tools::Text(path), kClock, "hh:mm:ss"));
    } else {
      outcome.files.insert(file + " " + std::to_string(box.ReadFile(file).size()));
    }
  }
  EXPECT_EQ(r.err.find("ManageEdit (Qt)"), std::string::npos) << r.err;
  EXPECT_EQ(r.status, 0) << ui << "\n" << r.err;
  return outcome;
}

class ExampleOnQt : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleOnQt, WritesTheHeadlessTranscript) {
  const Outcome headless = RunExample(GetParam(), "headless");
  const Outcome qt = RunExample(GetParam(), "qt");
  EXPECT_EQ(headless.status, 0) << headless.transcript;
  EXPECT_FALSE(headless.transcript.empty() && headless.out.empty()) << "a run that shows nothing";
  EXPECT_EQ(qt.status, headless.status);
  EXPECT_EQ(qt.out, headless.out);
  EXPECT_EQ(qt.transcript, headless.transcript);
  EXPECT_EQ(qt.files, headless.files);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleOnQt, ::testing::ValuesIn(e2e::ExampleScripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string id = info.param.substr(0, info.param.rfind('.'));
                           std::replace(id.begin(), id.end(), '-', '_');
                           return id;
                         });

// The usage list with a picture of its form and one of its question box.
constexpr char kShotScript[] =
    "# call: Mn_UsageEdit --corp 0012 --user 000001 --function 104\n"
    "dump form\n"
    "shot usage.png\n"
    "select UsageList \"工资\"\n"
    "click DeleteBtn\n"
    "shot \"问题.png\"\n"
    "answer no\n"
    "click CancelBtn\n";

// The colours of an image: one colour only is a blank picture.
std::size_t Colours(const QImage& image) {
  std::set<QRgb> seen;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      seen.insert(image.pixel(x, y));
    }
  }
  return seen.size();
}

void CheckShots(e2e::Sandbox& box, const e2e::ShellOutput& r) {
  ASSERT_EQ(r.status, 0) << r.err;
  const QImage form(QString::fromStdString(box.WorkDir() + "/usage.png"));
  const QImage question(QString::fromStdString(box.WorkDir() + "/问题.png"));
  ASSERT_FALSE(form.isNull());
  ASSERT_FALSE(question.isNull());
  EXPECT_GT(Colours(form), 4u);
  EXPECT_GT(Colours(question), 4u);
  EXPECT_LT(question.width(), form.width()) << "the box, not the form behind it";
}

TEST(Shot, SavesTheFormAndTheOpenBoxOnQtAndIsAnErrorHeadless) {
  Bank bank;
  e2e::Sandbox& box = bank.Box();
  const std::string script = box.WriteFile("shots.txt", kShotScript);
  const auto shown = box.Shell({"run", script, "--ui", "qt"});
  CheckShots(box, shown);
  // The form's picture has the form's size, as its dump gives it.
  const std::size_t at = shown.err.find(" width=");
  ASSERT_NE(at, std::string::npos) << shown.err;
  int width = 0;
  int height = 0;
  ASSERT_EQ(std::sscanf(shown.err.c_str() + at, " width=%d height=%d", &width, &height), 2);
  EXPECT_EQ(QImage(QString::fromStdString(box.WorkDir() + "/usage.png")).size(),
            QSize(width, height));

  Bank headless;
  const std::string again = headless.Box().WriteFile("shots.txt", kShotScript);
  const auto r = headless.Box().Shell({"run", again, "--ui", "headless"});
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("error 3 \"shot needs a screen: run the script on the Qt platform "
                       "(TAVRO_UI=qt)\""),
            std::string::npos)
      << r.err;
}

// Without a display and without TAVRO_UI, a call runs headless and says why in one line;
// asking for Qt then is an error of the call, not a fallback.
TEST(Choice, WithoutADisplayTheShellRunsHeadlessOrSaysWhyQtCannotRun) {
  Bank bank;
  e2e::Sandbox& box = bank.Box();
  box.SetEnv("QT_QPA_PLATFORM", "");
  const std::vector<std::string> call = {"call",   "Mn_UsageEdit", "--corp",     "0012",
                                         "--user", "000001",       "--function", "104"};
  auto r = box.Shell(call);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = e2e::Lines(r.err);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0],
            "ManageEdit: the dialogs run headless, since no display can be reached (DISPLAY is "
            "not set, and WAYLAND_DISPLAY is not set); TAVRO_UI=headless chooses this without "
            "the notice");
  EXPECT_EQ(lines[1], "open TUsageEdtFrm \"用途\"");
  std::vector<std::string> qt = call;
  qt.insert(qt.end(), {"--ui", "qt"});
  r = box.Shell(qt);
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("raised: TAVRO_UI=qt, but no display can be reached: DISPLAY is not set"),
            std::string::npos)
      << r.err;
  qt.back() = "headless";
  r = box.Shell(qt);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.find("ManageEdit:"), std::string::npos) << r.err;
}

// The bank in the folder the file dialog shows, used by another program all the while a
// customer import from that folder runs. Qt's dialog tells the files' types by their
// names, so nothing but SQLite opens the bank's files in the importing process (a
// preloaded library logs any other open); the bank's locks hold against the other
// program; the import finishes whole and the bank stays sound.
TEST(BankFolder, ImportBesideTheBankWhileAnotherProgramUsesIt) {
  Bank bank;
  e2e::Sandbox& box = bank.Box();
  // The file dialog opens in the working folder: the bank stands there.
  const std::string bankDb = box.WorkDir() + "/bank.db";
  box.SetEnv("TAVRO_BANK_DB", bankDb);
  ASSERT_EQ(box.Run("tavro-bank", {"init", "--demo", bankDb}).status, 0);
  constexpr int kCustomers = 2000;
  std::string lines;
  for (int i = 0; i < kCustomers; ++i) {
    const std::string n = std::to_string(100000 + i);
    lines += "K" + n + "@导入客户" + n + "@62220202" + n + "@中国银行杭州分行\r\n";
  }
  box.WriteFile("import.txt", tavro_test::Gbk(lines));
  const std::string script =
      box.WriteFile("import-beside-bank.txt",
                    "# call: Mn_CustomerEdit --corp 0012 --user 000001 --function 201\n"
                    "click ImportBtn\n"
                    "click FilenameEdt\n"
                    "file \"import.txt\"\n"
                    "click SaveBtn\n"
                    "click BitBtn2\n"
                    "click CancelBtn\n"
                    "answer yes\n");
  const std::string opens = box.Root() + "/opens.log";
  box.SetEnv("LD_PRELOAD", TAVRO_OPEN_SPY);
  box.SetEnv("TAVRO_OPEN_SPY_FILES", bankDb);
  box.SetEnv("TAVRO_OPEN_SPY_LOG", opens);
  // The sanitizer build's runtime need not come first when a library is preloaded.
  const char* asan = std::getenv("ASAN_OPTIONS");
  box.SetEnv("ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0");

  std::atomic<bool> importing{true};
  int reads = 0;
  int writes = 0;
  std::string otherFailure;
  std::thread other([&] {
    while (importing) {
      const auto read = box.Run("tavro-bank", {"exec", "MN_GetCorpName '0012'"});
      const auto write =
          box.Run("tavro-bank", {"exec", "MN_UpdateAccountRec 102,'310012000200001','0012','USD " +
                                             std::to_string(writes) + "',-1"});
      reads += read.status == 0;
      writes += write.status == 0;
      // Busy is an answer a program must expect; anything else is a fault.
      for (const auto* r : {&read, &write}) {
        if (r->status != 0 && r->status != 3 && otherFailure.empty()) {
          otherFailure = "status " + std::to_string(r->status) + ": " + r->err;
        }
      }
    }
  });
  const auto r = box.Shell({"run", script, "--ui", "qt"});
  importing = false;
  other.join();

  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(otherFailure, "");
  EXPECT_GT(reads, 0);
  EXPECT_GT(writes, 0);
  EXPECT_EQ(e2e::QueryBank(bankDb,
                           "SELECT count(*) FROM customer WHERE corp_id = '0012' AND cust_id "
                           "LIKE 'K%'"),
            std::vector<std::string>{std::to_string(kCustomers)});
  EXPECT_EQ(e2e::QueryBank(bankDb, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  EXPECT_FALSE(box.Exists(opens)) << box.ReadFile(opens);
}

// Under xvfb-run (see CMakeLists.txt): a real window on an X display, photographed.
TEST(XvfbSmoke, ARealWindowOnAnXDisplay) {
  const char* display = std::getenv("DISPLAY");
  if (std::getenv("TAVRO_XVFB_SMOKE") == nullptr || display == nullptr) {
    GTEST_SKIP() << "runs under xvfb-run only";
  }
  Bank bank;
  e2e::Sandbox& box = bank.Box();
  box.SetEnv("QT_QPA_PLATFORM", "xcb");
  box.SetEnv("DISPLAY", display);
  if (const char* auth = std::getenv("XAUTHORITY")) {
    box.SetEnv("XAUTHORITY", auth);
  }
  const std::string script = box.WriteFile("shots.txt", kShotScript);
  CheckShots(box, box.Shell({"run", script, "--ui", "qt"}));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Pictures are read back with QImage, which needs no screen.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
