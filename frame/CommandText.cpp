#include "frame/CommandText.h"

#include <stdexcept>

namespace frame {
namespace {

[[noreturn]] void Fail(std::string_view templ, std::string_view what) {
  throw std::logic_error("command template \"" + std::string(templ) + "\": " + std::string(what));
}

}  // namespace

std::string Quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '\'';
  for (char c : text) {
    if (c == '\'') {
      out += '\'';
    }
    out += c;
  }
  out += '\'';
  return out;
}

std::string FormatCommand(std::string_view templ, std::initializer_list<CommandArg> args) {
  return FormatCommand(templ, std::span<const CommandArg>(args.begin(), args.size()));
}

std::string FormatCommand(std::string_view templ, std::span<const CommandArg> args) {
  std::string out;
  out.reserve(templ.size() + 16 * args.size());
  auto next = args.begin();
  std::size_t index = 0;  // of the next argument, for the messages
  for (std::size_t i = 0; i < templ.size(); ++i) {
    if (templ[i] != '%') {
      out += templ[i];
      continue;
    }
    if (i + 1 == templ.size()) {
      Fail(templ, "'%' at the end");
    }
    const char kind = templ[++i];
    const bool wantsText = kind == 's' || kind == 'S';
    if (!wantsText && kind != 'd' && kind != 'D') {
      Fail(templ, "unknown directive '%" + std::string(1, kind) + "'");
    }
    if (next == args.end()) {
      Fail(templ, "more directives than the " + std::to_string(args.size()) + " arguments");
    }
    if (next->IsText() != wantsText) {
      Fail(templ, "argument " + std::to_string(index + 1) + " is a " +
                      (next->IsText() ? "text" : "number") + " for '%" + std::string(1, kind) +
                      "'");
    }
    if (wantsText) {
      out += Quoted(next->Text());
    } else {
      out += std::to_string(next->Number());
    }
    ++next;
    ++index;
  }
  if (next != args.end()) {
    Fail(templ, std::to_string(args.size() - index) + " argument(s) left over after " +
                    std::to_string(index) + " directive(s)");
  }
  return out;
}

}  // namespace frame
