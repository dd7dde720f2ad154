// The Qt tests run inside a Qt program, as a host that is one calls the module: the
// application exists before any platform is made. The offscreen plugin stands in for a screen.
#include "QtFormTest.h"

#include <QApplication>
#include <QMouseEvent>
#include <cstdlib>

namespace qt_test {

void QtPlatformTest::SetUp() {
  auto desktop = std::make_unique<ui::QtDesktop>(nullptr);
  desktop_ = desktop.get();
  previous_ = ui::InstallPlatform(std::move(desktop));
}

void QtPlatformTest::TearDown() {
  ui::InstallPlatform(std::move(previous_));
}

int QtPlatformTest::Drive(ui::TForm& form, const std::function<void(ui::FormWindow&)>& act) {
  desktop_->SetOnShown([&](ui::FormWindow& window) {
    if (&window.Form() != &form) {
      return;
    }
    act(window);
    if (!window.Closed()) {
      form.OnCloseQuery = nullptr;
      form.SetModalResult(ui::mrCancel);
      window.CheckClose();
    }
  });
  const int result = form.ShowModal();
  desktop_->SetOnShown(nullptr);
  return result;
}

std::vector<std::string> QtPlatformTest::PlayHeadless(ui::TForm& form, const std::string& script) {
  auto headless = std::make_unique<ui::HeadlessPlatform>();
  ui::HeadlessPlatform* played = headless.get();
  auto qt = ui::InstallPlatform(std::move(headless));
  played->RunScript(script);
  form.ShowModal();
  played->EntryCallEnded();
  std::vector<std::string> transcript = played->Transcript();
  ui::InstallPlatform(std::move(qt));
  return transcript;
}

QWidget& WidgetOf(ui::FormWindow& window, const ui::TControl& control) {
  QWidget* widget = window.WidgetOf(control);
  if (widget == nullptr) {
    ADD_FAILURE() << "no widget for " << control.Name;
    return window;
  }
  return *widget;
}

void DragTo(QWidget* widget, const QPoint& pos) {
  QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

}  // namespace qt_test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
