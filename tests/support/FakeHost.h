// An in-process host library: records every call byte for byte and answers from the
// OnAny handler, exact commands (prefix stripped), prefixes, then the fallback. Answers are
// cut to the capacity and zero-terminated unless an unterminated form is asked for; for
// qelFileGet the text (or fromFile) becomes the named file unless writeFile is off.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sys/Abi.h"

namespace fakehost {

inline constexpr std::size_t kErrorBufferSize = 128;

struct Answer {
  std::int32_t status = 0;
  std::string text;   // raw GBK
  std::string error;  // written on any status
  bool zeroTerminated = true;
  bool errorZeroTerminated = true;
  bool writeFile = true;  // qelFileGet only
  std::string fromFile;   // qelFileGet only

  static Answer Ok(std::string text) {
    Answer a;
    a.text = std::move(text);
    return a;
  }
  static Answer Fail(std::int32_t status, std::string error) {
    Answer a;
    a.status = status;
    a.error = std::move(error);
    return a;
  }
  static Answer Unterminated(std::string text) {
    Answer a = Ok(std::move(text));
    a.zeroTerminated = false;
    return a;
  }
};

struct Call {
  bool file = false;  // qelFileGet rather than qelCommand
  HWND_T window = 0;
  std::string sent;  // the length bytes passed, prefix included
  std::int32_t length = 0;
  bool lengthMatches = false;  // no zero byte before length, a zero at length
  std::string prefix;          // "A01", "A03" or empty
  std::string command;         // sent without prefix and separator
  std::int32_t capacity = 0;   // qelCommand only
  std::string fileName;        // qelFileGet only
  std::int32_t mode = 0;
};

void Reset();
void On(std::string_view command, Answer answer);
void OnPrefix(std::string_view prefix, Answer answer);
void SetFallback(Answer answer);
void OnAny(std::function<Answer(const Call&)> handler);  // nullptr removes it
const std::vector<Call>& Calls();
const Call& LastCall();  // fails the test when there is none

}  // namespace fakehost
