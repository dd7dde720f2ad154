// The contract between the platform choice (ui/PlatformFactory) and a platform plugin:
// a shared library beside the module, named libTavroUi<Name>.so, that exports one C
// function, TavroUiPlatformPlugin, handing back how to make its platform and how to
// probe its display. The plugin links the control model's shared library, so the model's
// state (the platform in use) is the module's own.
#pragma once

#include <cstdint>
#include <string>

#include "ui/PlatformFactory.h"

namespace ui {

// Raised whenever Platform or this record changes shape, so that a plugin built against
// another model is refused instead of called.
inline constexpr std::uint32_t kPlatformPluginVersion = 1;

struct PlatformPlugin {
  std::uint32_t Version = kPlatformPluginVersion;
  PlatformMaker Make = nullptr;
  DisplayProbe Probe = nullptr;  // null: the platform needs no display
};

// The name of the one function a plugin exports, and its shape.
inline constexpr char kPlatformPluginEntry[] = "TavroUiPlatformPlugin";
using PlatformPluginEntry = const PlatformPlugin* (*)();

// The plugin's file name for a platform kind: "headless" -> "libTavroUiHeadless.so".
std::string PlatformPluginFile(const std::string& kind);

// Loads the plugin at path and hands back its record, or null with why set (the loader's
// message, no entry point, another version). A loaded plugin is never unloaded: its
// platform and its toolkit's objects outlive any point where that would be safe.
const PlatformPlugin* LoadPlatformPlugin(const std::string& path, std::string& why);

// Records a platform linked into this binary (the Windows module links its platforms
// statically, as no plugin file may stand beside it): the choice takes it as if its
// plugin had been loaded, and looks for no file of that kind.
void LinkPlatformPlugin(const std::string& kind, const PlatformPlugin& plugin);

}  // namespace ui
