// The Qt 6 desktop platform: every dialog of the module in a window a person uses with
// keyboard and mouse. This is its one public header, free of Qt, so that the control
// model and the module never see Qt; the plugin libTavroUiQt.so hands it to
// ui/PlatformFactory.h (ui/qt/QtPlugin.cpp).
//
// The platform takes its settings from the environment as the headless one does: with
// TAVRO_UI_SCRIPT it plays that operator script through the model with the windows on
// screen and writes the same transcript (plus the `shot FILE` action); without one, the
// operator drives the windows. With a script and TAVRO_UI_SHOT_DIR naming a folder, a
// PNG of every form (as it opens and as it closes) and of every box goes there. It uses the calling
// program's QApplication when there is one and makes its own otherwise.
#pragma once

#include <memory>
#include <string>

#include "ui/Platform.h"

namespace ui {

// The platform as the environment configures it. Throws std::runtime_error when no
// display can be reached or the calling program's Qt application has no widgets.
std::unique_ptr<Platform> CreateQtPlatform();

// Whether Qt can open windows in this process now: the calling program's QApplication,
// a QT_QPA_PLATFORM that needs no display server (offscreen, ...), or a connectable
// X display or Wayland socket. Otherwise false, and why says what is missing.
bool QtDisplayReachable(std::string& why);

}  // namespace ui
