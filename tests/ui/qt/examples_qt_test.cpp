// tavro-shell with --ui qt: every example plays on Qt (offscreen) as it does headless, and
// leaves a picture of each form and box (TAVRO_UI_SHOT_DIR; Fusion, scale 1), a few compared
// with reference/ by a comparison that forgives a glyph a pixel off but not a moved control.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "tests/support/BankQuery.h"
#include "tests/support/PdfTools.h"
#include "tests/support/ShellSandbox.h"
#include "tests/support/TestEnv.h"

namespace {

// A fresh demonstration bank, Chinese texts, and a screen for Qt.
e2e::Sandbox& Ready(e2e::Sandbox& box) {
  box.UseBankServer();
  box.SetLanguage("CN");
  box.SetEnv("QT_QPA_PLATFORM", "offscreen");
  return box;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string transcript;  // the sandbox's folder made "ROOT"
  std::set<std::string> files;
  std::vector<std::string> shots;  // in the order shown
};

// Plays an example on an English desktop with TAVRO_UI_SHOT_DIR set, the form dumped
// before the example's first action.
Outcome RunExample(e2e::Sandbox& box, const std::string& name, const std::string& ui) {
  Ready(box);
  const std::string shots = box.Root() + "/shots";
  box.SetEnv("LANGUAGE", "en_US");
  box.SetEnv("QT_STYLE_OVERRIDE", "Fusion");
  box.SetEnv("QT_SCALE_FACTOR", "1");
  std::filesystem::create_directory(shots);
  box.SetEnv("TAVRO_UI_SHOT_DIR", shots);
  const std::string folder = box.Root() + "/scripts";  // the example beside the files it reads
  std::filesystem::create_directory(folder);
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(TAVRO_SOURCE_DIR) + "/examples")) {
    std::filesystem::copy_file(entry.path(), folder + "/" + entry.path().filename().string());
  }
  std::string dumped;
  std::istringstream lines(e2e::ReadSource("examples/" + name));
  bool inserted = false;
  for (std::string line; std::getline(lines, line);) {
    if (!inserted && !line.empty() && line[0] != '#') {
      dumped += "dump form\n";
      inserted = true;
    }
    dumped += line + "\n";
  }
  const std::string script = box.WriteFile(folder + "/" + name, dumped);
  const auto r =
      box.Shell({"run", script, "--ui", ui, "--transcript", box.Root() + "/transcript.txt"});
  EXPECT_EQ(r.status, 0) << ui << "\n" << r.err;
  EXPECT_EQ(r.err.find("ManageEdit (Qt)"), std::string::npos) << r.err;
  Outcome outcome{r.status, r.out, box.ReadFile(box.Root() + "/transcript.txt"), {}, {}};
  for (std::size_t at = outcome.transcript.find(box.Root()); at != std::string::npos;
       at = outcome.transcript.find(box.Root(), at)) {
    outcome.transcript.replace(at, box.Root().size(), "ROOT");
  }
  for (const std::string& file : box.List(box.WorkDir())) {
    // A PDF carries the time it was made, and a report prints the time of day.
    if (file.ends_with(".pdf")) {
      const std::string path = box.WorkDir() + "/" + file;
      static const std::regex kClock("[0-9]{2}:[0-9]{2}:[0-9]{2}");
      outcome.files.insert(file + " pages " + std::to_string(pdf_tools::PageCount(path)) + "\n" +
                           std::regex_replace(pdf_tools::Text(path), kClock, "hh:mm:ss"));
    } else {
      outcome.files.insert(file + " " + std::to_string(box.ReadFile(file).size()));
    }
  }
  for (const std::string& file : box.List(shots)) {
    outcome.shots.push_back((std::filesystem::path(shots) / file).string());
  }
  std::sort(outcome.shots.begin(), outcome.shots.end());
  return outcome;
}

QImage Picture(const std::string& path) {
  return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

// Not blank: more than a few colours, and some pixels dark enough to be text.
void ExpectNotBlank(const QImage& image, const std::string& what) {
  std::set<QRgb> colours;
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      colours.insert(image.pixel(x, y));
      dark += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
    }
  }
  EXPECT_GT(colours.size(), 4u) << what;
  EXPECT_GT(dark, 20) << what << ": no text-coloured pixels";
}

// Two pictures match while no 16 x 16 tile holds more than 12 unmatched pixels and all of
// them are at most 0.5% of the picture. A pixel is unmatched when the other picture has
// none within 40 in every channel at its place or one pixel away.
bool Matches(const QImage& a, const QImage& b) {
  constexpr int kTile = 16;
  if (a.size() != b.size() || a.isNull()) {
    return false;
  }
  const auto near = [](QRgb p, QRgb q) {
    return std::abs(qRed(p) - qRed(q)) <= 40 && std::abs(qGreen(p) - qGreen(q)) <= 40 &&
           std::abs(qBlue(p) - qBlue(q)) <= 40;
  };
  const auto unmatched = [&](const QImage& from, const QImage& to, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        if (to.rect().contains(x + dx, y + dy) &&
            near(from.pixel(x, y), to.pixel(x + dx, y + dy))) {
          return false;
        }
      }
    }
    return true;
  };
  const int across = (a.width() + kTile - 1) / kTile;
  std::vector<int> tiles(static_cast<std::size_t>(across) * ((a.height() + kTile - 1) / kTile));
  int total = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (unmatched(a, b, x, y) || unmatched(b, a, x, y)) {
        ++total;
        ++tiles[static_cast<std::size_t>(y / kTile) * across + x / kTile];
      }
    }
  }
  return total <= a.width() * a.height() / 200 &&
         *std::max_element(tiles.begin(), tiles.end()) <= 12;
}

std::string Reference(const std::string& name) {
  return std::string(TAVRO_SOURCE_DIR) + "/tests/ui/qt/reference/" + name + ".png";
}

// The pictures compared with references: three forms and a question box.
const std::multimap<std::string, std::string> kCompared = {
    {"usage-edit.txt", "01-TUsageEdtFrm"},
    {"usage-edit.txt", "04-message"},
    {"status-folder.txt", "01-TStatusFolderFrm"},
    {"account-edit.txt", "01-TAccountEditFrm"},
};

class ExampleOnQt : public ::testing::TestWithParam<std::string> {};

// The headless run's result, transcript, output and files; a picture of each form of its
// client area's size, as large when the example leaves it as when it opened.
TEST_P(ExampleOnQt, WritesTheHeadlessTranscriptAndLeavesPicturesOfItsForms) {
  const std::string name = GetParam();
  e2e::Sandbox boxes[2];
  const Outcome headless = RunExample(boxes[0], name, "headless");
  const Outcome qt = RunExample(boxes[1], name, "qt");
  EXPECT_FALSE(headless.transcript.empty() && headless.out.empty()) << "a run that shows nothing";
  EXPECT_EQ(qt.status, headless.status);
  EXPECT_EQ(qt.out, headless.out);
  EXPECT_EQ(qt.transcript, headless.transcript);
  EXPECT_EQ(qt.files, headless.files);
  EXPECT_TRUE(headless.shots.empty());
  if (qt.transcript.find("open ") == std::string::npos) {
    EXPECT_TRUE(qt.shots.empty()) << "a review list opens no form";
    return;
  }
  ASSERT_FALSE(qt.shots.empty());
  std::smatch form;
  static const std::regex kFormLine(
      "open (T\\w+) .*\\ndump \\w+ \\1 .* width=([0-9]+) height=([0-9]+)");
  ASSERT_TRUE(std::regex_search(qt.transcript, form, kFormLine)) << qt.transcript;
  const auto base = [](const std::string& path) {
    return std::filesystem::path(path).stem().string();
  };
  ASSERT_EQ(base(qt.shots.front()), "01-" + form[1].str());
  EXPECT_EQ(QImage(QString::fromStdString(qt.shots.front())).size(),
            QSize(std::stoi(form[2]), std::stoi(form[3])));
  std::map<std::string, QSize> opened;
  for (const std::string& shot : qt.shots) {
    const QImage image = Picture(shot);
    ASSERT_FALSE(image.isNull()) << shot;
    ExpectNotBlank(image, base(shot));
    const std::string what = base(shot).substr(3);
    if (what.ends_with("-end")) {
      ASSERT_TRUE(opened.count(what.substr(0, what.size() - 4))) << shot;
      EXPECT_EQ(image.size(), opened[what.substr(0, what.size() - 4)]) << shot;
    } else if (what[0] == 'T') {
      opened[what] = image.size();
    }
  }
  const auto [from, to] = kCompared.equal_range(name);
  for (auto it = from; it != to; ++it) {
    const QImage reference = Picture(Reference(name.substr(0, name.size() - 4) + "-" + it->second));
    ASSERT_FALSE(reference.isNull()) << it->second;
    EXPECT_TRUE(Matches(Picture(boxes[1].Root() + "/shots/" + it->second + ".png"), reference))
        << it->second << "; if the dialog was changed on purpose, run scripts/gallery.sh "
        << "and copy its cn/ picture into tests/ui/qt/reference/";
  }
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

void CheckShots(e2e::Sandbox& box, const e2e::ShellOutput& r) {
  ASSERT_EQ(r.status, 0) << r.err;
  const QImage form(QString::fromStdString(box.WorkDir() + "/usage.png"));
  const QImage question(QString::fromStdString(box.WorkDir() + "/问题.png"));
  ASSERT_FALSE(form.isNull());
  ASSERT_FALSE(question.isNull());
  ExpectNotBlank(form, "form");
  ExpectNotBlank(question, "question");
  EXPECT_LT(question.width(), form.width()) << "the box, not the form behind it";
}

// `shot` saves the form, of its dump's size, and the open box on Qt, and is an error
// headless. A shot folder that cannot be written is said per picture; the run goes on.
TEST(Shot, SavesTheFormAndTheOpenBoxOnQtAndIsAnErrorHeadless) {
  e2e::Sandbox box;
  Ready(box).SetEnv("TAVRO_UI_SHOT_DIR", box.Root() + "/missing");
  const auto shown = box.Shell({"run", box.WriteFile("s.txt", kShotScript), "--ui", "qt"});
  CheckShots(box, shown);
  EXPECT_NE(shown.err.find("ManageEdit (Qt): cannot save the picture " + box.Root() +
                           "/missing/01-TUsageEdtFrm.png"),
            std::string::npos)
      << shown.err;
  EXPECT_NE(shown.err.find("/missing/03-TUsageEdtFrm-end.png"), std::string::npos) << shown.err;
  EXPECT_FALSE(box.Exists(box.Root() + "/missing"));
  std::smatch size;
  ASSERT_TRUE(std::regex_search(shown.err, size, std::regex(" width=([0-9]+) height=([0-9]+)")));
  EXPECT_EQ(QImage(QString::fromStdString(box.WorkDir() + "/usage.png")).size(),
            QSize(std::stoi(size[1]), std::stoi(size[2])));
  e2e::Sandbox headless;
  Ready(headless);
  const auto r =
      headless.Shell({"run", headless.WriteFile("s.txt", kShotScript), "--ui", "headless"});
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("error 3 \"shot needs a screen: run the script on the Qt platform "
                       "(TAVRO_UI=qt)\""),
            std::string::npos)
      << r.err;
}

// Without a display and without TAVRO_UI, a call runs headless and says why in one line;
// asking for Qt then is an error of the call, not a fallback.
TEST(Choice, WithoutADisplayTheShellRunsHeadlessOrSaysWhyQtCannotRun) {
  e2e::Sandbox box;
  Ready(box);
  box.SetEnv("QT_QPA_PLATFORM", "");
  std::vector<std::string> call = {"call",   "Mn_UsageEdit", "--corp",     "0012",
                                   "--user", "000001",       "--function", "104"};
  auto r = box.Shell(call);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = e2e::Lines(r.err);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "ManageEdit: the dialogs run headless, since no display can be reached (DISPLAY is "
            "not set, and WAYLAND_DISPLAY is not set); TAVRO_UI=headless chooses this without "
            "the notice");
  EXPECT_EQ(lines[1], "open TUsageEdtFrm \"用途\"");
  call.insert(call.end(), {"--ui", "qt"});
  r = box.Shell(call);
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("raised: TAVRO_UI=qt, but no display can be reached: DISPLAY is not set"),
            std::string::npos)
      << r.err;
}

// A customer import from the bank's own folder while another program uses the bank: only
// SQLite opens the bank's files in the importing process (a preloaded library logs any other
// open), the locks hold, the import finishes whole and the bank stays sound.
TEST(BankFolder, ImportBesideTheBankWhileAnotherProgramUsesIt) {
  e2e::Sandbox box;
  Ready(box);
  const std::string bankDb = box.WorkDir() + "/bank.db";  // where the file dialog opens
  box.SetEnv("TAVRO_BANK_DB", bankDb);
  ASSERT_EQ(box.Run("tavro-bank", {"init", "--demo", bankDb}).status, 0);
  constexpr int kCustomers = 2000;
  std::string lines;
  for (int i = 0; i < kCustomers; ++i) {
    const std::string n = std::to_string(100000 + i);
    lines.append("K").append(n).append("@导入客户").append(n).append("@62220202").append(n);
    lines += "@中国银行杭州分行\r\n";
  }
  box.WriteFile("import.txt", tavro_test::Gbk(lines));
  const std::string script = box.WriteFile(
      "import-beside-bank.txt",
      "# call: Mn_CustomerEdit --corp 0012 --user 000001 --function 201\nclick ImportBtn\n"
      "click FilenameEdt\nfile \"import.txt\"\nclick SaveBtn\nclick BitBtn2\nclick CancelBtn\n"
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
      // Busy (3) is an answer a program must expect; anything else is a fault.
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
  EXPECT_EQ(
      e2e::QueryBank(bankDb,
                     "SELECT count(*) FROM customer WHERE corp_id = '0012' AND cust_id LIKE 'K%'"),
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
  e2e::Sandbox box;
  Ready(box);
  box.SetEnv("QT_QPA_PLATFORM", "xcb");
  box.SetEnv("DISPLAY", display);
  if (const char* auth = std::getenv("XAUTHORITY")) {
    box.SetEnv("XAUTHORITY", auth);
  }
  CheckShots(box, box.Shell({"run", box.WriteFile("s.txt", kShotScript), "--ui", "qt"}));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // QImage needs no screen
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
