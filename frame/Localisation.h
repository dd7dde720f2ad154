// Localisation: the language id, the language file beside the program, text lookups,
// the walker that localises a dialog by the names of its controls, and the font rule.
#pragma once

#include <string>
#include <string_view>

#include "sys/IniFile.h"
#include "sys/Locale.h"

namespace ui {
class TForm;
}

namespace frame {

inline constexpr char kSettingsFileName[] = "Tavro2007.ini";
inline constexpr char kLangFileName[] = "TavroLang.ini";

// "CN", "EN" or "JP": LangId of section Settings of Tavro2007.ini in the current folder
// when it is exactly one of the three, else decided by the system locale.
std::string GetLangId();

// The decision of GetLangId on a settings value and a locale: Chinese gives "CN",
// Japanese "JP", anything else "EN".
std::string LangIdFrom(std::string_view settingsValue, const sys::LocaleInfo& locale);

// The locale whose texts a language id's dialogs speak, for the platform's own texts
// (ui::Platform::SetLanguage): "CN" Simplified Chinese, "JP" Japanese, else none
// (English).
std::string LocaleOfLangId(std::string_view langId);

// The caption of the platform's standard warning box (GBK) in a language id's language:
// the platform's own word, which the language file does not carry.
std::string WarningCaption(std::string_view langId);

// TavroLang.ini in the running program's folder; empty when there is no such file.
std::string GetLangFilePath();

// One value of the language file, shown as the operator sees it (Big5 on a
// Traditional-Chinese system). Without a language file the result is empty, not def;
// with the file but without the key it is def.
std::string GetLangText(std::string_view section, std::string_view key, std::string_view def);

// The same on a language file the caller has opened once for many keys.
std::string GetLangTextOpen(const sys::IniFile& file, std::string_view section,
                            std::string_view key, std::string_view def);

// Localises the dialog from the language file by the names of its controls: its
// caption from "Frm_" part "Edt_Name", then each label, button, bitmap button, combo
// box and tab sheet it owns from its own key, else from the "Common" one. Does nothing
// without a language file.
void ApplyFormLanguage(ui::TForm& form, std::string_view part);

// The walker on a language file the caller has opened, for the language langId.
void ApplyFormLanguage(ui::TForm& form, std::string_view part, const sys::IniFile& file,
                       std::string_view langId);

// The font rule: for "EN" the dialog's font becomes "宋体" (in GBK), 10 points, character
// set 134 (GB2312); "CN" and "JP" keep the designed font.
void ApplyFontRule(ui::TForm& form, std::string_view langId);

// The captions a form's layout text names (its rows' and its own text keys, see
// ui/FormDesign.h), from an opened language file in langId's section; a key the file
// lacks leaves its control without a caption. A row naming no control of the form is a
// fault of the layout: std::logic_error.
void ApplyLayoutTexts(ui::TForm& form, std::string_view layout, const sys::IniFile& file,
                      std::string_view langId);

}  // namespace frame
