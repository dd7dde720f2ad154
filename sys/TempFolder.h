// The module's private temporary folder, where result files, the rights file and the
// function cache live.
//
// The base is $TMPDIR when it is set and not empty, else /tmp; a link in $TMPDIR is
// followed (the user chose the path) and the rules apply to the folder it names:
// - the base must be a directory owned by the user or by root, else it is refused;
// - a base owned by the user that no one else may write to is used as it is;
// - a base others may write to is used only when it has the sticky bit (as /tmp has),
//   and then through a per-user folder "tavro-<uid>" inside it, created with mode 0700;
//   that folder is refused when it is a link, not a directory, or not the user's, and
//   its mode is narrowed to 0700 when it is wider;
// - anything else is refused.
// A refusal throws std::runtime_error with the folder and the reason.
#pragma once

#include <string>

namespace sys {

// The folder's path, ending in '/'. Checked (and created) on every call.
std::string TempFolder();

}  // namespace sys
