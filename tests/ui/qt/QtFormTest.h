// The Qt platform installed for each test, a form run while the test acts on its window,
// and the form's twin played headless by a script.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/headless/HeadlessPlatform.h"
#include "ui/qt/FormWindow.h"
#include "ui/qt/QtDesktop.h"

namespace qt_test {

class QtPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  ui::QtDesktop& Desktop() { return *desktop_; }

  // Shows form modally and runs act on its window; a form act leaves open is closed
  // without its close query. Returns the modal result.
  int Drive(ui::TForm& form, const std::function<void(ui::FormWindow&)>& act);

  // Plays script on form on a fresh headless platform; the Qt platform is put back.
  static std::vector<std::string> PlayHeadless(ui::TForm& form, const std::string& script);

 private:
  ui::QtDesktop* desktop_ = nullptr;
  std::unique_ptr<ui::Platform> previous_;
};

// The widget of control in window; fails the test when there is none.
QWidget& WidgetOf(ui::FormWindow& window, const ui::TControl& control);
inline QWidget& Focused(ui::FormWindow& window) {
  return window.focusWidget() != nullptr ? *window.focusWidget() : window;
}
inline QAbstractItemView& ViewOf(ui::FormWindow& window, const ui::TControl& control) {
  return static_cast<QAbstractItemView&>(WidgetOf(window, control));
}
inline QPoint RowCenter(QAbstractItemView& view, int row, int column = 0,
                        const QModelIndex& parent = {}) {
  return view.visualRect(view.model()->index(row, column, parent)).center();
}
// The mouse moved with the left button held, as the window system reports it.
void DragTo(QWidget* widget, const QPoint& pos);

}  // namespace qt_test
