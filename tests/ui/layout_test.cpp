// The layout model: anchors and docking when a parent is resized, size constraints, a
// form's design table, and the layout check against the real fonts.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sys/CodePage.h"
#include "ui/Controls.h"
#include "ui/FormDesign.h"
#include "ui/LayoutCheck.h"
#include "ui/ScreenFont.h"
#include "ui/headless/HeadlessPlatform.h"

namespace {

using ui::TRect;

TRect Bounds(const ui::TControl& c) {
  return c.BoundsRect();
}

// A control at (10, 10) 50 x 20 in a 200 x 100 parent that grows to 300 x 150 (and
// shrinks back): one edge, both edges or none on each axis.
TEST(Anchors, EachEdgeKeepsItsDistanceAndBothEdgesStretch) {
  struct Case {
    ui::TAnchors anchors;
    TRect grown;
  };
  const Case cases[] = {
      {ui::akLeftTop, {10, 10, 60, 30}},
      {ui::akAll, {10, 10, 160, 80}},
      {ui::akRight | ui::akBottom, {110, 60, 160, 80}},
      // No edge: the centre stays where it was in proportion (35 of 200 -> 52 of 300).
      {0, {27, 20, 77, 40}},
  };
  for (const Case& c : cases) {
    ui::TForm form(nullptr, "Frm");
    form.SetBounds(0, 0, 200, 100);
    auto* panel = ui::Create<ui::TPanel>(&form, &form, "Pnl");
    panel->SetBounds(10, 10, 50, 20);
    panel->SetAnchors(c.anchors);
    form.SetBounds(0, 0, 300, 150);
    EXPECT_EQ(Bounds(*panel), c.grown) << int(c.anchors);
    // Shrinking below the start and growing back leaves no drift.
    form.SetBounds(0, 0, 20, 10);
    form.SetBounds(0, 0, 200, 100);
    EXPECT_EQ(Bounds(*panel), (TRect{10, 10, 60, 30})) << int(c.anchors);
  }
}

// Anchors count from where the control was last put, not from where it was created.
TEST(Anchors, CountFromTheLastPlaceSetAndNestedContainersFollow) {
  ui::TForm form(nullptr, "Frm");
  form.SetBounds(0, 0, 200, 100);
  auto* group = ui::Create<ui::TGroupBox>(&form, &form, "Grp");
  group->SetBounds(10, 10, 180, 80);
  group->SetAnchors(ui::akAll);
  auto* button = ui::Create<ui::TButton>(&form, group, "Btn");
  button->SetBounds(100, 40, 70, 28);
  button->SetAnchors(ui::akRight | ui::akBottom);
  form.SetBounds(0, 0, 260, 140);
  EXPECT_EQ(Bounds(*group), (TRect{10, 10, 250, 130}));
  EXPECT_EQ(Bounds(*button), (TRect{160, 80, 230, 108}));
  // Moved by code: the anchors now count from here.
  button->SetBounds(20, 20, 70, 28);
  form.SetBounds(0, 0, 200, 100);
  EXPECT_EQ(Bounds(*button), (TRect{-40, -20, 30, 8}));
}

TEST(Constraints, KeepASizeableFormAtLeastItsDesignedSize) {
  ui::TForm form(nullptr, "Frm");
  form.SetConstraints({.MinWidth = 200, .MinHeight = 120, .MaxWidth = 400});
  form.SetBounds(0, 0, 100, 50);
  EXPECT_EQ(form.Width(), 200);
  EXPECT_EQ(form.Height(), 120);
  form.SetBounds(0, 0, 900, 900);
  EXPECT_EQ(form.Width(), 400);
  EXPECT_EQ(form.Height(), 900);
}

// Edges in the order top, bottom, left, right, then the fill; hidden controls take no
// room; a docked control's own bounds give only its height or width.
TEST(Docking, EdgesFirstThenTheFillAndAGroupBoxDocksBelowItsCaption) {
  ui::TForm form(nullptr, "Frm");
  form.SetBounds(0, 0, 300, 200);
  auto* top = ui::Create<ui::TPanel>(&form, &form, "TopPnl");
  top->SetAlign(ui::alTop);
  top->SetBounds(50, 50, 10, 40);
  auto* status = ui::Create<ui::TLabel>(&form, &form, "StatusLbl");
  status->SetAlign(ui::alBottom);
  status->SetBounds(0, 0, 10, 19);
  auto* side = ui::Create<ui::TPanel>(&form, &form, "SidePnl");
  side->SetAlign(ui::alRight);
  side->SetBounds(0, 0, 60, 10);
  auto* hidden = ui::Create<ui::TPanel>(&form, &form, "HiddenPnl");
  hidden->SetVisible(false);
  hidden->SetAlign(ui::alLeft);
  hidden->SetBounds(0, 0, 30, 10);
  auto* group = ui::Create<ui::TGroupBox>(&form, &form, "Grp");
  group->SetAlign(ui::alClient);
  auto* list = ui::Create<ui::TListView>(&form, group, "Lsv");
  list->SetAlign(ui::alClient);
  form.Realign();

  EXPECT_EQ(Bounds(*top), (TRect{0, 0, 300, 40}));
  EXPECT_EQ(Bounds(*status), (TRect{0, 181, 300, 200}));
  EXPECT_EQ(Bounds(*side), (TRect{240, 40, 300, 181}));
  EXPECT_EQ(Bounds(*group), (TRect{0, 40, 240, 181}));
  // Below the caption's line: 18 pixels for an 11-pixel font, inside a 2-pixel frame.
  EXPECT_EQ(Bounds(*list), (TRect{2, 18, 238, 139}));

  // The form grows: every docked control follows; a docked height set by code sticks.
  form.SetBounds(0, 0, 400, 300);
  EXPECT_EQ(Bounds(*group), (TRect{0, 40, 340, 281}));
  top->SetBounds(0, 0, 0, 60);
  EXPECT_EQ(Bounds(*top), (TRect{0, 0, 400, 60}));
  EXPECT_EQ(Bounds(*group), (TRect{0, 60, 340, 281}));
  hidden->SetVisible(true);
  form.Realign();
  EXPECT_EQ(Bounds(*hidden), (TRect{0, 60, 30, 281}));
  EXPECT_EQ(Bounds(*group), (TRect{30, 60, 340, 281}));
}

TEST(Docking, TabSheetsFillTheirPageControlBelowTheTabs) {
  ui::TForm form(nullptr, "Frm");
  auto* pages = ui::Create<ui::TPageControl>(&form, &form, "Pgc");
  auto* one = ui::Create<ui::TTabSheet>(&form, pages, "OneTab");
  auto* two = ui::Create<ui::TTabSheet>(&form, pages, "TwoTab");
  pages->SetBounds(8, 8, 300, 200);
  // A 4-pixel frame, and the tabs' line of 18 pixels with 6 more.
  EXPECT_EQ(Bounds(*one), (TRect{4, 28, 296, 196}));
  EXPECT_EQ(Bounds(*two), Bounds(*one));
}

// A small dialog: a label and an edit, a group with a check box, two buttons.
class TDesignFrm : public ui::TForm {
 public:
  TDesignFrm() : TForm(nullptr, "DesignFrm") {
    NameLbl = ui::Create<ui::TLabel>(this, this, "NameLbl");
    NameLbl->SetCaption("Name");
    NameEdt = ui::Create<ui::TEdit>(this, this, "NameEdt");
    KindCmb = ui::Create<ui::TComboBox>(this, this, "KindCmb");
    KindCmb->SetItems({"0:Current", "1:Deposit"});
    OptionsGrp = ui::Create<ui::TGroupBox>(this, this, "OptionsGrp");
    OptionsGrp->SetCaption("Options");
    ActiveCkb = ui::Create<ui::TCheckBox>(this, OptionsGrp, "ActiveCkb");
    ActiveCkb->SetCaption("Active");
    ItemsLbx = ui::Create<ui::TListBox>(this, this, "ItemsLbx");
    OkBtn = ui::Create<ui::TButton>(this, this, "OkBtn");
    OkBtn->SetCaption("Save");
    CancelBtn = ui::Create<ui::TButton>(this, this, "CancelBtn");
    CancelBtn->SetCaption("Cancel");
    SetCaption("Design");
  }
  ui::TLabel* NameLbl;
  ui::TEdit* NameEdt;
  ui::TComboBox* KindCmb;
  ui::TGroupBox* OptionsGrp;
  ui::TCheckBox* ActiveCkb;
  ui::TListBox* ItemsLbx;
  ui::TButton* OkBtn;
  ui::TButton* CancelBtn;
};

constexpr ui::TAnchors kStretch = ui::akLeft | ui::akTop | ui::akRight;
constexpr ui::TAnchors kCorner = ui::akRight | ui::akBottom;
// Rows in tab order; the buttons first in creation, last in the design.
const ui::TPlacement kPlaces[] = {
    {"NameLbl", 12, 15, 60, 19},
    {"NameEdt", 80, 12, 228, 24, kStretch},
    {"KindCmb", 80, 44, 228, 24, kStretch},
    {"OptionsGrp", 12, 76, 296, 52, kStretch},
    {"ActiveCkb", 10, 24, 120, 20},
    {"ItemsLbx", 12, 136, 296, 80, ui::akAll},
    {"OkBtn", 140, 228, 80, 28, kCorner},
    {"CancelBtn", 228, 228, 80, 28, kCorner},
};

TEST(FormDesign, PlacesEveryControlInTabOrderAndASizeableFormKeepsItsSize) {
  TDesignFrm form;
  ui::ApplyDesign(form, {320, 268, ui::bsSizeable, kPlaces});
  EXPECT_EQ(form.BorderStyle(), ui::bsSizeable);
  EXPECT_EQ(Bounds(form), (TRect{0, 0, 320, 268}));
  EXPECT_FALSE(form.NameLbl->AutoSize());
  EXPECT_EQ(form.ItemsLbx->ItemHeight(), 18);  // one line of its 11-pixel font
  const std::vector<ui::TWinControl*> order = {form.NameEdt,  form.KindCmb, form.ActiveCkb,
                                               form.ItemsLbx, form.OkBtn,   form.CancelBtn};
  ui::TWinControl* at = nullptr;
  for (ui::TWinControl* expected : order) {
    at = form.FindNextControl(at, true);
    EXPECT_EQ(at, expected) << expected->Name;
  }

  // The operator widens it: the buttons stay in the corner; never below the designed size.
  form.SetBounds(0, 0, 420, 368);
  EXPECT_EQ(Bounds(*form.CancelBtn), (TRect{328, 328, 408, 356}));
  form.SetBounds(0, 0, 100, 100);
  EXPECT_EQ(Bounds(*form.CancelBtn), (TRect{228, 228, 308, 256}));
}

// Runs apply, which must throw a logic error that names why.
template <class F>
void ExpectRefused(F apply, const std::string& why) {
  try {
    apply();
    ADD_FAILURE() << "accepted: " << why;
  } catch (const std::logic_error& e) {
    EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
  }
}

TEST(FormDesign, ATableThatDisagreesWithTheFormIsRefused) {
  struct Case {
    std::vector<ui::TPlacement> places;
    const char* why;
  };
  std::vector<ui::TPlacement> all(std::begin(kPlaces), std::end(kPlaces));
  auto without = [&](std::string_view name) {
    auto rows = all;
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&](const ui::TPlacement& p) { return p.Name == name; }),
               rows.end());
    return rows;
  };
  auto with = [&](ui::TPlacement extra) {
    auto rows = all;
    rows.push_back(extra);
    return rows;
  };
  auto childFirst = all;
  std::swap(childFirst[3], childFirst[4]);
  const Case cases[] = {
      {without("CancelBtn"), "no place for CancelBtn"},
      {with({"OkBtm", 0, 0, 80, 28}), "no control named OkBtm"},
      {with({"OkBtn", 0, 0, 80, 28}), "OkBtn placed twice"},
      {childFirst, "ActiveCkb placed before its parent OptionsGrp"},
  };
  for (const Case& c : cases) {
    TDesignFrm form;
    ExpectRefused([&] { ui::ApplyDesign(form, {320, 268, ui::bsDialog, c.places}); }, c.why);
  }
}

// A design kept as text reads as the same table, and a line it cannot read is refused by
// its number rather than placing a control somewhere.
TEST(FormDesign, ADesignTextReadsAsItsTableAndABadLineIsRefusedByNumber) {
  const ui::TDesignText design(
      "# a comment, then a blank line\n"
      "\n"
      "form 320 268 sizeable text Frm_Key\n"
      "NameEdt 112 12 276 24  anchors left+top+right  # the rest is comment\n"
      "OkBtn 228 52 80 28 anchors all align client text Btn_Key\n"
      "Lbl 1 2 3 4\n");
  const ui::TFormDesign& d = design.Design();
  EXPECT_EQ(d.Height, 268);
  EXPECT_EQ(d.BorderStyle, ui::bsSizeable);
  EXPECT_EQ(d.TextKey, "Frm_Key");
  ASSERT_EQ(d.Places.size(), 3U);
  EXPECT_EQ(d.Places[0].Name, "NameEdt");
  EXPECT_EQ(d.Places[0].Width, 276);
  EXPECT_EQ(d.Places[0].Anchors, ui::akLeft | ui::akTop | ui::akRight);
  EXPECT_EQ(d.Places[1].Anchors, ui::akAll);
  EXPECT_EQ(d.Places[1].Align, ui::alClient);
  EXPECT_EQ(d.Places[1].TextKey, "Btn_Key");
  EXPECT_EQ(d.Places[2].Anchors, ui::akLeftTop);

  const struct {
    const char* text;
    const char* why;
  } cases[] = {
      {"Lbl 1 2 3 4\nform 10 10 dialog\n", "line 1"},
      {"form 10 10 dialog\nform 10 10 dialog\n", "line 2"},
      {"form 10 10 round\n", "line 1"},
      {"form 10 10 dialog text\n", "line 1"},
      {"form 10 10 dialog\n\nLbl 1 2 3\n", "line 3"},
      {"form 10 10 dialog\nLbl 1 2 3 4x\n", "line 2"},
      {"form 10 10 dialog\nLbl 1 2 3 4 anchors up\n", "line 2"},
      {"form 10 10 dialog\nLbl 1 2 3 4 align\n", "line 2"},
      {"form 10 10 dialog\nLbl 1 2 3 4 colour red\n", "line 2"},
      {"# nothing but a comment\n", "no form row"},
  };
  for (const auto& c : cases) {
    ExpectRefused([&] { const ui::TDesignText bad(c.text); }, c.why);
  }
}

// Above first, then left to right among controls side by side; a tall list on the left
// reads before the buttons stacked beside it.
TEST(ReadingOrder, AboveFirstThenLeftToRightAmongControlsSideBySide) {
  const TRect edit{80, 12, 300, 36}, next{12, 40, 100, 64}, list{12, 12, 200, 300};
  const TRect left{12, 12, 70, 30}, button{210, 200, 290, 228};
  EXPECT_FALSE(ui::ReadsBefore(next, edit));
  EXPECT_TRUE(ui::ReadsBefore(left, edit));
  EXPECT_FALSE(ui::ReadsBefore(edit, left));
  EXPECT_TRUE(ui::ReadsBefore(list, button));
}

class LayoutCheckTest : public ::testing::Test {
 protected:
  std::vector<std::string> Check(const ui::TForm& form) { return ui::CheckLayout(form, platform_); }
  // The designed form with a list view placed over its list box.
  ui::TListView* AddList(TDesignFrm& form) {
    auto* lsv = ui::Create<ui::TListView>(&form, &form, "FolderLsv");
    std::vector<ui::TPlacement> places(std::begin(kPlaces), std::end(kPlaces));
    places.insert(places.begin() + 6, {"FolderLsv", 12, 136, 296, 80});
    ui::ApplyDesign(form, {320, 268, ui::bsDialog, places});
    return lsv;
  }
  ui::HeadlessPlatform platform_;
};

TEST_F(LayoutCheckTest, ATidyFormPassesAndAFormWithoutDesignFails) {
  TDesignFrm designed;
  ui::ApplyDesign(designed, {320, 268, ui::bsSizeable, kPlaces});
  EXPECT_EQ(Check(designed), std::vector<std::string>{});
  designed.SetBounds(0, 0, 640, 480);
  EXPECT_EQ(Check(designed), std::vector<std::string>{});

  TDesignFrm bare;
  const std::vector<std::string> problems = Check(bare);
  ASSERT_FALSE(problems.empty());
  EXPECT_EQ(problems[0], "DesignFrm: the form keeps the default size: it has no designed geometry");
  EXPECT_NE(std::find(problems.begin(), problems.end(),
                      "NameEdt: keeps the default bounds: it has no designed place"),
            problems.end());
}

// Each fault a designer can make, on an otherwise tidy form: what the check says.
TEST_F(LayoutCheckTest, EachFaultIsNamed) {
  struct Case {
    const char* what;
    void (*spoil)(TDesignFrm&);
    const char* problem;
  };
  const Case cases[] = {
      {"overlap", [](TDesignFrm& f) { f.KindCmb->SetTop(30); }, "NameEdt: overlaps KindCmb"},
      {"outside", [](TDesignFrm& f) { f.CancelBtn->SetLeft(260); },
       "CancelBtn: lies at (260,228)-(340,256), outside the client area (0,0)-(320,268) of "
       "DesignFrm"},
      {"on the caption line", [](TDesignFrm& f) { f.ActiveCkb->SetTop(2); },
       "ActiveCkb: lies at (10,2)"},
      {"button text", [](TDesignFrm& f) { f.OkBtn->SetCaption("Save the record now"); },
       "OkBtn: caption \"Save the record now\" needs"},
      {"label text", [](TDesignFrm& f) { f.NameLbl->SetCaption(sys::Utf8ToGbk("收款人短信号码")); },
       "NameLbl: caption \"收款人短信号码\" needs"},
      {"check box mark", [](TDesignFrm& f) { f.ActiveCkb->SetWidth(40); },
       "ActiveCkb: caption \"Active\" needs"},
      {"group caption", [](TDesignFrm& f) { f.OptionsGrp->SetCaption(std::string(60, 'W')); },
       "OptionsGrp: caption \"WWWW"},
      {"combo item",
       [](TDesignFrm& f) { f.KindCmb->AddItem("9:Awaiting activation by the second operator"); },
       "KindCmb: item \"9:Awaiting activation by the second operator\" needs"},
      {"short edit", [](TDesignFrm& f) { f.NameEdt->SetHeight(14); },
       "NameEdt: the height of 10 pixels holds no line of its font"},
      {"short rows", [](TDesignFrm& f) { f.ItemsLbx->SetItemHeight(8); },
       "ItemsLbx: a row of 8 pixels holds no line of its font"},
      {"tab order", [](TDesignFrm& f) { f.OkBtn->SetTabOrder(-1); },
       "NameEdt: comes after OkBtn in the tab order but before it in reading order"},
      {"default place", [](TDesignFrm& f) { f.ItemsLbx->SetBounds(0, 0, 75, 25); },
       "ItemsLbx: keeps the default bounds"},
      {"title", [](TDesignFrm& f) { f.SetCaption(std::string(50, 'W')); },
       "DesignFrm: title \"WWWW"},
  };
  for (const Case& c : cases) {
    TDesignFrm form;
    ui::ApplyDesign(form, {320, 268, ui::bsDialog, kPlaces});
    c.spoil(form);
    const std::vector<std::string> problems = Check(form);
    const bool named = std::any_of(problems.begin(), problems.end(), [&](const std::string& p) {
      return p.rfind(c.problem, 0) == 0;
    });
    EXPECT_TRUE(named) << c.what << ": " << testing::PrintToString(problems);
  }
}

// A column title, a cell or a list box item wider than its room is cut, a column beyond
// the list's width is off-screen: each is named; hidden controls are not checked.
TEST_F(LayoutCheckTest, ListColumnsCellsAndItemsThatDoNotFit) {
  TDesignFrm form;
  ui::TListView* lsv = AddList(form);
  lsv->SetColumns({{"Id", 40}, {"Business No.", 50}});
  EXPECT_EQ(Check(form).size(), 2u);  // the list covers the list box
  form.ItemsLbx->SetVisible(false);
  std::vector<std::string> problems = Check(form);
  ASSERT_EQ(problems.size(), 1u) << testing::PrintToString(problems);
  EXPECT_EQ(problems[0].rfind("FolderLsv: column title \"Business No.\" needs", 0), 0u);
  lsv->SetColumns({{"Id", 60}, {"Bank", 150}, {"Status", 60}});
  lsv->AddItem("17", {"LOTUS SAVINGS", "OK"});
  form.ItemsLbx->AddItem("LOLCGB2LAXXX LOTUS");
  EXPECT_EQ(Check(form), std::vector<std::string>{});

  lsv->SetColumns({{"Id", 60}, {"Bank", 150}, {"Status", 60}, {"Date", 60}});
  lsv->AddItem("18", {"THE HONGKONG AND SHANGHAI BANKING CORP", "OK"});
  form.ItemsLbx->SetVisible(true);
  form.ItemsLbx->SetBounds(12, 136, 296, 80);
  lsv->SetVisible(false);
  form.ItemsLbx->AddItem("LOLCGB2LAXXX LOTUS SAVINGS BANK / LONDON WALL");
  problems = Check(form);
  ASSERT_EQ(problems.size(), 1u) << testing::PrintToString(problems);
  EXPECT_EQ(
      problems[0].rfind("ItemsLbx: item \"LOLCGB2LAXXX LOTUS SAVINGS BANK / LONDON WALL\"", 0), 0u);
  lsv->SetVisible(true);
  form.ItemsLbx->SetVisible(false);
  problems = Check(form);
  ASSERT_EQ(problems.size(), 2u) << testing::PrintToString(problems);
  EXPECT_EQ(problems[0], "FolderLsv: column \"Date\" ends at 330 pixels, the list shows 275");
  EXPECT_EQ(
      problems[1].rfind("FolderLsv: cell \"THE HONGKONG AND SHANGHAI BANKING CORP\" needs", 0), 0u);
}

// The transcript's dump shows how a control follows its parent's size, and the script's
// resize of the form is the operator dragging its frame.
TEST(LayoutDump, ShowsDockingAndAnchorsAndResizeMovesThem) {
  auto* platform = new ui::HeadlessPlatform();
  auto previous = ui::InstallPlatform(std::unique_ptr<ui::Platform>(platform));
  TDesignFrm form;
  ui::ApplyDesign(form, {320, 268, ui::bsSizeable, kPlaces});
  form.ItemsLbx->SetAnchors(ui::akLeftTop);
  form.ItemsLbx->SetAlign(ui::alBottom);
  platform->RunScript(
      "resize form 420 300\ndump form\ndump NameLbl\ndump NameEdt\n"
      "dump ItemsLbx\ndump CancelBtn\nclose\n");
  form.ShowModal();
  const std::vector<std::string> lines = platform->Transcript();
  ui::InstallPlatform(std::move(previous));
  auto ends = [&](const std::string& start, const std::string& end) {
    for (const std::string& line : lines) {
      if (line.rfind(start, 0) == 0) {
        return line.size() >= end.size() &&
               line.compare(line.size() - end.size(), end.size(), end) == 0;
      }
    }
    return false;
  };
  EXPECT_TRUE(ends("dump DesignFrm", " left=0 top=0 width=420 height=300"))
      << testing::PrintToString(lines);
  EXPECT_TRUE(ends("dump NameLbl", " parent=DesignFrm left=12 top=15 width=60 height=19"));
  EXPECT_TRUE(ends("dump NameEdt", " width=328 height=24 anchors=left,top,right"));
  EXPECT_TRUE(ends("dump ItemsLbx", " left=0 top=220 width=420 height=80 align=bottom"));
  EXPECT_TRUE(ends("dump CancelBtn", " left=328 top=260 width=80 height=28 anchors=right,bottom"));
}

}  // namespace
