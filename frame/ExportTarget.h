// The file an export writes, as the operator named it: its name in the file system, and
// the question before whatever stands at that name is replaced. Shared by the exports
// of the customer and user dialogs, so that both ask alike.
#pragma once

#include <optional>
#include <string>

#include "sys/Abi.h"

namespace frame {

// The file system's form of a file name the operator typed or chose (GBK). A name the
// file system's character set cannot hold names no file: the box
// "导出文件名中有文件系统不支持的字符，请重新输入！" says so, and the result is empty.
std::optional<std::string> ExportFileSystemName(const std::string& typed);

// True when nothing stands at path, or the operator agrees to replace it: the Yes/No box
// "导出文件已经存在，将覆盖原文件，是否继续？" titled "覆盖确认", owned by the shell's
// window when one is given. Anything at that name is asked about, a link or a folder
// too, since the export puts its new file in its place.
bool MayReplaceExportFile(HWND_T shellWnd, const std::string& path);

}  // namespace frame
