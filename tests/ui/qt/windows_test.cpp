// The windows as the window system and the operator see them: title bars, a form larger
// than the screen, frames at any scale and readable text.
#include <gtest/gtest.h>

#include <QtWidgets>
#include <cmath>
#include <cstdlib>

#include "QtFormTest.h"
#include "tests/ui/SampleForm.h"
#include "ui/Input.h"
#include "ui/ListCtrls.h"

namespace {

using WindowsTest = qt_test::QtPlatformTest;

// The buttons of the window's title bar; without CustomizeWindowHint the window system
// puts every one there.
std::string ButtonsOf(const QWidget& window) {
  const Qt::WindowFlags flags = window.windowFlags();
  const bool all = !flags.testFlag(Qt::CustomizeWindowHint);
  return std::string(all || flags.testFlag(Qt::WindowMinimizeButtonHint) ? "min " : "") +
         (all || flags.testFlag(Qt::WindowMaximizeButtonHint) ? "max " : "") +
         (all || flags.testFlag(Qt::WindowCloseButtonHint) ? "close" : "");
}

// A modal window minimised would leave its caller waiting behind nothing: no window
// offers it; only a sizeable form may be maximised; every form keeps its close box.
TEST_F(WindowsTest, TitleBarsOfferNoMinimiseAndMaximiseOnlyForASizeableForm) {
  for (const ui::TFormBorderStyle style : {ui::bsDialog, ui::bsSizeable}) {
    ui_test::TSampleFrm form;
    form.SetBorderStyle(style);
    std::string shown;
    Drive(form, [&](ui::FormWindow& w) { shown = ButtonsOf(w); });
    EXPECT_EQ(shown, style == ui::bsSizeable ? "max close" : "close");
  }
  std::string box = "?";
  Desktop().SetOnBox([&](QDialog& dialog) {
    box = ButtonsOf(dialog);
    dialog.accept();
  });
  ui::ShowMessage("x");
  Desktop().SetOnBox(nullptr);
  EXPECT_TRUE(box == "close" || box.empty()) << box;
}

// A form larger than the screen is shown in a window that fits it, scrolling to the control
// the focus goes to; the square between the scroll bars is the window's, not the form's.
TEST_F(WindowsTest, AFormLargerThanTheScreenScrollsToWhereTheFocusIs) {
  const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
  ui::TForm form(nullptr, "BigFrm");
  form.SetBounds(0, 0, room.width() + 300, room.height() + 200);
  auto* field = ui::Create<ui::TEdit>(&form, &form, "FieldEdt");
  field->SetBounds(0, 0, form.Width(), form.Height());
  field->SetColor(0x0000FF);  // red, wherever the form shows
  auto* name = ui::Create<ui::TEdit>(&form, &form, "NameEdt");
  name->SetBounds(12, 12, 200, 24);
  auto* save = ui::Create<ui::TButton>(&form, &form, "SaveBtn");
  save->SetBounds(form.Width() - 92, form.Height() - 40, 80, 28);
  form.FocusControl(name);
  Drive(form, [&](ui::FormWindow& w) {
    EXPECT_LE(w.frameGeometry().width(), room.width());
    EXPECT_LE(w.frameGeometry().height(), room.height());
    const QImage shot = w.grab().toImage();
    const double ratio = shot.devicePixelRatio();
    const int thick = w.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &w);
    const QPoint corner(w.width() - thick / 2, w.height() - thick / 2);
    const QColor seen = shot.pixelColor((QPointF(corner) * ratio).toPoint());
    EXPECT_EQ(seen, w.palette().color(QPalette::Window)) << seen.name().toStdString();
    EXPECT_EQ(shot.pixelColor((QPointF(w.width(), w.height()) * ratio / 2).toPoint()),
              QColor(Qt::red))
        << "the form is seen elsewhere";
    for (ui::TWinControl* control : std::vector<ui::TWinControl*>{name, save}) {
      if (control == save) {
        ui::FocusByOperator(*save);
        w.SyncChanges();
      }
      QWidget& view = qt_test::WidgetOf(w, *control);
      const QRect at(view.mapTo(&w, QPoint(0, 0)), view.size());
      EXPECT_TRUE(w.rect().contains(at)) << control->Name << " lies at " << at.x() << "," << at.y();
    }
  });
  EXPECT_EQ(form.Width(), room.width() + 300) << "the window shows part of the form at a time";
}

// Whether a line of the frame shows: ink on every screen pixel of the edge's middle half,
// within two screen pixels of where the edge lies.
bool EdgeInked(const QImage& shot, QPointF from, QPointF to, bool vertical) {
  const auto inked = [&](QPoint at) {
    return shot.rect().contains(at) && shot.pixelColor(at).lightness() < 215;
  };
  const double length = vertical ? to.y() - from.y() : to.x() - from.x();
  for (double along = length / 4; along < length * 3 / 4; along += 1) {
    bool hit = false;
    for (int across = -2; across <= 1; ++across) {
      const QPointF at = vertical ? QPointF(from.x() + across, from.y() + along)
                                  : QPointF(from.x() + along, from.y() + across);
      hit = hit || inked(at.toPoint());
    }
    if (!hit) {
      return false;
    }
  }
  return true;
}

// A list box, a tree and a memo keep all four edges of their frames at the scale factor
// the test runs at (also 1.25, 1.5 and 2), at odd positions and sizes.
TEST_F(WindowsTest, FramedViewsShowAllFourEdges) {
  ui::TForm form(nullptr, "FramesFrm");
  form.SetBounds(0, 0, 370, 190);  // within the screen at scale 2: no scroll bars
  std::vector<ui::TControl*> views;
  for (int i = 0; i < 3; ++i) {
    views.push_back(ui::Create<ui::TListBox>(&form, &form, "List" + std::to_string(i)));
    views.push_back(ui::Create<ui::TTreeView>(&form, &form, "Tree" + std::to_string(i)));
    views.push_back(ui::Create<ui::TMemo>(&form, &form, "Memo" + std::to_string(i)));
  }
  for (std::size_t n = 0; n < views.size(); ++n) {
    const int i = static_cast<int>(n);
    views[n]->SetBounds(11 + 120 * (i % 3) + i / 3, 13 + 55 * (i / 3) + i % 3, 91 + i, 41 + i / 2);
  }
  Drive(form, [&](ui::FormWindow& w) {
    const QImage shot = w.grab().toImage();
    const double ratio = shot.devicePixelRatio();
    for (ui::TControl* view : views) {
      const QWidget& shown = qt_test::WidgetOf(w, *view);
      const QRectF seen(QPointF(shown.mapTo(&w, QPoint(0, 0))) * ratio,
                        QSizeF(shown.size()) * ratio);
      const QPointF inTopLeft = seen.topLeft() + QPointF(0.5, 0.5);
      const QPointF inBottomRight = seen.bottomRight() - QPointF(0.5, 0.5);
      const QPointF topRight(inBottomRight.x(), inTopLeft.y());
      const QPointF bottomLeft(inTopLeft.x(), inBottomRight.y());
      const struct {
        QPointF from, to;
        bool vertical;
        const char* edge;
      } edges[] = {{inTopLeft, bottomLeft, true, "left"},
                   {inTopLeft, topRight, false, "top"},
                   {topRight, inBottomRight, true, "right"},
                   {bottomLeft, inBottomRight, false, "bottom"}};
      for (const auto& e : edges) {
        EXPECT_TRUE(EdgeInked(shot, e.from, e.to, e.vertical))
            << view->Name << " at " << ratio << " " << e.edge;
      }
    }
    if (const char* folder = std::getenv("TAVRO_UI_SHOT_DIR")) {
      shot.save(QString::fromUtf8(folder) + "/frames-" + QString::number(ratio) + ".png");
    }
  });
}

double Luminance(const QColor& c) {
  double sum = 0;
  for (const auto& [channel, weight] :
       {std::pair{c.redF(), 0.2126}, std::pair{c.greenF(), 0.7152}, std::pair{c.blueF(), 0.0722}}) {
    sum +=
        weight * (channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4));
  }
  return sum;
}

// A font's colour is its text's (a system colour the style's again). A disabled field (an
// edit, a combo box) shows its text in an enabled field's colour; a disabled caption or
// button keeps 4.5:1 against its background.
TEST_F(WindowsTest, TextColoursFollowTheFontAndDisabledTextStaysReadable) {
  ui_test::TSampleFrm form;
  ui::TFont blue = form.ActiveCkb->Font();
  blue.Color = ui::clBlue;
  form.CityEdt->SetFont(blue);
  const struct {
    ui::TControl* control;
    QPalette::ColorRole text, background;
    bool field;
  } cases[] = {
      {form.NameEdt, QPalette::Text, QPalette::Base, true},
      {form.StatusCmb, QPalette::ButtonText, QPalette::Button, true},
      {form.ActiveCkb, QPalette::WindowText, QPalette::Window, false},
      {form.UpdateBtn, QPalette::ButtonText, QPalette::Button, false},
  };
  for (const auto& c : cases) {
    c.control->SetEnabled(false);
  }
  form.ActiveCkb->SetFont(blue);
  Drive(form, [&](ui::FormWindow& w) {
    QWidget& box = qt_test::WidgetOf(w, *form.ActiveCkb);
    EXPECT_EQ(qt_test::WidgetOf(w, *form.CityEdt).palette().color(QPalette::Active, QPalette::Text),
              QColor(Qt::blue));
    EXPECT_EQ(box.palette().color(QPalette::Active, QPalette::WindowText), QColor(Qt::blue));
    blue.Color = ui::clWindowText;
    form.ActiveCkb->SetFont(blue);
    w.SyncChanges();
    EXPECT_EQ(box.palette().color(QPalette::Active, QPalette::WindowText),
              QApplication::palette(&box).color(QPalette::Active, QPalette::WindowText));
    for (const auto& c : cases) {
      const QPalette palette = qt_test::WidgetOf(w, *c.control).palette();
      const QColor text = palette.color(QPalette::Disabled, c.text);
      const double a = Luminance(text);
      const double b = Luminance(palette.color(QPalette::Disabled, c.background));
      EXPECT_GE((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05), 4.5) << c.control->Name;
      if (c.field) {
        EXPECT_EQ(text, palette.color(QPalette::Active, c.text)) << c.control->Name;
      }
    }
  });
}

}  // namespace
