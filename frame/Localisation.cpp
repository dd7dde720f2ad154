// Localisation from Tavro2007.ini and TavroLang.ini.
#include "frame/Localisation.h"

#include <stdexcept>
#include <string>

#include "frame/CommaList.h"
#include "frame/HostChannel.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "sys/ProcessPaths.h"
#include "ui/Controls.h"
#include "ui/FormDesign.h"

namespace frame {
namespace {

// path's folder followed by "/" and name, without doubling the separator of "/".
std::string InFolder(const std::string& folder, const char* name) {
  if (folder.empty() || folder.back() == '/') {
    return folder + name;
  }
  return folder + "/" + name;
}

// Localises one component from section with the dialog part; true when it set a text.
bool ApplyComponentText(ui::TComponent& component, std::string_view body, std::string_view suffix,
                        std::string_view dialogPart, const sys::IniFile& file,
                        std::string_view section) {
  const std::string_view cls = component.ClassName();
  auto read = [&](std::string_view prefix, std::string_view keySuffix) {
    std::string key(prefix);
    key.append(dialogPart).append("_").append(body).append(keySuffix);
    return GetLangTextOpen(file, section, key, "");
  };
  // Class names are compared exactly: a class derived from these is not touched.
  if (cls == "TLabel" && suffix == "Lbl") {
    const std::string text = read("Lbl_", "_Text");
    if (text.empty()) {
      return false;
    }
    static_cast<ui::TControl&>(component).SetCaption(text);
    return true;
  }
  if ((cls == "TButton" || cls == "TBitBtn") && suffix == "Btn") {
    const std::string text = read("Btn_", "_Name");
    if (text.empty()) {
      return false;
    }
    static_cast<ui::TControl&>(component).SetCaption(text);
    return true;
  }
  if (cls == "TComboBox" && suffix == "Cmb") {
    const std::string text = read("Mnu_", "_List");
    if (text.empty()) {
      return false;
    }
    auto& combo = static_cast<ui::TComboBox&>(component);
    combo.SetItems(SplitCommaList(text));
    combo.SetItemIndex(-1);
    return true;
  }
  if (cls == "TTabSheet" && suffix == "Tab") {
    const std::string text = read("Tab_", "_Text");
    if (text.empty()) {
      return false;
    }
    static_cast<ui::TControl&>(component).SetCaption(text);
    return true;
  }
  return false;
}

}  // namespace

std::string LangIdFrom(std::string_view settingsValue, const sys::LocaleInfo& locale) {
  if (settingsValue == "CN" || settingsValue == "EN" || settingsValue == "JP") {
    return std::string(settingsValue);
  }
  if (locale.primary == sys::kLangChinese) {
    return "CN";
  }
  if (locale.primary == sys::kLangJapanese) {
    return "JP";
  }
  return "EN";
}

std::string LocaleOfLangId(std::string_view langId) {
  if (langId == "CN") {
    return "zh_CN";
  }
  if (langId == "JP") {
    return "ja";
  }
  return "";
}

std::string WarningCaption(std::string_view langId) {
  if (langId == "CN" || langId == "JP") {
    return sys::Utf8ToGbk("警告");
  }
  return "Warning";
}

std::string GetLangId() {
  const std::string settings = InFolder(sys::CurrentFolder(), kSettingsFileName);
  std::string value;
  if (sys::FileExists(settings)) {
    value = sys::IniReadString(settings, "Settings", "LangId", "");
  }
  return LangIdFrom(value, sys::SystemLocale());
}

std::string GetLangFilePath() {
  const std::string exe = sys::ExecutablePath();
  if (exe.empty()) {
    return "";
  }
  const std::string path = InFolder(sys::FolderOf(exe), kLangFileName);
  return sys::FileExists(path) ? path : "";
}

std::string GetLangText(std::string_view section, std::string_view key, std::string_view def) {
  const std::string path = GetLangFilePath();
  if (path.empty()) {
    return "";
  }
  const sys::IniFile file(path);
  return GetLangTextOpen(file, section, key, def);
}

std::string GetLangTextOpen(const sys::IniFile& file, std::string_view section,
                            std::string_view key, std::string_view def) {
  if (!file.Exists()) {
    return "";
  }
  return ShownText(file.ReadString(section, key, def));
}

void ApplyFormLanguage(ui::TForm& form, std::string_view part) {
  const std::string langId = GetLangId();
  const std::string path = GetLangFilePath();
  if (path.empty()) {
    return;
  }
  const sys::IniFile file(path);
  ApplyFormLanguage(form, part, file, langId);
}

void ApplyFormLanguage(ui::TForm& form, std::string_view part, const sys::IniFile& file,
                       std::string_view langId) {
  if (!file.Exists()) {
    return;
  }
  // The caption is set even when the key is missing: the dialog then has none.
  form.SetCaption(GetLangTextOpen(file, langId, "Frm_" + std::string(part) + "Edt_Name", ""));
  for (ui::TComponent* component : form.Components()) {
    const std::string_view name = component->Name;
    const std::size_t split = name.size() >= 3 ? name.size() - 3 : 0;
    const std::string_view body = name.substr(0, split);
    const std::string_view suffix = name.substr(split);
    if (!ApplyComponentText(*component, body, suffix, part, file, langId)) {
      ApplyComponentText(*component, body, suffix, "Common", file, langId);
    }
  }
}

void ApplyFontRule(ui::TForm& form, std::string_view langId) {
  if (langId != "EN") {
    return;
  }
  ui::TFont font = form.Font();
  font.Name = sys::Utf8ToGbk("宋体");
  font.Size = 10;
  font.Charset = 134;
  form.SetFont(font);
}

void ApplyLayoutTexts(ui::TForm& form, std::string_view layout, const sys::IniFile& file,
                      std::string_view langId) {
  const ui::TDesignText design(layout);
  if (!design.Design().TextKey.empty()) {
    form.SetCaption(GetLangTextOpen(file, langId, design.Design().TextKey, ""));
  }
  for (const ui::TPlacement& place : design.Design().Places) {
    if (place.TextKey.empty()) {
      continue;
    }
    auto* control = ui::FindAs<ui::TControl>(form, place.Name);
    if (control == nullptr) {
      throw std::logic_error("layout of " + form.Name + ": no control named " +
                             std::string(place.Name));
    }
    control->SetCaption(GetLangTextOpen(file, langId, place.TextKey, ""));
  }
}

}  // namespace frame
