// Making the Qt platform: the application object (the host's, or one made here for the
// plugin the display probe found), and the platform configured by the environment.
#include "ui/qt/QtPlatform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "ui/qt/DisplayProbe.h"
#include "ui/qt/QtBoxes.h"
#include "ui/qt/QtDesktop.h"
#include "ui/script/ScriptRunner.h"

namespace ui {
namespace {

// Qt's messages in a process that is no Qt program: what a person should see goes to
// standard error marked as Qt's; debug chatter and two notices about the environment,
// harmless for the module (an offscreen screen cannot size windows by hints; no per-user
// runtime folder), are left out, as they would stand before the shell's own output.
void QtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg ||
      message.startsWith(QStringLiteral("This plugin does not support propagateSizeHints")) ||
      message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
    return;
  }
  std::fprintf(stderr, "ManageEdit (Qt): %s\n", message.toLocal8Bit().constData());
}

// A QApplication made for the module, with the arguments it keeps pointing at.
class OwnApplication {
 public:
  explicit OwnApplication(const std::string& plugin) {
    qInstallMessageHandler(&QtMessage);
    args_ = {"ManageEdit"};
    if (!plugin.empty()) {
      args_.push_back("-platform");
      args_.push_back(plugin);
    }
    for (std::string& arg : args_) {
      argv_.push_back(arg.data());
    }
    argv_.push_back(nullptr);
    argc_ = static_cast<int>(args_.size());
    // Qt's own texts follow the module's language (QtDesktop::SetLanguage), not the
    // desktop's.
    app_ = std::make_unique<QApplication>(argc_, argv_.data());
  }

 private:
  std::vector<std::string> args_;
  std::vector<char*> argv_;
  int argc_ = 0;
  std::unique_ptr<QApplication> app_;
};

// The X connection of the last probe, held until the module's QApplication has its own
// connection, so that the X server never sees its last client leave in between (see
// DisplayAnswer::Connection). One per process, as the application is.
std::shared_ptr<void>& HeldDisplay() {
  static std::shared_ptr<void> held;
  return held;
}

// Probes the display; the new connection is held before the previous one is let go.
DisplayAnswer Probe() {
  DisplayAnswer answer = ProbeDisplay(
      DisplaySettingsFromEnvironment(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString()));
  if (answer.Connection) {
    HeldDisplay() = answer.Connection;
  }
  return answer;
}

bool HostHasApplication(std::string& why) {
  if (QCoreApplication::instance() == nullptr) {
    return false;
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    why = "the calling program's Qt application is not a QApplication and cannot show widgets";
  }
  return true;
}

}  // namespace

bool QtDisplayReachable(std::string& why) {
  why.clear();
  if (HostHasApplication(why)) {
    return why.empty();
  }
  const DisplayAnswer answer = Probe();
  why = answer.Why;
  return answer.Reachable;
}

std::unique_ptr<Platform> CreateQtPlatform() {
  std::shared_ptr<void> application;
  std::string why;
  if (HostHasApplication(why)) {
    if (!why.empty()) {
      throw std::runtime_error(why);
    }
  } else {
    const DisplayAnswer answer = Probe();
    if (!answer.Reachable) {
      throw std::runtime_error("the Qt platform cannot reach a display: " + answer.Why);
    }
    const char* named = std::getenv("QT_QPA_PLATFORM");
    application = std::make_shared<OwnApplication>(
        named != nullptr && *named != 0 ? std::string() : answer.Platform);
  }
  std::unique_ptr<ScriptRunner> script;
  if (const char* file = std::getenv("TAVRO_UI_SCRIPT"); file != nullptr && *file != 0) {
    script = ScriptRunner::FromEnvironment();
  }
  const bool scripted = script != nullptr;
  auto desktop = std::make_unique<QtDesktop>(std::move(script), std::move(application));
  if (const char* folder = std::getenv("TAVRO_UI_SHOT_DIR");
      scripted && folder != nullptr && *folder != 0) {
    desktop->SetShotFolder(folder);
  }
  return desktop;
}

}  // namespace ui
