// A stand-in module whose entry points misbehave as the Key asks, so that the shell's
// printing, transcripts and exit statuses are checked without the real module.
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

void Append(const char* name, const std::string& line) {
  if (std::FILE* f = name != nullptr && *name != 0 ? std::fopen(name, "ab") : nullptr) {
    std::fputs(line.c_str(), f);
    std::fclose(f);
  }
}

void CopyText(char* target, std::size_t size, const std::string& text) {
  std::memset(target, 0, size);
  text.copy(target, std::min(text.size(), size - 1));
}

// The transcript lines of the keys "script-error", "message", "signal-N" and "box-N".
std::string TranscriptLine(const std::string& key) {
  static const char* const kBoxes[] = {
      "message ok error \"ManageEdit\" \"cannot create p/tavro-print-1.pdf: No such file\" -> ok\n",
      "message ok none \"ManageEdit\" \"Error:timeout\" -> ok\n",
      "message ok none \"Error:\" \"saved, no Error:\" -> ok\n",
  };
  if (key == "script-error") {
    return "error 1 \"no such control\"\n";
  }
  if (key == "message") {
    return "message ok none \"\" \"hi\" -> ok\n";
  }
  if (key.starts_with("signal-")) {
    return "message ok none \"\" \"interrupted\" -> ok\n";
  }
  const std::size_t n = key.starts_with("box-") ? std::strtoul(key.c_str() + 4, nullptr, 10) : 99;
  return n < std::size(kBoxes) ? kBoxes[n] : "";
}

}  // namespace

// "echo" logs what it received (and the script) to FAKE_MODULE_LOG; "raise", "raise-other"
// raise; "signal-N" raises signal N mid-call; "full" leaves Text without a zero byte.
// Otherwise Code = FunctionId, Text = Key.
TAVRO_EXPORT void TAVRO_STDCALL Mn_UserEdit(TShellResult* Result, HWND_T ShellWnd,
                                            const char* CorpNo, const char* UserNo,
                                            std::int32_t FunctionId, const char* Key,
                                            const char* Extra) {
  const std::string key = Text(Key, 51);
  if (key == "raise") {
    throw std::runtime_error("Fake\x07 failure \xD6\xD0");
  }
  if (key == "raise-other") {
    throw 42;
  }
  Append(std::getenv("TAVRO_UI_TRANSCRIPT"), TranscriptLine(key));
  if (key.starts_with("signal-")) {
    std::raise(std::atoi(key.c_str() + 7));
  }
  if (key == "echo") {
    const char* script = std::getenv("TAVRO_UI_SCRIPT");
    Append(std::getenv("FAKE_MODULE_LOG"),
           "window=" + std::to_string(ShellWnd) + " corp=" + Text(CorpNo, 64) + " user=" +
               Text(UserNo, 64) + " function=" + std::to_string(FunctionId) + " key=" + key +
               " extra=" + Text(Extra, 64) + " script=" + (script != nullptr ? script : "") + "\n");
  }
  Result->Code = FunctionId;
  CopyText(Result->Text, sizeof Result->Text, key);
  if (key == "full") {
    std::memset(Result->Text, 'x', sizeof Result->Text);
  }
}

// "rows": a layout and a rows file in TMPDIR. "missing": a file name that does not
// exist. "unterminated": both texts without a zero byte. Otherwise no file.
TAVRO_EXPORT void TAVRO_STDCALL Mn_GetCheckList(TFolderList* Result, HWND_T /*ShellWnd*/,
                                                const char* /*CorpNo*/, const char* /*UserNo*/,
                                                std::int32_t /*FunctionId*/, const char* Key) {
  const std::string key = Text(Key, 51);
  CopyText(Result->ColumnLayout, sizeof Result->ColumnLayout,
           "\xD2\xB5\xCE\xF1\x07"
           "15\r\nPay Amount\x07"
           "8\r\n");
  if (key == "rows") {
    const char* tmp = std::getenv("TMPDIR");
    const std::string name = std::string(tmp != nullptr ? tmp : "/tmp") + "/fake-rows";
    Append(name.c_str(),
           "A1\x07\xD6\xD0\x07"
           "1.00\r\n\r\nA2\x07\"q\"\x07\n");
    CopyText(Result->FileName, sizeof Result->FileName, name);
  } else if (key == "missing") {
    CopyText(Result->FileName, sizeof Result->FileName, "/nonexistent-folder/rows");
  } else if (key == "unterminated") {
    std::memset(Result->ColumnLayout, 'c', sizeof Result->ColumnLayout);
    std::memset(Result->FileName, 'f', sizeof Result->FileName);
  }
}
