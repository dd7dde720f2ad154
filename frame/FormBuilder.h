// The one way the module's dialogs build their controls: every control is owned by the
// form and placed in a parent of it, its caption written in the source as UTF-8 and
// shown in GBK, and the roles the dialogs share (a label that ends at its field, a
// drop-down list, the save and close buttons) made the same in every dialog. Geometry
// is not the builder's: the form's design table places everything afterwards.
//
//   frame::TFormBuilder build(*this);
//   NameLbl = build.FieldLabel("NameLbl", "名称");
//   NameEdt = build.Edit("NameEdt", kNameLen);
//   UpdateBtn = build.SaveButton("UpdateBtn", [this] { UpdateBtnClick(); });
//   CancelBtn = build.CloseButton("CancelBtn", "放弃");
#pragma once

#include <functional>
#include <string>

#include "ui/Controls.h"

namespace frame {

class TFormBuilder {
 public:
  // Controls of form, placed on the form itself or on parent.
  explicit TFormBuilder(ui::TForm& form) : form_(form), parent_(form) {}
  TFormBuilder(ui::TForm& form, ui::TWinControl& parent) : form_(form), parent_(parent) {}

  // The same form's controls placed on parent.
  TFormBuilder In(ui::TWinControl& parent) const { return {form_, parent}; }

  // Any control, by its kind.
  template <class T>
  T* Add(const std::string& name) const {
    return ui::Create<T>(&form_, &parent_, name);
  }
  // Any control with a caption.
  template <class T>
  T* Add(const std::string& name, const char* captionUtf8) const {
    T* control = Add<T>(name);
    control->SetCaption(Text(captionUtf8));
    return control;
  }

  ui::TLabel* Label(const std::string& name, const char* captionUtf8) const;
  // A label whose caption ends at the field beside it.
  ui::TLabel* FieldLabel(const std::string& name, const char* captionUtf8) const;
  // A one-line edit taking at most maxLength bytes (0: no limit).
  ui::TEdit* Edit(const std::string& name, int maxLength = 0) const;
  // A combo box whose text is always one of its items.
  ui::TComboBox* PickList(const std::string& name) const;
  ui::TCheckBox* CheckBox(const std::string& name, const char* captionUtf8) const;
  // A button that runs onClick.
  ui::TButton* Button(const std::string& name, const char* captionUtf8,
                      std::function<void()> onClick = {}) const;
  // The save button ("保存"): disabled until the operator's rights enable it, Enter
  // presses it when isDefault.
  ui::TButton* SaveButton(const std::string& name, std::function<void()> onSave,
                          bool isDefault = true) const;
  // A button that closes the dialog with the cancel result; Escape presses it when
  // byEscape.
  ui::TButton* CloseButton(const std::string& name, const char* captionUtf8,
                           bool byEscape = true) const;

  // A fixed text of the source as the controls hold it (GBK).
  static std::string Text(const char* utf8);

 private:
  ui::TForm& form_;
  ui::TWinControl& parent_;
};

}  // namespace frame
