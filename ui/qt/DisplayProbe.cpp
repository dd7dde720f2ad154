// The display probe: an X connection made and dropped with xcb (so that a display that
// refuses us for want of authorisation counts as unreachable), a Wayland socket
// connected and closed.
#include "ui/qt/DisplayProbe.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

namespace ui {
namespace {

std::vector<std::string> PluginNames(const std::string& list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) {
      end = list.size();
    }
    std::string entry = list.substr(start, end - start);
    entry = entry.substr(0, entry.find(':'));  // "xcb:option=..." names xcb
    if (!entry.empty()) {
      names.push_back(entry);
    }
    start = end + 1;
  }
  return names;
}

bool XDisplayAccepts(const std::string& display, std::string& why, std::shared_ptr<void>& held) {
  if (display.empty()) {
    why = "DISPLAY is not set";
    return false;
  }
  std::shared_ptr<xcb_connection_t> connection(xcb_connect(display.c_str(), nullptr),
                                               [](xcb_connection_t* c) {
                                                 if (c != nullptr) {
                                                   xcb_disconnect(c);
                                                 }
                                               });
  const bool ok = connection != nullptr && xcb_connection_has_error(connection.get()) == 0;
  if (!ok) {
    why = "the X display " + display + " does not accept a connection";
    return false;
  }
  held = std::move(connection);
  return true;
}

bool WaylandAccepts(const DisplaySettings& settings, std::string& why) {
  if (settings.WaylandDisplay.empty()) {
    why = "WAYLAND_DISPLAY is not set";
    return false;
  }
  const bool pluginThere =
      std::filesystem::exists(settings.PluginDir + "/platforms/libqwayland-generic.so");
  if (!pluginThere) {
    why = "Qt's Wayland plugin is not installed";
    return false;
  }
  std::string path = settings.WaylandDisplay;
  if (path.front() != '/') {
    path = settings.RuntimeDir + "/" + path;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    why = "the Wayland socket's name is too long";
    return false;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool ok =
      fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) {
    ::close(fd);
  }
  if (!ok) {
    why = "the Wayland compositor at " + path + " does not accept a connection";
  }
  return ok;
}

bool IsDisplayServerPlugin(std::string_view name) {
  return name == "xcb" || name.rfind("wayland", 0) == 0;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

DisplayAnswer ProbeDisplay(const DisplaySettings& settings) {
  DisplayAnswer answer;
  const std::vector<std::string> named = PluginNames(settings.QpaPlatform);
  if (!named.empty()) {
    // Qt tries the plugins of the list in order; the first that can start is used.
    std::string reasons;
    for (const std::string& plugin : named) {
      std::string why;
      bool ok = !IsDisplayServerPlugin(plugin) ||
                (plugin == "xcb" ? XDisplayAccepts(settings.Display, why, answer.Connection)
                                 : WaylandAccepts(settings, why));
      if (ok) {
        answer.Reachable = true;
        return answer;  // Qt reads QT_QPA_PLATFORM itself
      }
      reasons.append(reasons.empty() ? "" : "; ").append("QT_QPA_PLATFORM ").append(plugin);
      reasons.append(": ").append(why);
    }
    answer.Why = reasons;
    return answer;
  }
  std::string xWhy;
  std::string waylandWhy;
  if (XDisplayAccepts(settings.Display, xWhy, answer.Connection)) {
    answer.Reachable = true;
    answer.Platform = "xcb";
  } else if (WaylandAccepts(settings, waylandWhy)) {
    answer.Reachable = true;
    answer.Platform = "wayland";
  } else {
    answer.Why = xWhy + ", and " + waylandWhy;
  }
  return answer;
}

DisplaySettings DisplaySettingsFromEnvironment(const std::string& plugins) {
  DisplaySettings settings;
  settings.QpaPlatform = Env("QT_QPA_PLATFORM");
  settings.Display = Env("DISPLAY");
  settings.WaylandDisplay = Env("WAYLAND_DISPLAY");
  settings.RuntimeDir = Env("XDG_RUNTIME_DIR");
  settings.PluginDir = plugins;
  return settings;
}

}  // namespace ui
