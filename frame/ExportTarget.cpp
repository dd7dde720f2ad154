// The export's target file.
#include "frame/ExportTarget.h"

#include "frame/HostChannel.h"
#include "sys/CodePage.h"
#include "sys/FileSystemName.h"
#include "sys/Files.h"
#include "ui/Platform.h"

namespace frame {

std::optional<std::string> ExportFileSystemName(const std::string& typed) {
  std::optional<std::string> name = sys::FileSystemName(typed);
  if (!name) {
    ShowFixedText("导出文件名中有文件系统不支持的字符，请重新输入！");
  }
  return name;
}

bool MayReplaceExportFile(HWND_T shellWnd, const std::string& path) {
  if (!sys::PathExists(path)) {
    return true;
  }
  std::optional<ui::OwnerWindowScope> owner;
  if (shellWnd != 0) {
    owner.emplace(shellWnd);
  }
  return ui::AskYesNo(ShownText(sys::Utf8ToGbk("覆盖确认")),
                      ShownText(sys::Utf8ToGbk("导出文件已经存在，将覆盖原文件，是否继续？")));
}

}  // namespace frame
