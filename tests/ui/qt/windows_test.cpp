// The windows as the window system and the operator see them: title bars without the
// buttons a modal window must not have, a form larger than the screen within reach, and
// the faces the model's fonts are drawn in.
#include <gtest/gtest.h>

#include <QtWidgets>
#include <cstdlib>

#include "QtFormTest.h"
#include "sys/CodePage.h"
#include "tests/ui/SampleForm.h"
#include "ui/Input.h"
#include "ui/ListCtrls.h"
#include "ui/qt/QtFont.h"

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

// A form larger than the screen's room (a fixed dialog at a large scale factor) is shown
// in a window that fits the screen, its client area scrolling to the control the focus
// goes to. The square between the scroll bars is the window's background, not the form.
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

// Whether a line of the frame shows: ink darker than the window and the field on every
// screen pixel of the middle half of the edge, within two screen pixels of where the
// edge lies.
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
// the test runs at (the suite runs this at 1.25, 1.5 and 2 as well): at odd positions
// and sizes some edge of each falls inside a screen pixel.
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

ui::TFont Font(const char* utf8Name, int size) {
  ui::TFont font;
  font.Name = sys::Utf8ToGbk(utf8Name);
  font.Size = size;
  return font;
}

// The families that draw each run of text in font, as Qt lays it out.
std::vector<std::string> FacesDrawing(const ui::TFont& font, const QString& text) {
  QTextLayout layout(text, ui::QtFontOf(font));
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  std::vector<std::string> faces;
  for (const QGlyphRun& run : layout.glyphRuns()) {
    faces.push_back(run.rawFont().familyName().toStdString());
  }
  return faces;
}

// 宋体 draws Latin letters without serifs and keeps Song strokes for Chinese; a
// fixed-pitch face draws both in one monospaced face.
TEST_F(WindowsTest, SongDrawsLatinSansAndChineseSongAndFixedPitchIsMonospaced) {
  EXPECT_EQ(FacesDrawing(Font("宋体", 10), "Save"),
            std::vector<std::string>{"DejaVu Sans Condensed"});
  EXPECT_EQ(FacesDrawing(Font("宋体", 10), QString::fromUtf8("保存")),
            std::vector<std::string>{"Noto Serif CJK SC"});
  for (const char* text : {"SWIFT 35", "中国银行"}) {
    EXPECT_EQ(FacesDrawing(Font("Courier New", 9), QString::fromUtf8(text)),
              std::vector<std::string>{"Noto Sans Mono CJK SC"})
        << text;
  }
  const QFontMetrics fixed(ui::QtFontOf(Font("Courier New", 9)));
  EXPECT_EQ(fixed.horizontalAdvance("iiiiiiii"), fixed.horizontalAdvance("WWWWWWWW"));
  EXPECT_EQ(fixed.horizontalAdvance(QString::fromUtf8("中国银行")),
            fixed.horizontalAdvance("WWWWWWWW"));
}

}  // namespace
