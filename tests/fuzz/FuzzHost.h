// A stand-in for the host library (qelCommand, qelFileGet) that answers every command with
// the fuzzer's bytes, as a broken or hostile host would.
#pragma once

#include <string_view>

namespace fuzzhost {

// The answer of every following call: cut to the capacity and zero-terminated, or not
// terminated, filling the whole buffer; qelFileGet writes it as the file.
void SetAnswer(std::string_view answer, bool terminated);

}  // namespace fuzzhost
