// The controls of the module's dialogs, built the one way.
#include "frame/FormBuilder.h"

#include <utility>

#include "sys/CodePage.h"

namespace frame {

std::string TFormBuilder::Text(const char* utf8) {
  return sys::Utf8ToGbk(utf8);
}

ui::TLabel* TFormBuilder::Label(const std::string& name, const char* captionUtf8) const {
  return Add<ui::TLabel>(name, captionUtf8);
}

ui::TLabel* TFormBuilder::FieldLabel(const std::string& name, const char* captionUtf8) const {
  ui::TLabel* label = Label(name, captionUtf8);
  label->SetAlignment(ui::taRightJustify);
  return label;
}

ui::TEdit* TFormBuilder::Edit(const std::string& name, int maxLength) const {
  auto* edit = Add<ui::TEdit>(name);
  edit->SetMaxLength(maxLength);
  return edit;
}

ui::TComboBox* TFormBuilder::PickList(const std::string& name) const {
  auto* combo = Add<ui::TComboBox>(name);
  combo->SetStyle(ui::csDropDownList);
  return combo;
}

ui::TCheckBox* TFormBuilder::CheckBox(const std::string& name, const char* captionUtf8) const {
  return Add<ui::TCheckBox>(name, captionUtf8);
}

ui::TButton* TFormBuilder::Button(const std::string& name, const char* captionUtf8,
                                  std::function<void()> onClick) const {
  auto* button = Add<ui::TButton>(name, captionUtf8);
  if (onClick) {
    button->OnClick = [run = std::move(onClick)](ui::TComponent*) { run(); };
  }
  return button;
}

ui::TButton* TFormBuilder::SaveButton(const std::string& name, std::function<void()> onSave,
                                      bool isDefault) const {
  ui::TButton* button = Button(name, "保存", std::move(onSave));
  button->SetDefault(isDefault);
  button->SetEnabled(false);
  return button;
}

ui::TButton* TFormBuilder::CloseButton(const std::string& name, const char* captionUtf8,
                                       bool byEscape) const {
  ui::TButton* button = Button(name, captionUtf8);
  button->SetModalResult(ui::mrCancel);
  button->SetCancel(byEscape);
  return button;
}

}  // namespace frame
