// The visitors' way back from a kind to the kind it falls back to. Both visitors are
// made here, in the control model's library, once for every library that visits.
#include "ui/ControlVisitor.h"

#include "ui/Controls.h"

namespace ui {

// Kind and Base name types, which cannot stand in parentheses.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define TAVRO_UI_DEFINE_VISIT(Kind, Base)                         \
  template <bool IsConst>                                         \
  void BasicControlVisitor<IsConst>::Visit(Ref<Kind> component) { \
    Visit(static_cast<Ref<Base>>(component));                     \
  }
// NOLINTEND(bugprone-macro-parentheses)
TAVRO_UI_CONTROL_KINDS(TAVRO_UI_DEFINE_VISIT)
#undef TAVRO_UI_DEFINE_VISIT

template class BasicControlVisitor<false>;
template class BasicControlVisitor<true>;

}  // namespace ui
