// The layout check: places, overlaps, texts against the platform's measure, tab order.
#include "ui/LayoutCheck.h"

#include <algorithm>
#include <cstddef>

#include "sys/CodePage.h"
#include "ui/ScreenFont.h"
#include "ui/VisitKind.h"

namespace ui {
namespace {

// Room a control needs around its text, in pixels (both sides together).
constexpr int kButtonMargin = 8;            // a push button's edges
constexpr int kButtonLines = 4;             // its edges above and below the text
constexpr int kGlyph = 20;                  // a bit button's glyph and the gap after it
constexpr int kCheckMark = 22;              // a check box's or radio button's mark and gap
constexpr int kCaptionIndent = 16;          // a group box's caption from both ends of its frame
constexpr int kDropButton = 24;             // a combo box's arrow and its inner margins
constexpr int kFieldLines = 4;              // an edit's frame above and below its line
constexpr int kColumnMargin = 12;           // a list view's column title or cell within its column
constexpr int kListFrame = 4;               // a list's frame, both sides together
constexpr int kScrollBar = 17;              // a list's vertical scroll bar
constexpr std::size_t kItemsChecked = 500;  // rows measured of a long list
constexpr int kTabMargin = 12;              // a tab around its text
constexpr int kTitleBar = 60;               // the title bar's icon and close box
constexpr int kPanelMargin = 8;             // a panel's caption from its bevel
constexpr int kDefaultWidth = 75;           // the model's bounds before any design
constexpr int kDefaultHeight = 25;

std::string NameOf(const TControl& control) {
  return control.Name.empty() ? std::string(control.ClassName()) : control.Name;
}

std::string Quoted(const std::string& gbk) {
  return "\"" + sys::GbkToUtf8(gbk) + "\"";
}

std::string Rect(const TRect& r) {
  return "(" + std::to_string(r.Left) + "," + std::to_string(r.Top) + ")-(" +
         std::to_string(r.Right) + "," + std::to_string(r.Bottom) + ")";
}

bool Overlap(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool Inside(const TRect& r, const TRect& room) {
  return r.Left >= room.Left && r.Top >= room.Top && r.Right <= room.Right &&
         r.Bottom <= room.Bottom;
}

bool IsTabSheet(const TControl& control) {
  return VisitKind(
      control, [](const TTabSheet&) { return true; }, [](const TComponent&) { return false; });
}

// Takes the focus itself, or holds something that does: a stop of the tab order.
bool InTabOrder(const TControl& control) {
  const auto* w = dynamic_cast<const TWinControl*>(&control);
  if (w == nullptr || !w->Visible()) {
    return false;
  }
  if (w->AcceptsFocus()) {
    return w->TabStop();
  }
  return std::any_of(w->Controls().begin(), w->Controls().end(),
                     [](const TControl* c) { return InTabOrder(*c); });
}

// The texts of each kind against the room its control gives them (the Visits).
class Checker : private ConstControlVisitor {
 public:
  explicit Checker(Platform& platform) : platform_(platform) {}

  std::vector<std::string> Check(const TForm& form) {
    if (form.Width() == kDefaultWidth && form.Height() == kDefaultHeight) {
      Add(form, "the form keeps the default size: it has no designed geometry");
    }
    const TextSize title = Measure(form, form.Caption());
    if (title.Width + kTitleBar > form.Width()) {
      Add(form, "title " + Quoted(form.Caption()) + " needs " +
                    std::to_string(title.Width + kTitleBar) + " pixels, the form is " +
                    std::to_string(form.Width()));
    }
    Container(form);
    return std::move(problems_);
  }

 private:
  void Add(const TControl& control, const std::string& what) {
    problems_.push_back(NameOf(control) + ": " + what);
  }

  TextSize Measure(const TControl& control, const std::string& text) {
    return platform_.TextExtent(control.Font(), text);
  }

  int LineOf(const TControl& control) { return Measure(control, std::string()).Height; }

  void Container(const TWinControl& parent) {
    std::vector<const TControl*> shown;
    for (const TControl* c : parent.Controls()) {
      if (c->Visible()) {
        shown.push_back(c);
      }
    }
    const TRect room = parent.ClientRect();
    for (std::size_t i = 0; i < shown.size(); ++i) {
      const TControl& c = *shown[i];
      const TRect r = c.BoundsRect();
      if (c.Align() == alNone && c.Left() == 0 && c.Top() == 0 && c.Width() == kDefaultWidth &&
          c.Height() == kDefaultHeight) {
        Add(c, "keeps the default bounds: it has no designed place");
      }
      if (!Inside(r, room)) {
        Add(c, "lies at " + Rect(r) + ", outside the client area " + Rect(room) + " of " +
                   NameOf(parent));
      }
      for (std::size_t j = i + 1; j < shown.size(); ++j) {
        const TControl& d = *shown[j];
        const bool sheets = IsTabSheet(c) && IsTabSheet(d);
        if (!sheets && Overlap(r, d.BoundsRect())) {
          Add(c, "overlaps " + NameOf(d));
        }
      }
      c.Accept(*this);
      if (const auto* w = dynamic_cast<const TWinControl*>(&c)) {
        Container(*w);
      }
    }
    TabOrder(parent);
  }

  void TabOrder(const TWinControl& parent) {
    std::vector<const TWinControl*> stops;
    for (const TControl* c : parent.Controls()) {
      if (InTabOrder(*c)) {
        stops.push_back(static_cast<const TWinControl*>(c));
      }
    }
    std::stable_sort(stops.begin(), stops.end(), [](const TWinControl* a, const TWinControl* b) {
      return a->TabOrder() < b->TabOrder();
    });
    for (std::size_t i = 0; i < stops.size(); ++i) {
      for (std::size_t j = i + 1; j < stops.size(); ++j) {
        if (ReadsBefore(stops[j]->BoundsRect(), stops[i]->BoundsRect())) {
          Add(*stops[j], "comes after " + NameOf(*stops[i]) +
                             " in the tab order but before it in reading order");
        }
      }
    }
  }

  // A text in a box of the given room (the margin already taken off).
  void Fits(const TControl& c, const char* what, const std::string& text, int width, int height) {
    if (text.empty()) {
      return;
    }
    const TextSize size = Measure(c, text);
    if (size.Width > width || size.Height > height) {
      Add(c, std::string(what) + " " + Quoted(text) + " needs " + std::to_string(size.Width) + "x" +
                 std::to_string(size.Height) + " pixels, it has " +
                 std::to_string(std::max(width, 0)) + "x" + std::to_string(std::max(height, 0)));
    }
  }

  void LineFits(const TControl& c, const char* what, int room) {
    const int line = LineOf(c);
    if (line > room) {
      Add(c, std::string(what) + " of " + std::to_string(std::max(room, 0)) +
                 " pixels holds no line of its font (" + std::to_string(line) + ")");
    }
  }

  void Visit(const TBitBtn& c) override {
    const int glyph = c.Kind() == bkCustom ? 0 : kGlyph;
    Fits(c, "caption", c.Caption(), c.Width() - kButtonMargin - glyph, c.Height() - kButtonLines);
  }
  void Visit(const TButton& c) override {
    Fits(c, "caption", c.Caption(), c.Width() - kButtonMargin, c.Height() - kButtonLines);
  }
  void Visit(const TCheckBox& c) override { MarkedCaption(c); }
  void Visit(const TRadioButton& c) override { MarkedCaption(c); }
  void Visit(const TGroupBox& c) override {
    Fits(c, "caption", c.Caption(), c.Width() - kCaptionIndent, c.ClientRect().Top);
  }
  void Visit(const TRadioGroup& c) override {
    Visit(static_cast<const TGroupBox&>(c));
    for (const std::string& item : c.Items()) {
      Fits(c, "item", item, c.Width() - kCaptionIndent - kCheckMark, c.Height());
    }
  }
  // A tab sheet's caption is a tab: checked with its page control.
  void Visit(const TTabSheet&) override {}
  void Visit(const TPageControl& c) override {
    int tabs = 0;
    for (const TTabSheet* sheet : c.Pages()) {
      tabs += Measure(*sheet, sheet->Caption()).Width + kTabMargin;
    }
    if (tabs > c.Width()) {
      Add(c,
          "its tabs need " + std::to_string(tabs) + " pixels, it has " + std::to_string(c.Width()));
    }
    LineFits(c, "the tab row", c.ClientRect().Top);
  }
  void Visit(const TPanel& c) override {
    Fits(c, "caption", c.Caption(), c.Width() - kPanelMargin, c.Height());
  }
  void Visit(const TLabel& c) override { Fits(c, "caption", c.Caption(), c.Width(), c.Height()); }
  void Visit(const TComboBox& c) override {
    LineFits(c, "the height", c.Height() - kFieldLines);
    for (const std::string& item : c.Items()) {
      Fits(c, "item", item, c.Width() - kDropButton, c.Height() - kFieldLines);
    }
    Fits(c, "text", c.Text(), c.Width() - kDropButton, c.Height() - kFieldLines);
  }
  void Visit(const TCustomEdit& c) override { LineFits(c, "the height", c.Height() - kFieldLines); }
  void Visit(const TListBox& c) override {
    LineFits(c, "a row", c.ItemHeight());
    LineFits(c, "the height", c.Height() - kFieldLines);
    // A check list box's items stand beside their check marks.
    const int mark = dynamic_cast<const TCheckListBox*>(&c) != nullptr ? kCheckMark : 0;
    const std::size_t rows = std::min(c.Items().size(), kItemsChecked);
    for (std::size_t i = 0; i < rows; ++i) {
      Fits(c, "item", c.Items()[i], c.Width() - kListFrame - kScrollBar - mark, c.Height());
    }
  }
  // Every column lies within the list's width, where the operator sees it without
  // scrolling sideways, and each cell's text fits its column.
  void Visit(const TListView& c) override {
    if (c.ViewStyle() != vsReport) {
      return;
    }
    const int room = c.Width() - kListFrame - kScrollBar;
    int right = 0;
    for (const TListColumn& column : c.Columns()) {
      Fits(c, "column title", column.Caption, column.Width - kColumnMargin, c.Height());
      right += column.Width;
      if (right > room) {
        Add(c, "column " + Quoted(column.Caption) + " ends at " + std::to_string(right) +
                   " pixels, the list shows " + std::to_string(std::max(room, 0)));
      }
    }
    const std::size_t rows = std::min(c.Items().size(), kItemsChecked);
    for (std::size_t i = 0; i < rows; ++i) {
      const TListItem& item = c.Items()[i];
      for (std::size_t col = 0; col < c.Columns().size(); ++col) {
        const std::string* text = col == 0                         ? &item.Caption
                                  : col - 1 < item.SubItems.size() ? &item.SubItems[col - 1]
                                                                   : nullptr;
        if (text != nullptr) {
          Fits(c, "cell", *text, c.Columns()[col].Width - kColumnMargin, c.Height());
        }
      }
    }
  }

  // A check box's or radio button's caption beside its mark.
  void MarkedCaption(const TControl& c) {
    Fits(c, "caption", c.Caption(), c.Width() - kCheckMark, c.Height());
  }

  Platform& platform_;
  std::vector<std::string> problems_;
};

}  // namespace

bool ReadsBefore(const TRect& a, const TRect& b) {
  if (a.Bottom <= b.Top) {
    return true;
  }
  const bool sideBySide = a.Top < b.Bottom && b.Top < a.Bottom;
  return sideBySide && a.Right <= b.Left;
}

std::vector<std::string> CheckLayout(const TForm& form, Platform& platform) {
  return Checker(platform).Check(form);
}

}  // namespace ui
