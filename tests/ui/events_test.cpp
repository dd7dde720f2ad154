// The event rules of the model: what code fires and what only the operator fires,
// check boxes and radio buttons, modal results, ownership and fonts. (An exception in a
// handler is shown by the script tests' run endings, class names by the visitor's.)
#include <gtest/gtest.h>

#include <functional>

#include "SampleForm.h"
#include "ui/Input.h"

namespace ui_test {
namespace {

using namespace ui;
using Strings = std::vector<std::string>;

class EventsTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    form.BeginModal();
    form.MainDirTrv->LoadOutline("root\n\tchild\n\tother");
    form.FolderLsv->AddItem("r0", {"a"});
    form.FolderLsv->AddItem("r1", {"b"});
    form.Log.clear();
  }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(form.Log.begin(), form.Log.end(), entry));
  }
  TSampleFrm form;
};

TEST_F(EventsTest, SettingTextFiresChangeOnlyWhenItDiffers) {
  form.NameEdt->SetText("abc");
  form.NameEdt->SetText("abc");
  form.NoteMmo->SetLines({"x", "y"});
  EXPECT_EQ(form.Log, (Strings{"NameEdt.change", "NoteMmo.change"}));
  EXPECT_EQ(form.NameEdt->SelStart(), 0);
}

TEST_F(EventsTest, SelectionFromCodeIsSilentAndTheOperatorsFiresTheEvent) {
  struct Case {
    const char* event;
    std::function<void()> byCode;
    TWinControl* control;
    std::function<int()> index;
  } cases[] = {
      {"StatusCmb.change", [&] { form.StatusCmb->SetItemIndex(1); }, form.StatusCmb,
       [&] { return form.StatusCmb->ItemIndex(); }},
      {"OrderLbx.click", [&] { form.OrderLbx->SetItemIndex(1); }, form.OrderLbx,
       [&] { return form.OrderLbx->ItemIndex(); }},
      {"RightClb.click", [&] { form.RightClb->SetItemIndex(1); }, form.RightClb,
       [&] { return form.RightClb->ItemIndex(); }},
      {"FolderLsv.click", [&] { form.FolderLsv->SetItemIndex(1); }, form.FolderLsv,
       [&] { return form.FolderLsv->ItemIndex(); }},
      {"MainDirTrv.click", [&] { form.MainDirTrv->SetSelected(form.MainDirTrv->Node(1)); },
       form.MainDirTrv,
       [&] {
         auto nodes = form.MainDirTrv->Nodes();
         auto it = std::find(nodes.begin(), nodes.end(), form.MainDirTrv->Selected());
         return it == nodes.end() ? -1 : static_cast<int>(it - nodes.begin());
       }},
  };
  for (auto& c : cases) {
    c.byCode();
    EXPECT_EQ(c.index(), 1) << c.event;
    EXPECT_EQ(Count(c.event), 0) << c.event;
    SelectItem(*c.control, 0);
    EXPECT_EQ(c.index(), 0) << c.event;
    EXPECT_EQ(Count(c.event), 1) << c.event;
  }
}

TEST_F(EventsTest, ComboBoxTextFollowsItsItems) {
  form.StatusCmb->SetItemIndex(2);
  EXPECT_EQ(form.StatusCmb->Text(), "2:in use");
  form.StatusCmb->SetText("nothing like it");  // a drop-down list has no free text
  EXPECT_EQ(form.StatusCmb->ItemIndex(), -1);
  EXPECT_EQ(form.StatusCmb->Text(), "");
  form.StatusCmb->SetText("1:WAITING");  // the list ignores the case of Latin letters
  EXPECT_EQ(form.StatusCmb->ItemIndex(), 1);
  EXPECT_EQ(IndexOfItem({"O", "B", "D"}, "d"), 2);
  EXPECT_EQ(IndexOfItem({Gbk("甲"), Gbk("乙")}, Gbk("乙")), 1);
  EXPECT_EQ(IndexOfItem({"O"}, "Q"), -1);
  EXPECT_EQ(IndexOfItem({"\x81\x41"}, "\x81\x61"), -1);  // two characters, not two cases

  form.KindCmb->SetText("x");
  EXPECT_EQ(form.KindCmb->Text(), "x");
  EXPECT_EQ(form.KindCmb->ItemIndex(), -1);
  form.KindCmb->SetSelStart(1);
  PressKey(*form.KindCmb, vk::Back);
  TypeText(*form.KindCmb, "b");
  EXPECT_EQ(form.KindCmb->Text(), "b");
  EXPECT_EQ(form.KindCmb->ItemIndex(), 1);
  EXPECT_EQ(Count("KindCmb.change"), 2);

  // A drop-down list jumps to the next item that starts with the typed letter.
  TypeText(*form.StatusCmb, "2");
  EXPECT_EQ(form.StatusCmb->ItemIndex(), 2);
  EXPECT_EQ(Count("StatusCmb.change"), 1);
}

TEST_F(EventsTest, CheckBoxClickFollowsEveryChangeOfItsState) {
  form.ActiveCkb->SetChecked(true);
  form.ActiveCkb->SetChecked(true);
  EXPECT_EQ(Count("ActiveCkb.click"), 1);
  ClickControl(*form.ActiveCkb);  // the operator toggles it
  EXPECT_FALSE(form.ActiveCkb->Checked());
  EXPECT_EQ(Count("ActiveCkb.click"), 2);
  PressKey(*form.ActiveCkb, vk::Space);
  EXPECT_TRUE(form.ActiveCkb->Checked());
}

TEST_F(EventsTest, CheckListMarksFromCodeAreSilentAndTheOperatorsFireClickCheck) {
  form.RightClb->SetChecked(0, true);
  EXPECT_EQ(Count("RightClb.clickcheck"), 0);
  CheckItem(*form.RightClb, 1, true);
  CheckItem(*form.RightClb, 1, true);  // already checked: nothing happens
  EXPECT_EQ(Count("RightClb.clickcheck"), 1);
  EXPECT_TRUE(form.RightClb->Checked(0));
  EXPECT_TRUE(form.RightClb->Checked(1));
  EXPECT_FALSE(form.RightClb->Checked(2));
  form.RightClb->SetItems({"a", "b"});
  EXPECT_FALSE(form.RightClb->Checked(0));
  EXPECT_FALSE(form.RightClb->Checked(7));

  // Items changed one by one: a mark stays only with an unchanged text at its position.
  form.RightClb->SetChecked(0, true);
  form.RightClb->SetChecked(1, true);
  form.RightClb->AddItem("c");
  EXPECT_TRUE(form.RightClb->Checked(0));
  EXPECT_FALSE(form.RightClb->Checked(2));
  form.RightClb->SetItem(1, "x");
  EXPECT_TRUE(form.RightClb->Checked(0));
  EXPECT_FALSE(form.RightClb->Checked(1));
}

TEST_F(EventsTest, CheckingARadioButtonUnchecksItsSiblings) {
  auto* group = Create<TRadioGroup>(&form, &form, "KindGrp");
  auto* rmb = Create<TRadioButton>(&form, group, "RMBrbtn");
  auto* other = Create<TRadioButton>(&form, group, "Otherrbtn");
  int clicks = 0;
  rmb->OnClick = other->OnClick = [&](TComponent*) { ++clicks; };
  rmb->SetChecked(true);
  ClickControl(*other);
  EXPECT_FALSE(rmb->Checked());
  EXPECT_TRUE(other->Checked());
  ClickControl(*other);
  EXPECT_EQ(clicks, 2);
}

TEST_F(EventsTest, ButtonGivesTheFormItsModalResultBeforeItsHandlerRuns) {
  form.UpdateBtn->SetModalResult(mrOk);
  int seen = -1;
  form.UpdateBtn->OnClick = [&](TComponent*) {
    seen = form.ModalResult();
    form.SetModalResult(mrNone);  // a handler may keep the form open
  };
  ClickControl(*form.UpdateBtn);
  EXPECT_EQ(seen, mrOk);
  EXPECT_EQ(form.ModalResult(), mrNone);

  auto* ok = Create<TBitBtn>(&form, &form, "OkBtn");
  ok->SetKind(bkOK);
  ClickControl(*ok);
  EXPECT_EQ(form.ModalResult(), mrOk);
}

TEST_F(EventsTest, RefusedCloseQueryResetsTheModalResult) {
  form.AllowClose = false;
  form.SetModalResult(mrCancel);
  EXPECT_FALSE(form.CloseQuery());
  EXPECT_EQ(form.ModalResult(), mrNone);
  form.AllowClose = true;
  form.SetModalResult(mrOk);
  EXPECT_TRUE(form.CloseQuery());
  EXPECT_EQ(form.ModalResult(), mrOk);
}

TEST_F(EventsTest, OwnerFreesItsComponentsAndFindsThemByName) {
  auto* panel = Create<TPanel>(&form, &form, "AddrPnl");
  auto* inner = Create<TEdit>(panel, panel, "InnerEdt");  // a compound control's part
  EXPECT_EQ(form.FindComponent("InnerEdt"), inner);
  EXPECT_EQ(FindAs<TEdit>(form, "AddrPnl"), nullptr);
  EXPECT_EQ(form.FindComponent("Missing"), nullptr);
  EXPECT_EQ(form.Components().front(), form.NameEdt);  // creation order

  inner->SetFocus();
  ASSERT_EQ(form.ActiveControl(), inner);
  int before = form.ComponentCount();
  delete panel;  // its part goes with it and leaves the focus
  EXPECT_EQ(form.ComponentCount(), before - 1);
  EXPECT_EQ(form.ActiveControl(), nullptr);
  EXPECT_EQ(form.FindComponent("InnerEdt"), nullptr);
}

TEST_F(EventsTest, FontComesFromTheParentUntilTheControlHasItsOwn) {
  auto* rule = Create<TEdit>(&form, form.InfoGrp, "RuleEdt");
  TFont courier = rule->Font();
  courier.Name = "Courier New";
  rule->SetFont(courier);
  form.SetFont(TFont{Gbk("宋体"), 10, 134});
  EXPECT_EQ(form.CityEdt->Font(), (TFont{Gbk("宋体"), 10, 134}));
  EXPECT_EQ(rule->Font().Name, "Courier New");
}

TEST_F(EventsTest, ResizeFiresWhenTheSizeChanges) {
  int resized = 0;
  form.InfoGrp->OnResize = [&](TComponent*) { ++resized; };
  form.InfoGrp->SetBounds(10, 10, 323, 100);
  form.InfoGrp->SetLeft(20);
  form.InfoGrp->SetWidth(323);
  form.InfoGrp->SetHeight(90);
  EXPECT_EQ(resized, 2);
  EXPECT_EQ(form.InfoGrp->Left(), 20);
}

TEST_F(EventsTest, ClickingATabShowsItsSheet) {
  auto* pages = Create<TPageControl>(&form, &form, "PagesPgc");
  auto* first = Create<TTabSheet>(&form, pages, "FirstTab");
  auto* second = Create<TTabSheet>(&form, pages, "SecondTab");
  int changes = 0;
  pages->OnChange = [&](TComponent*) { ++changes; };
  pages->SetActivePage(first);
  EXPECT_FALSE(second->Visible());
  ClickControl(*second);
  ClickControl(*second);
  EXPECT_EQ(pages->ActivePage(), second);
  EXPECT_FALSE(first->Visible());
  EXPECT_EQ(second->PageIndex(), 1);
  EXPECT_EQ(changes, 1);
}

TEST_F(EventsTest, MenuItemsBelongToTheirMenu) {
  auto* edit = Create<TMenuItem>(&form, nullptr, "EditMit", form.ListPmn);
  ASSERT_EQ(form.ListPmn->Items().size(), 2u);
  ClickMenuItem(*edit);
  ClickMenuItem(*form.NewMit);
  EXPECT_EQ(Count("NewMit.click"), 1);
  delete edit;
  EXPECT_EQ(form.ListPmn->Items().size(), 1u);
}

}  // namespace
}  // namespace ui_test
