// The Qt platform's edges without a window: which platform the environment chooses,
// whether a display can be reached, and GBK or Big5 against Qt's Unicode.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/support/TestEnv.h"
#include "ui/PlatformFactory.h"
#include "ui/qt/DisplayProbe.h"
#include "ui/qt/QtDesktop.h"
#include "ui/qt/QtPlatform.h"
#include "ui/qt/QtText.h"

namespace {

using tavro_test::Gbk;

int asked = 0;  // how often the choice asked for the display
bool Reachable(std::string& why) {
  ++asked;
  why.clear();
  return true;
}
bool Unreachable(std::string& why) {
  ++asked;
  why = "DISPLAY is not set";
  return false;
}

TEST(PlatformChoice, FollowsTavroUiThenTheScriptThenTheDisplay) {
  struct Case {
    const char* ui;
    const char* script;
    bool built;
    ui::DisplayProbe display;
    const char* kind;
    const char* said;  // in Error when the choice fails, in Notice when it fell back by itself
  };
  const Case cases[] = {
      {"qt", nullptr, true, Reachable, "qt", ""},
      {"qt", "s.txt", true, Reachable, "qt", ""},  // a script on the desktop, asked for
      {"qt", nullptr, true, Unreachable, "", "no display can be reached: DISPLAY is not set"},
      {"qt", nullptr, false, Reachable, "", "libTavroUiQt.so) cannot be loaded"},
      {"headless", nullptr, true, Reachable, "headless", ""},
      {"gtk", nullptr, true, Reachable, "", "unknown user interface: gtk"},
      {nullptr, "s.txt", true, Reachable, "headless", ""},
      {"", "s.txt", true, Reachable, "headless", ""},
      {nullptr, nullptr, true, Reachable, "qt", ""},
      {nullptr, "", true, Reachable, "qt", ""},
      {nullptr, nullptr, true, Unreachable, "headless", "no display can be reached (DISPLAY"},
      {nullptr, nullptr, false, Reachable, "headless", "libTavroUiQt.so) cannot be loaded"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("TAVRO_UI=") + (c.ui ? c.ui : "(unset)") + " script=" +
                 (c.script ? c.script : "(unset)") + " built=" + std::to_string(c.built));
    asked = 0;
    const ui::PlatformChoice choice = ui::ChoosePlatform(c.ui, c.script, c.built, c.display);
    EXPECT_EQ(choice.Kind, c.kind);
    // Qt's display probe starts once for Qt, never for a script or an explicit headless.
    if (choice.Kind == "qt" || (choice.Kind == "headless" && *c.said == 0)) {
      EXPECT_EQ(asked, choice.Kind == "qt" ? 1 : 0);
    }
    const bool failed = *c.kind == 0;
    EXPECT_EQ(failed ? choice.Notice : choice.Error, "");
    const std::string& said = failed ? choice.Error : choice.Notice;
    if (*c.said == 0) {
      EXPECT_EQ(said, "");
    } else {
      EXPECT_NE(said.find(c.said), std::string::npos) << said;
      EXPECT_EQ(said.find('\n'), std::string::npos) << "one line";
    }
  }
}

// Only the desktop plugins need a display server; one nobody serves is refused before Qt
// would end the process over it; of a list of plugins Qt takes the first that starts.
TEST(DisplayProbe, NeedsADisplayServerOnlyForTheDesktopPlugins) {
  const struct {
    ui::DisplaySettings settings;
    bool reachable;
    const char* why;
  } cases[] = {
      {{}, false, "DISPLAY is not set, and WAYLAND_DISPLAY is not set"},
      {{"offscreen", "", "", "", ""}, true, ""},
      {{"xcb", ":93", "", "", ""}, false, "the X display :93 does not accept a connection"},
      {{"xcb;offscreen", ":93", "", "", ""}, true, ""},
      {{"wayland:option", "", "wayland-93", "/nonexistent", "/nonexistent"},
       false,
       "Wayland plugin is not installed"},
  };
  for (const auto& c : cases) {
    const ui::DisplayAnswer answer = ui::ProbeDisplay(c.settings);
    EXPECT_EQ(answer.Reachable, c.reachable) << c.settings.QpaPlatform;
    EXPECT_NE(answer.Why.find(c.why), std::string::npos) << answer.Why;
    EXPECT_EQ(answer.Platform, "") << "Qt reads QT_QPA_PLATFORM itself";
  }
}

// A calling Qt program (these tests are one) keeps its application; no second one is made.
TEST(QtPlatformMaking, UsesTheCallingProgramsApplication) {
  tavro_test::ScopedEnv noScript("TAVRO_UI_SCRIPT", nullptr);
  QCoreApplication* host = QCoreApplication::instance();
  ASSERT_NE(host, nullptr);
  std::string why = "stale";
  EXPECT_TRUE(ui::QtDisplayReachable(why));
  EXPECT_EQ(why, "");
  std::unique_ptr<ui::Platform> platform = ui::CreateQtPlatform();
  EXPECT_NE(dynamic_cast<ui::QtDesktop*>(platform.get()), nullptr);
  EXPECT_EQ(QCoreApplication::instance(), host);
  platform.reset();
  EXPECT_EQ(QCoreApplication::instance(), host);
}

// Every byte offset of a model text has its place on screen and comes back, however
// broken the bytes; a memo's line breaks are one character each.
TEST(QtText, CaretOffsetsMapBothWays) {
  struct Case {
    std::string gbk;
    bool multiLine;
    QString shown;
    std::vector<int> positions;  // shown position of each byte offset 0..size
  };
  const std::string zhong = Gbk("中");
  const Case cases[] = {
      {"ab", false, "ab", {0, 1, 2}},
      {"a" + zhong + "b", false, QString::fromUtf8("a中b"), {0, 1, 1, 2, 3}},
      // A lone lead byte before a control byte is one character of its own.
      {"\x81\x07x", false, QString::fromUtf8("\xEF\xBF\xBD\x07x"), {0, 1, 2, 3}},
      {"a\r\nb", true, "a\nb", {0, 1, 1, 2, 3}},
      {"a\r\nb", false, "a\r\nb", {0, 1, 2, 3, 4}},
      {"a\rb\n", true, "a\nb\n", {0, 1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown.toStdString());
    EXPECT_EQ(ui::ShownText(c.gbk, c.multiLine), c.shown);
    for (int byte = 0; byte <= static_cast<int>(c.gbk.size()); ++byte) {
      EXPECT_EQ(ui::ShownPosOfByte(c.gbk, byte, c.multiLine),
                c.positions[static_cast<std::size_t>(byte)])
          << "byte " << byte;
    }
    for (int pos = 0; pos <= c.shown.size(); ++pos) {
      const int byte = ui::ByteOfShownPos(c.gbk, pos, c.multiLine);
      EXPECT_EQ(ui::ShownPosOfByte(c.gbk, byte, c.multiLine), pos) << "position " << pos;
    }
  }
}

// On a Traditional-Chinese system the controls' texts are Big5 both ways; what Big5 lacks
// is refused.
TEST(QtText, ATraditionalChineseSystemsTextsAreBig5) {
  const std::string taiwan = "\xBB\x4F\xC6\x57";  // 臺灣 in Big5 (other characters in GBK)
  {
    tavro_test::ScopedEnv locale("LC_ALL", "zh_TW.UTF-8");
    EXPECT_EQ(ui::ToQt(taiwan), QString::fromUtf8("臺灣"));
    EXPECT_EQ(ui::ShownText("a" + taiwan, false), QString::fromUtf8("a臺灣"));
    EXPECT_EQ(ui::FromQt(QString::fromUtf8("臺灣 A1")), taiwan + " A1");
    EXPECT_EQ(ui::FromQt(QString::fromUtf8("我们")), std::nullopt) << "们 is no Big5 character";
  }
  tavro_test::ScopedEnv locale("LC_ALL", "zh_CN.UTF-8");
  EXPECT_EQ(ui::ToQt(Gbk("台湾")), QString::fromUtf8("台湾"));
  EXPECT_EQ(ui::FromQt(QString::fromUtf8("我们")), Gbk("我们"));
}

TEST(QtText, FileFiltersBecomeQtsNameFilters) {
  struct Case {
    std::string filter;
    QStringList filters;
  };
  const Case cases[] = {
      {"Text files (*.txt)|*.txt|All files (*.*)|*.*", {"Text files (*.txt)", "All files (*)"}},
      {Gbk("文本文件|*.txt;*.csv"), {QString::fromUtf8("文本文件 (*.txt *.csv)")}},
      {"CSV|*.csv|Orphan description", {"CSV (*.csv)"}},
      {"Empty pattern||Text|*.txt", {"Text (*.txt)"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::NameFilters(c.filter), c.filters) << c.filter;
  }
}

}  // namespace
