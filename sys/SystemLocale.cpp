// The system locale on Linux: named by the environment (sys/Locale.h says how).
#include <cstdlib>

#include "sys/Locale.h"

namespace sys {

LocaleInfo SystemLocale() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (value != nullptr && *value != '\0') {
      return LocaleFromName(value);
    }
  }
  return LocaleFromName("C");
}

}  // namespace sys
