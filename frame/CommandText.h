// Host command texts written like their templates: "MN_GetPropOfAccount %s,%s" filled
// with quoted texts and plain decimal numbers.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace frame {

// A command's text argument: in single quotes, inner single quotes doubled. GBK text
// needs no care: a trail byte is never a quote.
std::string Quoted(std::string_view text);

// One argument of FormatCommand: a GBK text for "%s" or a signed 32-bit number for "%d".
// The text is viewed, not copied: it must outlive the FormatCommand call, as the
// temporaries of a braced argument list do.
class CommandArg {
 public:
  CommandArg(std::string_view text) : text_(text), isText_(true) {}
  CommandArg(const char* text) : CommandArg(std::string_view(text)) {}
  CommandArg(const std::string& text) : CommandArg(std::string_view(text)) {}
  CommandArg(std::int32_t number) : number_(number) {}
  // Any other number type (size_t, int64_t, bool, char, double) would be narrowed or
  // taken for something it is not: the caller converts it explicitly. An std::int32_t
  // still takes the constructor above, which wins over these templates.
  template <std::integral T>
  CommandArg(T) = delete;
  template <std::floating_point T>
  CommandArg(T) = delete;

  bool IsText() const { return isText_; }
  std::string_view Text() const { return text_; }
  std::int32_t Number() const { return number_; }

 private:
  std::string_view text_;
  std::int32_t number_ = 0;
  bool isText_ = false;
};

// The template with each "%s" replaced by the next argument's text, quoted, and each
// "%d" by the next argument's number in decimal; "%S" and "%D" are the same. Every
// other byte is copied. Arguments are taken whole: a caller that sends a field cuts it
// to the field's length first.
//
// A directive without an argument of its kind, an argument left over, or a '%' that
// starts no directive is a fault of the calling code: std::logic_error.
std::string FormatCommand(std::string_view templ, std::initializer_list<CommandArg> args);
// The same with arguments gathered at run time (a record's fields).
std::string FormatCommand(std::string_view templ, std::span<const CommandArg> args);

}  // namespace frame
