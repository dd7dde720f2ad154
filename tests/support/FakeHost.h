// An in-process stand-in for the host library: defines qelCommand and qelFileGet,
// records every call byte for byte and answers from a table.
//
// API (namespace fakehost):
//   Reset()                         forget every call and every answer
//   On(command, answer)             answer for this exact command text (without the
//                                   channel prefix; the prefix is whatever precedes the
//                                   first 0x07 when the first 3 bytes are letters/digits)
//   OnPrefix(prefix, answer)        answer for commands that begin with prefix (first
//                                   registered match wins, after exact matches)
//   SetFallback(answer)             answer for everything else (default: status 0, empty)
//   OnAny(handler)                  a function that answers every call itself (wins over
//                                   the table; pass nullptr to remove)
//   Calls()                         every call in order (Call below)
//   LastCall()                      the last call; fails the test when there is none
//
// An answer is written the way the real host writes it: the text cut to the capacity and
// a zero byte after it. Answer::Unterminated() writes the bytes as given with no zero byte,
// up to the whole buffer (capacity + 1 bytes), to test readers against a host that forgets
// the terminator; Answer::ErrorUnterminated fills the 128-byte error buffer without a zero.
// For qelFileGet the text (or the file at fromFile, hard-linked or copied) becomes the
// named file; writeFile = false leaves no file behind.
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
  std::string text;            // answer bytes (raw; GBK)
  std::string error;           // error text, written on any status
  bool zeroTerminated = true;  // false: no zero byte after the answer
  bool errorZeroTerminated = true;
  bool writeFile = true;  // qelFileGet: create the named file
  std::string fromFile;   // qelFileGet: the answer is this file's content

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
  std::string sent;            // the exact bytes passed (length bytes), prefix included
  std::int32_t length = 0;     // the length argument
  bool lengthMatches = false;  // sent has no zero byte before length and a zero at length
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
void OnAny(std::function<Answer(const Call&)> handler);
const std::vector<Call>& Calls();
const Call& LastCall();

}  // namespace fakehost
