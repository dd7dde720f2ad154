// What the dialogs look like on the Qt platform (offscreen plugin, Fusion style, scale 1,
// Noto Sans CJK): every example played with TAVRO_UI_SHOT_DIR leaves a picture of each
// form and box it showed, each of the form's size and none of them blank; a few are
// compared with reference pictures in reference/ by a comparison that forgives a glyph
// drawn a pixel off (another hinting) but not a control that moved.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <regex>
#include <set>
#include <sstream>

#include "tests/support/ShellSandbox.h"

namespace {

// The examples by their names, without ".txt".
std::vector<std::string> ExampleNames() {
  std::vector<std::string> names;
  for (const std::string& script : e2e::ExampleScripts()) {
    names.push_back(script.substr(0, script.size() - 4));
  }
  return names;
}

// One example played on Qt in Chinese against a fresh demonstration bank, its first form
// dumped before anything else happens: the pictures it left and the transcript.
struct Played {
  int status = -1;
  std::string err;
  std::string transcript;
  std::vector<std::string> shots;  // paths, in the order shown
};

Played Play(e2e::Sandbox& box, const std::string& name, const std::string& ui = "qt") {
  box.UseBankServer();
  box.SetLanguage("CN");
  // An English desktop: Qt's own buttons follow the module's language all the same.
  box.SetEnv("LANGUAGE", "en_US");
  box.SetEnv("QT_QPA_PLATFORM", "offscreen");
  box.SetEnv("QT_STYLE_OVERRIDE", "Fusion");
  box.SetEnv("QT_SCALE_FACTOR", "1");
  const std::string shots = box.Root() + "/shots";
  std::filesystem::create_directory(shots);
  box.SetEnv("TAVRO_UI_SHOT_DIR", shots);
  // The example beside the files it reads, with a dump of its form as the first action.
  const std::string folder = box.Root() + "/scripts";
  std::filesystem::create_directory(folder);
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(TAVRO_SOURCE_DIR) + "/examples")) {
    std::filesystem::copy_file(entry.path(), folder + "/" + entry.path().filename().string());
  }
  const std::string script = e2e::ReadSource("examples/" + name + ".txt");
  std::string dumped;
  std::istringstream lines(script);
  bool inserted = false;
  for (std::string line; std::getline(lines, line);) {
    if (!inserted && !line.empty() && line[0] != '#') {
      dumped += "dump form\n";
      inserted = true;
    }
    dumped += line + "\n";
  }
  box.WriteFile(folder + "/" + name + ".txt", dumped);
  const auto r = box.Shell({"run", folder + "/" + name + ".txt", "--ui", ui, "--transcript",
                            box.Root() + "/transcript.txt"});
  Played played{r.status, r.err, box.ReadFile(box.Root() + "/transcript.txt"), {}};
  for (const std::string& file : box.List(shots)) {
    played.shots.push_back((std::filesystem::path(shots) / file).string());
  }
  std::sort(played.shots.begin(), played.shots.end());
  return played;
}

// Not blank: more than a few colours, and some pixels dark enough to be text.
void ExpectNotBlank(const QImage& image, const std::string& what) {
  std::set<QRgb> colours;
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      colours.insert(pixel);
      if (qGray(pixel) < 96) {
        ++dark;
      }
    }
  }
  EXPECT_GT(colours.size(), 4u) << what;
  EXPECT_GT(dark, 20) << what << ": no text-coloured pixels";
}

std::string Base(const std::string& path) {
  return std::filesystem::path(path).stem().string();
}

// The text with every mention of a sandbox's folder made "ROOT".
std::string WithoutFolder(std::string text, const std::string& root) {
  for (std::size_t at = text.find(root); at != std::string::npos; at = text.find(root, at)) {
    text.replace(at, root.size(), "ROOT");
  }
  return text;
}

class ExamplePictures : public ::testing::TestWithParam<std::string> {};

// Each form's picture has the size of its client area and shows something; a form looks
// as large when the example leaves it as when it opened.
TEST_P(ExamplePictures, HaveTheFormsSizeAndAreNotBlank) {
  e2e::Sandbox box;
  const Played played = Play(box, GetParam());
  ASSERT_EQ(played.status, 0) << played.err << played.transcript;
  EXPECT_EQ(played.err.find("ManageEdit (Qt)"), std::string::npos) << played.err;
  // A review list opens no form at all.
  if (played.transcript.find("open ") == std::string::npos) {
    EXPECT_TRUE(played.shots.empty());
    return;
  }
  ASSERT_FALSE(played.shots.empty());
  // Taking the pictures changes nothing of the run.
  e2e::Sandbox again;
  const Played headless = Play(again, GetParam(), "headless");
  EXPECT_EQ(headless.status, 0) << headless.err;
  EXPECT_EQ(WithoutFolder(played.transcript, box.Root()),
            WithoutFolder(headless.transcript, again.Root()));
  EXPECT_TRUE(headless.shots.empty());
  std::smatch form;
  static const std::regex kFormLine(
      "open (T\\w+) .*\\ndump \\w+ \\1 .* width=([0-9]+) height=([0-9]+)");
  ASSERT_TRUE(std::regex_search(played.transcript, form, kFormLine)) << played.transcript;
  ASSERT_EQ(Base(played.shots.front()), "01-" + form[1].str());
  const QImage first(QString::fromStdString(played.shots.front()));
  EXPECT_EQ(first.size(), QSize(std::stoi(form[2]), std::stoi(form[3])));

  std::map<std::string, QSize> opened;
  for (const std::string& shot : played.shots) {
    const QImage image(QString::fromStdString(shot));
    ASSERT_FALSE(image.isNull()) << shot;
    ExpectNotBlank(image, Base(shot));
    const std::string what = Base(shot).substr(3);
    if (what.size() > 4 && what.compare(what.size() - 4, 4, "-end") == 0) {
      ASSERT_TRUE(opened.count(what.substr(0, what.size() - 4))) << shot;
      EXPECT_EQ(image.size(), opened[what.substr(0, what.size() - 4)]) << shot;
    } else if (what[0] == 'T') {
      opened[what] = image.size();
    }
  }
}

// A folder that cannot take the pictures is said once per picture on standard error;
// the run goes on and ends as it would.
TEST(ShotFolder, ThatCannotBeWrittenIsSaidAndTheRunGoesOn) {
  e2e::Sandbox box;
  box.SetEnv("TAVRO_UI_SHOT_DIR", box.Root() + "/missing");
  const std::string script = box.WriteFile(
      "usage.txt",
      "# call: Mn_UsageEdit --corp 0012 --user 000001 --function 104\nclick CancelBtn\n");
  box.UseBankServer();
  box.SetLanguage("CN");
  box.SetEnv("QT_QPA_PLATFORM", "offscreen");
  const auto r = box.Shell({"run", script, "--ui", "qt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("ManageEdit (Qt): cannot save the picture " + box.Root() +
                       "/missing/01-TUsageEdtFrm.png"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("/missing/02-TUsageEdtFrm-end.png"), std::string::npos) << r.err;
  EXPECT_FALSE(box.Exists(box.Root() + "/missing"));
}

// A control's place in the form's picture, from the form's dump: its bounds in its
// parent's pixels, the parents' offsets added up to the form's client area.
struct Shown {
  bool Enabled = true;
  QRect Rect;
};

std::map<std::string, Shown> ShownControls(const std::string& transcript) {
  static const std::regex kControl(
      "dump (\\w+) T\\w+ .*enabled=(\\w+) .*?(?:parent=(\\w+) )?left=(-?[0-9]+) "
      "top=(-?[0-9]+) width=([0-9]+) height=([0-9]+)");
  std::map<std::string, std::pair<std::string, Shown>> raw;
  std::istringstream lines(transcript);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (std::regex_search(line, m, kControl) && raw.count(m[1].str()) == 0) {
      raw[m[1].str()] = {m[3].str(),
                         Shown{m[2].str() == "true", QRect(std::stoi(m[4]), std::stoi(m[5]),
                                                           std::stoi(m[6]), std::stoi(m[7]))}};
    }
  }
  std::map<std::string, Shown> shown;
  for (const auto& [name, entry] : raw) {
    Shown placed = entry.second;
    // The form's own line has no parent; a control's chain ends at the form.
    for (std::string parent = entry.first;
         !parent.empty() && raw.count(parent) != 0 && !raw.at(parent).first.empty();
         parent = raw.at(parent).first) {
      placed.Rect.translate(raw.at(parent).second.Rect.topLeft());
    }
    shown[name] = placed;
  }
  return shown;
}

double Linear(double channel) {
  return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(QRgb c) {
  return 0.2126 * Linear(qRed(c) / 255.0) + 0.7152 * Linear(qGreen(c) / 255.0) +
         0.0722 * Linear(qBlue(c) / 255.0);
}

// The contrast of the text in part of a picture: its commonest colour is the
// background, its pixel farthest from it the core of a glyph's stroke.
double TextContrast(const QImage& image, const QRect& part) {
  std::map<QRgb, int> counts;
  const QRect inside = part.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      ++counts[image.pixel(x, y) & 0xFFFFFF];
    }
  }
  if (counts.empty()) {
    return 0;
  }
  const QRgb background =
      std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
      })->first;
  double best = 1;
  for (const auto& [colour, count] : counts) {
    const double a = Luminance(colour);
    const double b = Luminance(background);
    best = std::max(best, (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05));
  }
  return best;
}

// Fields the operator only reads show their text at the full contrast of an enabled
// field; disabled captions, check boxes and buttons stay readable at 4.5:1 or more.
TEST(ReadableText, ReadOnlyFieldsAtFullContrastDisabledTextAtLeast4_5To1) {
  struct Case {
    const char* example;
    const char* control;
    double least;
  };
  const Case cases[] = {
      {"account-edit", "CorpNameEdt", 10}, {"account-edit", "AcNoEdt", 10},
      {"account-edit", "CurrencyEdt", 10}, {"account-edit", "AcTypeCmb", 10},
      {"account-edit", "AcNameEdt", 10},   {"user-edit", "CorpNameEdt", 10},
      {"user-edit", "IdEdt", 10},          {"user-edit", "CorpNameLbl", 4.5},
      {"user-edit", "IdLbl", 4.5},         {"user-edit", "DefRightBtn", 4.5},
  };
  std::map<std::string, Played> played;
  std::vector<std::unique_ptr<e2e::Sandbox>> boxes;
  for (const Case& c : cases) {
    if (played.count(c.example) == 0) {
      boxes.push_back(std::make_unique<e2e::Sandbox>());
      played[c.example] = Play(*boxes.back(), c.example);
      ASSERT_EQ(played[c.example].status, 0) << played[c.example].err;
      ASSERT_FALSE(played[c.example].shots.empty()) << c.example;
    }
    const Played& run = played[c.example];
    const auto controls = ShownControls(run.transcript);
    ASSERT_TRUE(controls.count(c.control)) << c.example << " " << c.control;
    const QImage picture =
        QImage(QString::fromStdString(run.shots.front())).convertToFormat(QImage::Format_RGB32);
    // Inside the frame, where the text is.
    const QRect text = controls.at(c.control).Rect.adjusted(3, 3, -3, -3);
    EXPECT_GE(TextContrast(picture, text), c.least)
        << c.example << " " << c.control << (controls.at(c.control).Enabled ? "" : " (disabled)");
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExamplePictures, ::testing::ValuesIn(ExampleNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string id = info.param;
                           std::replace(id.begin(), id.end(), '-', '_');
                           return id;
                         });

// How far two pictures are apart. A pixel of either is unmatched when the other has no
// pixel within kPixelTolerance in every channel at the same place or one pixel away: a
// glyph drawn a pixel off (another hinting) matches its neighbour, a control moved by
// more leaves its edges and text unmatched. Those cluster, while a different rendering
// scatters them: the pictures match while no tile of kTile x kTile pixels holds more
// than kMaxPerTile unmatched pixels and all of them are at most kMaxShare of the
// picture. Pictures of different sizes never match.
constexpr int kPixelTolerance = 40;
constexpr int kTile = 16;
constexpr int kMaxPerTile = 12;
constexpr double kMaxShare = 0.005;

struct Distance {
  double Share = 1.0;  // unmatched pixels over all pixels
  int WorstTile = kTile * kTile;
};

std::ostream& operator<<(std::ostream& out, const Distance& d) {
  return out << d.Share * 100 << "% unmatched, " << d.WorstTile << " in the worst tile";
}

bool Near(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) <= kPixelTolerance &&
         std::abs(qGreen(a) - qGreen(b)) <= kPixelTolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= kPixelTolerance;
}

// Marks the pixels of a that have no near pixel in b around them.
void MarkUnmatched(const QImage& a, const QImage& b, std::vector<char>& unmatched) {
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb pixel = a.pixel(x, y);
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy) {
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const int bx = x + dx;
          const int by = y + dy;
          found = bx >= 0 && by >= 0 && bx < b.width() && by < b.height() &&
                  Near(pixel, b.pixel(bx, by));
        }
      }
      if (!found) {
        unmatched[static_cast<std::size_t>(y) * a.width() + x] = 1;
      }
    }
  }
}

Distance Apart(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) {
    return {};
  }
  std::vector<char> unmatched(static_cast<std::size_t>(a.width()) * a.height(), 0);
  MarkUnmatched(a, b, unmatched);
  MarkUnmatched(b, a, unmatched);
  const int tilesAcross = (a.width() + kTile - 1) / kTile;
  std::vector<int> tiles(static_cast<std::size_t>(tilesAcross) *
                         ((a.height() + kTile - 1) / kTile));
  std::size_t total = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (unmatched[static_cast<std::size_t>(y) * a.width() + x] != 0) {
        ++total;
        ++tiles[static_cast<std::size_t>(y / kTile) * tilesAcross + x / kTile];
      }
    }
  }
  return {static_cast<double>(total) / static_cast<double>(unmatched.size()),
          *std::max_element(tiles.begin(), tiles.end())};
}

bool Matches(const QImage& a, const QImage& b) {
  const Distance d = Apart(a, b);
  return d.Share <= kMaxShare && d.WorstTile <= kMaxPerTile;
}

QImage Reference(const std::string& name) {
  return QImage(QString::fromStdString(std::string(TAVRO_SOURCE_DIR) + "/tests/ui/qt/reference/" +
                                       name + ".png"))
      .convertToFormat(QImage::Format_RGB32);
}

// The whole picture moved by (dx, dy), the uncovered edge in the window's colour.
QImage Shifted(const QImage& image, int dx, int dy) {
  QImage moved(image.size(), QImage::Format_RGB32);
  moved.fill(image.pixel(image.width() / 2, 2));
  QPainter painter(&moved);
  painter.drawImage(QPoint(dx, dy), image);
  return moved;
}

// The rectangle moved by dx to the right, its old place filled with the colour beside it.
QImage MovedPart(const QImage& image, const QRect& part, int dx) {
  QImage moved = image.copy();
  const QImage piece = image.copy(part);
  QPainter painter(&moved);
  painter.fillRect(part, image.pixel(part.left() - 2, part.top() - 2));
  painter.drawImage(part.topLeft() + QPoint(dx, 0), piece);
  return moved;
}

// Every channel of every pixel a little lighter or darker, as another antialiasing
// gives.
QImage Tinted(const QImage& image, int by) {
  QImage tinted = image.copy();
  for (int y = 0; y < tinted.height(); ++y) {
    for (int x = 0; x < tinted.width(); ++x) {
      const QRgb p = tinted.pixel(x, y);
      const int d = (x + y) % 2 == 0 ? by : -by;
      tinted.setPixel(x, y,
                      qRgb(std::clamp(qRed(p) + d, 0, 255), std::clamp(qGreen(p) + d, 0, 255),
                           std::clamp(qBlue(p) + d, 0, 255)));
    }
  }
  return tinted;
}

// The pictures compared with references: two forms and a question box.
struct Compared {
  const char* example;
  const char* shot;  // the picture's name in the run and the reference's in reference/
};
constexpr Compared kCompared[] = {
    {"usage-edit", "01-TUsageEdtFrm"},
    {"usage-edit", "04-message"},
    {"status-folder", "01-TStatusFolderFrm"},
    {"account-edit", "01-TAccountEditFrm"},
};

class ReferencePicture : public ::testing::TestWithParam<Compared> {};

TEST_P(ReferencePicture, MatchesTheFreshPicture) {
  const Compared compared = GetParam();
  e2e::Sandbox box;
  const Played played = Play(box, compared.example);
  ASSERT_EQ(played.status, 0) << played.err;
  const QImage reference = Reference(std::string(compared.example) + "-" + compared.shot);
  ASSERT_FALSE(reference.isNull()) << compared.shot;
  const QImage fresh =
      QImage(QString::fromStdString(box.Root() + "/shots/" + compared.shot + ".png"))
          .convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(fresh.isNull()) << compared.shot;
  EXPECT_TRUE(Matches(fresh, reference))
      << compared.shot << ": " << Apart(fresh, reference)
      << "; if the dialog was changed on purpose, run scripts/gallery.sh "
         "and copy its cn/ picture into tests/ui/qt/reference/";
}

INSTANTIATE_TEST_SUITE_P(Pictures, ReferencePicture, ::testing::ValuesIn(kCompared),
                         [](const ::testing::TestParamInfo<Compared>& info) {
                           std::string id = std::string(info.param.example) + "_" + info.param.shot;
                           std::replace(id.begin(), id.end(), '-', '_');
                           return id;
                         });

// The comparison itself, on the usage dialog's reference: what it forgives and what not.
TEST(PictureComparison, ForgivesAPixelOffAndShadesButNotAMovedControl) {
  const QImage reference = Reference("usage-edit-01-TUsageEdtFrm");
  ASSERT_FALSE(reference.isNull());
  EXPECT_TRUE(Matches(reference, reference));
  EXPECT_EQ(Apart(reference, reference).Share, 0.0);
  // Another hinting or antialiasing: glyphs a pixel off, shades a little different.
  EXPECT_TRUE(Matches(Shifted(reference, 1, 0), reference))
      << Apart(Shifted(reference, 1, 0), reference);
  EXPECT_TRUE(Matches(Shifted(reference, 0, 1), reference))
      << Apart(Shifted(reference, 0, 1), reference);
  EXPECT_TRUE(Matches(Tinted(reference, 12), reference)) << Apart(Tinted(reference, 12), reference);
  // The whole dialog drawn a few pixels off, or one button moved, is a different picture.
  EXPECT_FALSE(Matches(Shifted(reference, 3, 0), reference))
      << Apart(Shifted(reference, 3, 0), reference);
  EXPECT_FALSE(Matches(Shifted(reference, 0, 2), reference))
      << Apart(Shifted(reference, 0, 2), reference);
  const QRect button(364, 13, 89, 28);  // the button 新增 of the reference
  EXPECT_FALSE(Matches(MovedPart(reference, button, 2), reference))
      << Apart(MovedPart(reference, button, 2), reference);
  EXPECT_FALSE(Matches(MovedPart(reference, button, 4), reference))
      << Apart(MovedPart(reference, button, 4), reference);
  // Another size, or a picture of the window's colour only.
  EXPECT_FALSE(Matches(reference.copy(0, 0, reference.width() - 1, reference.height()), reference));
  QImage blank(reference.size(), QImage::Format_RGB32);
  blank.fill(reference.pixel(2, 2));
  EXPECT_FALSE(Matches(blank, reference));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Pictures are read and drawn with QImage and QPainter, which need no screen.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
