// The kind dispatch of the model: every kind reaches the Visit of its own class, from a
// component and from a const one, and has that class's name, and a kind a visitor does not name
// reaches the Visit of its nearest base, in a visitor class and in VisitKind alike.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ui/VisitKind.h"

namespace ui_test {
namespace {

using namespace ui;

// Records the class of the Visit that ran.
template <bool IsConst>
class KindNamer : public BasicControlVisitor<IsConst> {
 public:
  template <class T>
  using Ref = typename BasicControlVisitor<IsConst>::template Ref<T>;
  std::string seen;
  void Visit(Ref<TComponent>) override { seen = "TComponent"; }
#define TAVRO_TEST_NAME_KIND(Kind, Base) \
  void Visit(Ref<Kind>) override {       \
    seen = #Kind;                        \
  }
  TAVRO_UI_CONTROL_KINDS(TAVRO_TEST_NAME_KIND)
#undef TAVRO_TEST_NAME_KIND
};

// The kinds of the model's table, and its root.
#define TAVRO_TEST_KIND_NAME(Kind, Base) #Kind,
const std::set<std::string> kKinds = {"TComponent", TAVRO_UI_CONTROL_KINDS(TAVRO_TEST_KIND_NAME)};
#undef TAVRO_TEST_KIND_NAME

// A control a dialog makes of its own, as the payee dialogs' restricted edit is.
class OwnEdit : public TEdit {
 public:
  using TEdit::TEdit;
  const char* ClassName() const override { return "TOwnEdit"; }
};

TEST(ControlVisitor, EveryKindIsVisitedAsItself) {
  TForm form(nullptr, "Form");
  auto* menu = Create<TPopupMenu>(&form, nullptr, "Menu");
  const std::vector<std::pair<TComponent*, std::string>> kinds = {
      {&form, "TForm"},
      {Create<TComponent>(&form, nullptr, "Plain"), "TComponent"},
      {Create<TControl>(&form, &form, "Control"), "TControl"},
      {Create<TWinControl>(&form, &form, "Windowed"), "TWinControl"},
      {Create<TLabel>(&form, &form, "Label"), "TLabel"},
      {Create<TButton>(&form, &form, "Button"), "TButton"},
      {Create<TBitBtn>(&form, &form, "BitBtn"), "TBitBtn"},
      {Create<TCheckBox>(&form, &form, "CheckBox"), "TCheckBox"},
      {Create<TRadioButton>(&form, &form, "Radio"), "TRadioButton"},
      {Create<TGroupBox>(&form, &form, "Group"), "TGroupBox"},
      {Create<TRadioGroup>(&form, &form, "Radios"), "TRadioGroup"},
      {Create<TPanel>(&form, &form, "Panel"), "TPanel"},
      {Create<TTabSheet>(&form, &form, "Sheet"), "TTabSheet"},
      {Create<TPageControl>(&form, &form, "Pages"), "TPageControl"},
      {Create<TCustomEdit>(&form, &form, "Custom", false), "TCustomEdit"},
      {Create<TEdit>(&form, &form, "Edit"), "TEdit"},
      {Create<TMemo>(&form, &form, "Memo"), "TMemo"},
      {Create<TFileNameEdit>(&form, &form, "File"), "TFileNameEdit"},
      {Create<TComboBox>(&form, &form, "Combo"), "TComboBox"},
      {Create<TListBox>(&form, &form, "List"), "TListBox"},
      {Create<TCheckListBox>(&form, &form, "Checks"), "TCheckListBox"},
      {Create<TTreeView>(&form, &form, "Tree"), "TTreeView"},
      {Create<TListView>(&form, &form, "View"), "TListView"},
      {menu, "TPopupMenu"},
      {Create<TMenuItem>(&form, nullptr, "Item", menu), "TMenuItem"},
      {Create<TPrintDialog>(&form, nullptr, "Print"), "TPrintDialog"},
  };
  std::set<std::string> covered;
  for (const auto& [component, kind] : kinds) {
    KindNamer<false> namer;
    component->Accept(namer);
    KindNamer<true> constNamer;
    std::as_const(*component).Accept(constNamer);
    EXPECT_EQ(namer.seen, kind) << component->Name;
    EXPECT_EQ(constNamer.seen, kind) << component->Name;
    // The platform's own class names; the file name edit's spells "name" in lower case.
    EXPECT_EQ(component->ClassName(), kind == "TFileNameEdit" ? "TFilenameEdit" : kind);
    covered.insert(namer.seen);
  }
  EXPECT_EQ(covered, kKinds) << "a kind of the table left out of this test";
}

// Handles buttons, edits and other windowed controls only.
class Families : public ConstControlVisitor {
 public:
  using ConstControlVisitor::Visit;
  std::string seen = "other";
  void Visit(const TButton&) override { seen = "button"; }
  void Visit(const TCustomEdit&) override { seen = "edit"; }
  void Visit(const TWinControl&) override { seen = "windowed"; }
};

TEST(ControlVisitor, AKindWithoutAVisitOfItsOwnGoesToItsNearestBase) {
  TForm form(nullptr, "Form");
  const std::vector<std::pair<const TComponent*, std::string>> cases = {
      {Create<TBitBtn>(&form, &form, "BitBtn"), "button"},
      {Create<TMemo>(&form, &form, "Memo"), "edit"},
      {Create<TFileNameEdit>(&form, &form, "File"), "edit"},
      {Create<OwnEdit>(&form, &form, "Own"), "edit"},
      {Create<TCheckListBox>(&form, &form, "Checks"), "windowed"},
      {&form, "windowed"},
      {Create<TLabel>(&form, &form, "Label"), "other"},
      {Create<TMenuItem>(&form, nullptr, "Item"), "other"},
  };
  for (const auto& [component, family] : cases) {
    Families families;
    component->Accept(families);
    EXPECT_EQ(families.seen, family) << component->Name;
    const std::string inPlace = VisitKind(
        *component, [](const TButton&) { return "button"; },
        [](const TCustomEdit&) { return "edit"; }, [](const TWinControl&) { return "windowed"; },
        [](const TComponent&) { return "other"; });
    EXPECT_EQ(inPlace, family) << component->Name;
  }
}

}  // namespace
}  // namespace ui_test
