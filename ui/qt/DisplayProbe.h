// Whether Qt could open windows, found out without starting Qt: Qt ends the process when
// its platform plugin cannot reach its display server, so the module asks first and runs
// headless (or reports why) instead.
#pragma once

#include <memory>
#include <string>

namespace ui {

// The settings the answer depends on, from the environment of the same names.
struct DisplaySettings {
  std::string QpaPlatform;  // QT_QPA_PLATFORM: "offscreen", "xcb", "wayland;xcb", ...
  std::string Display;      // DISPLAY
  std::string WaylandDisplay;
  std::string RuntimeDir;  // XDG_RUNTIME_DIR, where a relative WAYLAND_DISPLAY lives
  std::string PluginDir;   // Qt's platform plugins, to see whether Wayland's is installed
};

struct DisplayAnswer {
  bool Reachable = false;
  // The platform plugin to start Qt with when QT_QPA_PLATFORM does not name one.
  std::string Platform;
  std::string Why;  // what is missing when not reachable
  // The probe's X connection, kept open while it is held: an X server with no client
  // left resets itself (Xvfb does), and Qt connecting during that reset would end the
  // process. Hold it until Qt has its own connection.
  std::shared_ptr<void> Connection;
};

// A QT_QPA_PLATFORM naming a plugin that needs no display server (offscreen, minimal,
// vnc, linuxfb, eglfs, ...) is taken as it is; xcb needs an X display that accepts a
// connection (its authorisation included); wayland needs the compositor's socket and
// Qt's Wayland plugin. Unset: an X display, else a Wayland compositor.
DisplayAnswer ProbeDisplay(const DisplaySettings& settings);

// The settings of this process (Qt's plugin folder from plugins).
DisplaySettings DisplaySettingsFromEnvironment(const std::string& plugins);

}  // namespace ui
