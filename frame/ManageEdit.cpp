// The frame that the module's dialog entry points share.
#include "frame/ManageEdit.h"

#include <cstring>

#include "frame/GbkText.h"

namespace frame {

std::string ReadTextParam(const char* text, std::size_t maxBytes) {
  if (text == nullptr) {
    return "";
  }
  const std::size_t length = ::strnlen(text, maxBytes);
  std::string_view read(text, length);
  // Stopped by the limit inside a double-byte character: its lead byte alone is no
  // character, so it is left out.
  if (length == maxBytes && length > 0) {
    std::size_t pos = 0;
    while (pos + 1 < length) {
      pos += GbkCharLength(read, pos);
    }
    if (pos == length - 1 && IsGbkLeadByte(static_cast<unsigned char>(read[pos]))) {
      read = read.substr(0, pos);
    }
  }
  return std::string(read);
}

EntryArgs ReadEntryArgs(const DialogEntrySpec& shape, HWND_T shellWnd, const char* corpNo,
                        const char* userNo, std::int32_t functionId, const char* key,
                        const char* extra) {
  EntryArgs args;
  args.ShellWnd = shellWnd;
  args.CorpNo = ReadTextParam(corpNo, kCorpNoLen);
  args.UserNo = ReadTextParam(userNo, kUserNoLen);
  args.FunctionId = functionId;
  args.Key = std::string(GbkCut(ReadTextParam(key, kKeyParamBytes), shape.KeyLen));
  args.Extra = std::string(GbkCut(ReadTextParam(extra, kKeyParamBytes), kKeyLen));
  return args;
}

void DialogEntryCall::ClearResult() {
  if (result_ != nullptr) {
    *result_ = kZeroShellResult;
  }
}

void DialogEntryCall::SetResult(const TShellResult& result) {
  if (result_ == nullptr) {
    return;
  }
  result_->Code = result.Code;
  CopyToField(result_->Text, FieldText(result.Text));
}

}  // namespace frame
