// A stand-in for the host library whose every answer is the fuzzer's input: defines
// qelCommand and qelFileGet, which answer any command with the bytes set here, so the
// module's readers of host answers (the channel, the fillers, the record reads) take
// them as they would take a broken or hostile host's.
#pragma once

#include <string_view>

namespace fuzzhost {

// The answer of every following call. qelCommand writes it as the host does, cut to
// the capacity and zero-terminated, or with terminated false as a host that forgets the
// zero: as many bytes as the whole buffer holds. qelFileGet writes it as the file.
void SetAnswer(std::string_view answer, bool terminated);

}  // namespace fuzzhost
