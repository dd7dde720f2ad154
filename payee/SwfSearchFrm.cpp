#include "payee/SwfSearchFrm.h"

namespace payee {

// Placeholder until the dialog lands: nothing chosen.
std::string ShowSwiftSearch(HWND_T /*owner*/, const std::string& /*initialCode*/) { return {}; }

}  // namespace payee
