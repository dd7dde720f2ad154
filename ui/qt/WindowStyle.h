// Proxy styles shared by the controls of one window. A window owns each such style as a
// child object, so the style lives as long as the window and goes with it. The styles
// carry no Q_OBJECT, so findChild by class cannot tell one proxy style from another:
// each is found by its object name.
#pragma once

#include <QProxyStyle>
#include <QString>
#include <QStyle>
#include <QWidget>

namespace ui {

// The window's style named name, made as a Style on first use.
template <class Style>
QStyle* WindowStyle(QWidget& inWindow, const QString& name) {
  QWidget* window = inWindow.window();
  auto* style = window->findChild<QProxyStyle*>(name, Qt::FindDirectChildrenOnly);
  if (style == nullptr) {
    style = new Style;
    style->setObjectName(name);
    style->setParent(window);
  }
  return style;
}

}  // namespace ui
