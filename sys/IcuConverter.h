// ICU converters as the module opens them: owned by a unique_ptr, named by code page,
// and optionally strict (a byte or character the other side lacks stops the conversion
// instead of becoming a substitute).
#pragma once

#include <unicode/ucnv.h>

#include <memory>

#include "sys/CodePage.h"

namespace sys {

struct IcuConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using IcuConverter = std::unique_ptr<UConverter, IcuConverterCloser>;

// ICU's name of the table that stands for the platform's code page.
const char* IcuConverterName(CodePage cp);

enum class Strictness { Substitute, StopDecoding, StopEncoding, StopBoth };

// Opens a converter; throws std::runtime_error naming the table when ICU lacks it.
IcuConverter OpenIcuConverter(const char* name, Strictness strictness = Strictness::Substitute);
IcuConverter OpenIcuConverter(CodePage cp, Strictness strictness = Strictness::Substitute);

}  // namespace sys
