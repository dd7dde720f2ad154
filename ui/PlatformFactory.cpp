// The platform choice of the module and the platforms it has loaded as plugins from
// beside the control model's library.
#include "ui/PlatformFactory.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "sys/Loader.h"
#include "ui/PlatformPlugin.h"

namespace ui {
namespace {

// A platform kind's plugin, as far as it was found.
struct Registered {
  PlatformMaker Make = nullptr;
  DisplayProbe Probe = nullptr;
  bool Looked = false;   // the plugin was looked for (once per process)
  std::string Why;       // the loader's message when it could not be loaded
  bool Present = false;  // the plugin's file is there, whether or not it loaded
};

// The platforms of this process by kind; lives in the control model's one library, so
// the module and its plugins see the same registry. Never destroyed: a platform made
// from it may outlive the exit handlers.
struct Registry {
  std::mutex Lock;
  std::map<std::string, Registered> Kinds;
};

Registry& TheRegistry() {
  static auto* registry = new Registry();
  return *registry;
}

bool Set(const char* value) {
  return value != nullptr && *value != 0;
}

// The desktop platform of this build: Qt, a plugin, on Linux; Win32, linked into the
// module, on Windows. On Windows a script plays on the desktop (its windows show what
// is played); on Linux it plays headless unless the desktop is asked for.
#ifdef _WIN32
constexpr char kDesktopKind[] = "win32";
constexpr bool kScriptsOnDesktop = true;
#else
constexpr char kDesktopKind[] = "qt";
constexpr bool kScriptsOnDesktop = false;
#endif

bool KnownKind(const std::string& kind) {
  return kind == "headless" || kind == kDesktopKind;
}

// The desktop platform as the notices name it.
std::string DesktopName() {
#ifdef _WIN32
  return "the Win32 platform";
#else
  return "the Qt platform (" + PlatformPluginFile("qt") + ")";
#endif
}

// Looks for the plugin of kind beside the control model's library, once.
void LoadPlugin(const std::string& kind, Registered& entry) {
  entry.Looked = true;
  const std::string path = sys::ModuleFolder() + "/" + PlatformPluginFile(kind);
  entry.Present = ::access(path.c_str(), F_OK) == 0;
  if (const PlatformPlugin* plugin = LoadPlatformPlugin(path, entry.Why)) {
    entry.Make = plugin->Make;
    entry.Probe = plugin->Probe;
  }
}

// The platform of kind, loading its plugin on first need. Make is null when it cannot
// be had; why then says why.
Registered Lookup(const std::string& kind) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.Lock);
  Registered& entry = registry.Kinds[kind];
  if (!entry.Looked) {
    LoadPlugin(kind, entry);
  }
  return entry;
}

}  // namespace

const PlatformPlugin* LoadPlatformPlugin(const std::string& path, std::string& why) {
  sys::LibraryHandle library = sys::LoadLibrary(path, &why);
  if (library == nullptr) {
    return nullptr;
  }
  auto entryPoint =
      reinterpret_cast<PlatformPluginEntry>(sys::GetProcAddress(library, kPlatformPluginEntry));
  const PlatformPlugin* plugin = entryPoint != nullptr ? entryPoint() : nullptr;
  if (plugin == nullptr || plugin->Make == nullptr) {
    why = path + " exports no " + kPlatformPluginEntry;
  } else if (plugin->Version != kPlatformPluginVersion) {
    why = path + " was built for another version of the control model";
  } else {
    return plugin;
  }
  sys::FreeLibrary(library);
  return nullptr;
}

void LinkPlatformPlugin(const std::string& kind, const PlatformPlugin& plugin) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.Lock);
  Registered& entry = registry.Kinds[kind];
  entry.Looked = true;
  entry.Present = true;
  entry.Make = plugin.Make;
  entry.Probe = plugin.Probe;
  entry.Why.clear();
}

std::string PlatformPluginFile(const std::string& kind) {
  std::string name = kind;
  if (!name.empty()) {
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  }
  return "libTavroUi" + name + ".so";
}

PlatformChoice ChoosePlatform(const char* ui, const char* script, bool desktopBuilt,
                              DisplayProbe display) {
  PlatformChoice choice;
  std::string why;
  const std::string desktop = kDesktopKind;
  if (Set(ui)) {
    const std::string kind = ui;
    if (!KnownKind(kind)) {
      choice.Error =
          "unknown user interface: " + kind + " (TAVRO_UI takes " + desktop + " or headless)";
    } else if (kind == desktop && !desktopBuilt) {
      choice.Error = "TAVRO_UI=" + desktop + ", but " + DesktopName() +
                     " cannot be loaded from beside this module";
    } else if (kind == desktop && display != nullptr && !display(why)) {
      choice.Error = "TAVRO_UI=" + desktop + ", but no display can be reached: " + why;
    } else {
      choice.Kind = kind;
    }
    return choice;
  }
  choice.Kind = "headless";
  if (Set(script) && !kScriptsOnDesktop) {
    return choice;  // a script is played headless unless the desktop is asked for
  }
  if (!desktopBuilt) {
    choice.Notice = "ManageEdit: the dialogs run headless, since " + DesktopName() +
                    " cannot be loaded from beside this module";
  } else if (display == nullptr || !display(why)) {
    choice.Notice = "ManageEdit: the dialogs run headless, since no display can be reached (" +
                    why + "); TAVRO_UI=headless chooses this without the notice";
  } else {
    choice.Kind = desktop;
  }
  return choice;
}

PlatformChoice ChoosePlatformFromEnvironment() {
  const char* ui = std::getenv("TAVRO_UI");
  const char* script = std::getenv("TAVRO_UI_SCRIPT");
  // The desktop's plugin (and with it Qt) is loaded only when the answer depends on it.
  const bool asksDesktop =
      Set(ui) ? std::string(ui) == kDesktopKind : (!Set(script) || kScriptsOnDesktop);
  if (!asksDesktop) {
    return ChoosePlatform(ui, script, false, nullptr);
  }
  const Registered desktop = Lookup(kDesktopKind);
  PlatformChoice choice = ChoosePlatform(ui, script, desktop.Make != nullptr, desktop.Probe);
  // A plugin that is there but does not load says why (a Qt library missing on the host).
  if (desktop.Make == nullptr && desktop.Present) {
    (choice.Error.empty() ? choice.Notice : choice.Error) += ": " + desktop.Why;
  }
  return choice;
}

std::unique_ptr<Platform> CreatePlatform(const std::string& kind) {
  if (!KnownKind(kind)) {
    return nullptr;
  }
  const Registered platform = Lookup(kind);
  if (platform.Make == nullptr) {
    std::fprintf(stderr, "ManageEdit: the %s platform cannot be loaded: %s\n", kind.c_str(),
                 platform.Why.c_str());
    return nullptr;
  }
  return platform.Make();
}

}  // namespace ui
