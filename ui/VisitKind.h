// A dispatch over the kinds of the control model written in place: the component's
// Accept (ui/ControlVisitor.h) calls the lambda whose parameter is the nearest kind of
// the component, chosen as overloads are (a bit button goes to a TButton lambda unless
// there is a TBitBtn one). Every call needs a fallback that takes a TComponent.
//
//   ui::VisitKind(control,
//       [](ui::TCheckBox& box) { box.SetChecked(!box.Checked()); },
//       [](ui::TRadioButton& radio) { radio.SetChecked(true); },
//       [](ui::TComponent&) {});
//
// A const component takes lambdas of const references. The call returns what the
// lambdas return, which is one type for all of them.
#pragma once

#include <optional>
#include <type_traits>
#include <utility>

#include "ui/ControlVisitor.h"
#include "ui/Controls.h"

namespace ui {
namespace visit_kind {

template <class... Fns>
struct Overloads : Fns... {
  using Fns::operator()...;
};

// Hands every kind to fns as its own class; overload resolution picks the lambda.
template <bool IsConst, class Result, class Fns>
class LambdaVisitor final : public BasicControlVisitor<IsConst> {
 public:
  template <class T>
  using Ref = typename BasicControlVisitor<IsConst>::template Ref<T>;

  explicit LambdaVisitor(Fns& fns) : fns_(fns) {}
  Result Take() { return std::move(*result_); }

  void Visit(Ref<TComponent> component) override { Call(component); }
#define TAVRO_UI_VISIT_LAMBDA(Kind, Base)    \
  void Visit(Ref<Kind> component) override { \
    Call(component);                         \
  }
  TAVRO_UI_CONTROL_KINDS(TAVRO_UI_VISIT_LAMBDA)
#undef TAVRO_UI_VISIT_LAMBDA

 private:
  template <class T>
  void Call(T& component) {
    if constexpr (std::is_void_v<Result>) {
      fns_(component);
    } else {
      result_.emplace(fns_(component));
    }
  }

  struct Nothing {};
  Fns& fns_;
  std::optional<std::conditional_t<std::is_void_v<Result>, Nothing, Result>> result_;
};

}  // namespace visit_kind

template <class Component, class... Fns>
decltype(auto) VisitKind(Component& component, Fns&&... fns) {
  static_assert(std::is_base_of_v<TComponent, std::remove_const_t<Component>>,
                "VisitKind visits components of the control model");
  constexpr bool kConst = std::is_const_v<Component>;
  using Root = std::conditional_t<kConst, const TComponent&, TComponent&>;
  using Set = visit_kind::Overloads<std::decay_t<Fns>...>;
  static_assert(std::is_invocable_v<Set&, Root>,
                "VisitKind needs a fallback lambda that takes a TComponent");
  using Result = std::invoke_result_t<Set&, Root>;
  Set set{std::forward<Fns>(fns)...};
  visit_kind::LambdaVisitor<kConst, Result, Set> visitor(set);
  component.Accept(visitor);
  if constexpr (!std::is_void_v<Result>) {
    return visitor.Take();
  }
}

}  // namespace ui
