// What the Qt platform's tests share: a Qt platform installed for each test (the
// operator drives it), running a form while the test acts on its window with real Qt
// events, and the same form played headless by a script, to compare the two.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/headless/HeadlessPlatform.h"
#include "ui/qt/FormWindow.h"
#include "ui/qt/QtDesktop.h"

namespace qt_test {

// The Qt platform installed, the previous platform put back afterwards.
class QtPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  ui::QtDesktop& Desktop() { return *desktop_; }

  // Shows form modally and runs act on its window once the window's loop runs. A form
  // act leaves open is then closed (its close query not asked), so a failing test never
  // hangs. Returns the modal result.
  int Drive(ui::TForm& form, const std::function<void(ui::FormWindow&)>& act);

  // Plays script on form headless (a fresh headless platform for the call) and returns
  // the transcript; the Qt platform is put back afterwards.
  static std::vector<std::string> PlayHeadless(ui::TForm& form, const std::string& script);

 private:
  ui::QtDesktop* desktop_ = nullptr;
  std::unique_ptr<ui::Platform> previous_;
};

// The widget of control in window; fails the test when there is none.
QWidget& WidgetOf(ui::FormWindow& window, const ui::TControl& control);
// The widget keys reach: the window's focus widget.
QWidget& Focused(ui::FormWindow& window);

}  // namespace qt_test
