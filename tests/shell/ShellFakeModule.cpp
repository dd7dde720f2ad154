// A stand-in module for the shell's own tests: a few entry points whose behaviour the
// Key selects, so the shell's printing, transcript handling and exit statuses can be
// checked without the real module.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string>

#include "sys/Abi.h"

namespace {

std::string Text(const char* text, std::size_t limit) {
  return text == nullptr ? "(null)" : std::string(text, strnlen(text, limit));
}

void AppendTo(const char* envName, const std::string& line) {
  const char* name = std::getenv(envName);
  if (name == nullptr || *name == 0) {
    return;
  }
  if (std::FILE* f = std::fopen(name, "ab"); f != nullptr) {
    std::fputs(line.c_str(), f);
    std::fclose(f);
  }
}

void CopyText(char* target, std::size_t size, const std::string& text) {
  std::memset(target, 0, size);
  text.copy(target, std::min(text.size(), size - 1));
}

}  // namespace

// Message boxes the "box-N" keys record in the transcript.
constexpr const char* kBoxes[] = {
    "message ok error \"ManageEdit\" \"cannot create p/tavro-print-1.pdf: No such file\" -> ok\n",
    "message ok none \"ManageEdit\" \"Error:timeout\" -> ok\n",
    "message ok none \"Error:\" \"saved, no Error:\" -> ok\n",
    "message yesno warning \"ManageEdit\" \"Overwrite?\" -> yes\n",
};

// "echo": logs what it received (and the script it would run) to FAKE_MODULE_LOG and
// answers Code = FunctionId, Text = Key. "raise", "raise-other": raises. "signal-N":
// the process gets signal N in the middle of the call, as from Ctrl-C or kill.
// "script-error": records a script error in the transcript. "full": a Text without a
// zero byte. "message": records an informational box in the transcript, "box-N" box N
// of kBoxes.
TAVRO_EXPORT void TAVRO_STDCALL Mn_UserEdit(TShellResult* Result, HWND_T ShellWnd,
                                            const char* CorpNo, const char* UserNo,
                                            std::int32_t FunctionId, const char* Key,
                                            const char* Extra) {
  std::string key = Text(Key, 51);
  if (key == "raise") {
    throw std::runtime_error("Fake\x07 failure \xD6\xD0");
  }
  if (key == "raise-other") {
    throw 42;
  }
  if (key.rfind("signal-", 0) == 0) {
    AppendTo("TAVRO_UI_TRANSCRIPT", "message ok none \"\" \"interrupted\" -> ok\n");
    std::raise(std::atoi(key.c_str() + 7));
  }
  if (key == "script-error") {
    AppendTo("TAVRO_UI_TRANSCRIPT", "error 1 \"no such control\"\n");
  }
  if (key == "message") {
    AppendTo("TAVRO_UI_TRANSCRIPT", "message ok none \"\" \"hi\" -> ok\n");
  }
  if (key.rfind("box-", 0) == 0) {
    const std::size_t n = std::strtoul(key.c_str() + 4, nullptr, 10);
    if (n < std::size(kBoxes)) {
      AppendTo("TAVRO_UI_TRANSCRIPT", kBoxes[n]);
    }
  }
  if (key == "echo") {
    const char* script = std::getenv("TAVRO_UI_SCRIPT");
    AppendTo("FAKE_MODULE_LOG", "window=" + std::to_string(ShellWnd) + " corp=" + Text(CorpNo, 64) +
                                    " user=" + Text(UserNo, 64) +
                                    " function=" + std::to_string(FunctionId) + " key=" + key +
                                    " extra=" + Text(Extra, 64) +
                                    " script=" + (script != nullptr ? script : "") + "\n");
  }
  Result->Code = FunctionId;
  CopyText(Result->Text, sizeof Result->Text, key);
  if (key == "full") {
    std::memset(Result->Text, 'x', sizeof Result->Text);
  }
}

// "rows": a layout and a rows file in TMPDIR. "none": no file. "missing": a file name
// that does not exist. "unterminated": both texts without a zero byte.
TAVRO_EXPORT void TAVRO_STDCALL Mn_GetCheckList(TFolderList* Result, HWND_T /*ShellWnd*/,
                                                const char* /*CorpNo*/, const char* /*UserNo*/,
                                                std::int32_t /*FunctionId*/, const char* Key) {
  std::string key = Text(Key, 51);
  CopyText(Result->ColumnLayout, sizeof Result->ColumnLayout,
           "\xD2\xB5\xCE\xF1\x07"
           "15\r\nPay Amount\x07"
           "8\r\n");
  if (key == "rows") {
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp != nullptr ? tmp : "/tmp") + "/fake-rows";
    if (std::FILE* f = std::fopen(name.c_str(), "wb"); f != nullptr) {
      std::fputs(
          "A1\x07\xD6\xD0\x07"
          "1.00\r\n\r\nA2\x07\"q\"\x07\n",
          f);
      std::fclose(f);
    }
    CopyText(Result->FileName, sizeof Result->FileName, name);
  } else if (key == "missing") {
    CopyText(Result->FileName, sizeof Result->FileName, "/nonexistent-folder/rows");
  } else if (key == "unterminated") {
    std::memset(Result->ColumnLayout, 'c', sizeof Result->ColumnLayout);
    std::memset(Result->FileName, 'f', sizeof Result->FileName);
  }
}
