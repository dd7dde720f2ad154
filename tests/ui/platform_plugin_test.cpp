// Platform plugins: the file a platform kind is looked for in, and loading one. The
// headless plugin beside the control model's library hands back a platform for the
// model's own version; a missing file or a library that is no plugin is refused with
// the reason. (That the plugin's platform drives this process's one model is shown by
// EnvironmentTest, whose platform comes from the plugin.)
#include <gtest/gtest.h>

#include <string>

#include "sys/Loader.h"
#include "ui/PlatformPlugin.h"

namespace {

TEST(PlatformPlugin, FileNamesFollowTheKind) {
  EXPECT_EQ(ui::PlatformPluginFile("headless"), "libTavroUiHeadless.so");
  EXPECT_EQ(ui::PlatformPluginFile("qt"), "libTavroUiQt.so");
}

TEST(PlatformPlugin, TheHeadlessPluginBesideTheModelMakesAPlatform) {
  std::string why;
  const ui::PlatformPlugin* plugin =
      ui::LoadPlatformPlugin(sys::ModuleFolder() + "/libTavroUiHeadless.so", why);
  ASSERT_NE(plugin, nullptr) << why;
  EXPECT_EQ(plugin->Version, ui::kPlatformPluginVersion);
  EXPECT_EQ(plugin->Probe, nullptr);  // headless needs no display
  EXPECT_NE(plugin->Make(), nullptr);
}

TEST(PlatformPlugin, AMissingFileOrALibraryThatIsNoPluginIsRefusedWithTheReason) {
  struct Case {
    std::string path;
    const char* whyPart;
  };
  const Case cases[] = {
      {sys::ModuleFolder() + "/libTavroUiNowhere.so", "libTavroUiNowhere.so"},
      {sys::ModuleFolder() + "/libTavroUi.so", "exports no TavroUiPlatformPlugin"},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_EQ(ui::LoadPlatformPlugin(c.path, why), nullptr) << c.path;
    EXPECT_NE(why.find(c.whyPart), std::string::npos) << why;
  }
}

}  // namespace
