// The kind dispatch of the control model next to the chain of casts it replaced, in the
// same run: for every component of a form holding each kind of control twice, which of
// seven list kinds it is (the question the script's item texts and the Qt platform's
// colours ask of every control they walk). The chain answers late for the kinds at its
// end and for every control that is no list; the visitor answers in two calls for all.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "ui/VisitKind.h"

namespace {

using namespace ui;

// A form with two of every kind.
class KindsForm : public TForm {
 public:
  KindsForm() : TForm(nullptr, "KindsForm") {
    auto* menu = Create<TPopupMenu>(this, nullptr, "Menu");
    for (int copy = 0; copy < 2; ++copy) {
      Create<TLabel>(this, this, "");
      Create<TButton>(this, this, "");
      Create<TBitBtn>(this, this, "");
      Create<TCheckBox>(this, this, "");
      Create<TRadioButton>(this, this, "");
      Create<TGroupBox>(this, this, "");
      Create<TRadioGroup>(this, this, "");
      Create<TPanel>(this, this, "");
      Create<TPageControl>(this, this, "");
      Create<TEdit>(this, this, "");
      Create<TMemo>(this, this, "");
      Create<TFileNameEdit>(this, this, "");
      Create<TComboBox>(this, this, "");
      Create<TListBox>(this, this, "");
      Create<TCheckListBox>(this, this, "");
      Create<TTreeView>(this, this, "");
      Create<TListView>(this, this, "");
      Create<TMenuItem>(this, nullptr, "", menu);
    }
  }
};

// 1 to 7 for the list kinds, 0 for the others.
int ByCasts(const TComponent& c) {
  if (dynamic_cast<const TComboBox*>(&c) != nullptr) {
    return 1;
  }
  if (dynamic_cast<const TListBox*>(&c) != nullptr) {
    return 2;
  }
  if (dynamic_cast<const TMemo*>(&c) != nullptr) {
    return 3;
  }
  if (dynamic_cast<const TRadioGroup*>(&c) != nullptr) {
    return 4;
  }
  if (dynamic_cast<const TTreeView*>(&c) != nullptr) {
    return 5;
  }
  if (dynamic_cast<const TListView*>(&c) != nullptr) {
    return 6;
  }
  if (dynamic_cast<const TPopupMenu*>(&c) != nullptr) {
    return 7;
  }
  return 0;
}

int ByVisitor(const TComponent& c) {
  return VisitKind(
      c, [](const TComboBox&) { return 1; }, [](const TListBox&) { return 2; },
      [](const TMemo&) { return 3; }, [](const TRadioGroup&) { return 4; },
      [](const TTreeView&) { return 5; }, [](const TListView&) { return 6; },
      [](const TPopupMenu&) { return 7; }, [](const TComponent&) { return 0; });
}

template <int (*Kind)(const TComponent&)>
void BM_KindOfEveryComponent(benchmark::State& state) {
  KindsForm form;
  const std::vector<TComponent*>& components = form.Components();
  for (const TComponent* c : components) {
    if (ByCasts(*c) != ByVisitor(*c)) {
      state.SkipWithError("the two dispatches disagree");
      return;
    }
  }
  for (auto _ : state) {
    int sum = 0;
    for (const TComponent* c : components) {
      sum += Kind(*c);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(components.size()));
}

// The baseline first: the chain of casts.
BENCHMARK_TEMPLATE(BM_KindOfEveryComponent, ByCasts)->Name("KindByCasts");
BENCHMARK_TEMPLATE(BM_KindOfEveryComponent, ByVisitor)->Name("KindByVisitor");

}  // namespace

BENCHMARK_MAIN();
