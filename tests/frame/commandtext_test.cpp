#include "frame/CommandText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace {

using frame::CommandArg;
using frame::FormatCommand;

// Only texts and 32-bit numbers are arguments; wider or other number types must be
// converted by the caller, not narrowed here.
static_assert(std::is_convertible_v<std::int32_t, CommandArg>);
static_assert(std::is_convertible_v<std::string, CommandArg>);
static_assert(std::is_convertible_v<const char*, CommandArg>);
static_assert(!std::is_convertible_v<std::size_t, CommandArg>);
static_assert(!std::is_convertible_v<std::int64_t, CommandArg>);
static_assert(!std::is_convertible_v<bool, CommandArg>);
static_assert(!std::is_convertible_v<char, CommandArg>);
static_assert(!std::is_convertible_v<double, CommandArg>);

struct Filled {
  const char* what;
  std::string got;
  std::string want;
};

TEST(FormatCommand, FillsTemplatesWithQuotedTextsAndDecimalNumbers) {
  const Filled cases[] = {
      {"no directives", FormatCommand("MN_GetCurrencyCodeList", {}), "MN_GetCurrencyCodeList"},
      {"empty text", FormatCommand("MN_GetCorpName %s", {""}), "MN_GetCorpName ''"},
      {"inner quotes doubled", FormatCommand("MN_GetPropOfUser %s", {"O'Brien"}),
       "MN_GetPropOfUser 'O''Brien'"},
      {"quotes only", FormatCommand("MN_GetPropOfUser %s", {"''"}), "MN_GetPropOfUser ''''''"},
      // Trail bytes 0x5C ('\'), 0x60 ('`') and 0x7C ('|') are no quotes and stay single.
      {"GBK trail bytes", FormatCommand("MN_GetCorpName %s", {"\x95\x5C\x81\x60\xCD\xF5\x81\x7C"}),
       "MN_GetCorpName '\x95\x5C\x81\x60\xCD\xF5\x81\x7C'"},
      {"GBK next to a quote", FormatCommand("MN_GetCorpName %s", {"\xCD\xF5'\xB0\xA1"}),
       "MN_GetCorpName '\xCD\xF5''\xB0\xA1'"},
      {"directives inside an argument stay text",
       FormatCommand("MN_GetPropOfAccount %s,%s", {"%s%d", "100%"}),
       "MN_GetPropOfAccount '%s%d','100%'"},
      {"blanks of the template kept", FormatCommand("Sh_GetFunctionName  %d,%d", {1203, 0}),
       "Sh_GetFunctionName  1203,0"},
      {"number limits", FormatCommand("X %d,%d,%d", {INT32_MIN, -1, INT32_MAX}),
       "X -2147483648,-1,2147483647"},
      {"upper-case directives", FormatCommand("MB_GetSwfAddress %S,%D", {std::string("AB'C"), 7}),
       "MB_GetSwfAddress 'AB''C',7"},
      {"mixed, adjacent directives", FormatCommand("%d%s", {-5, "a"}), "-5'a'"},
      {"mixed record update",
       FormatCommand(
           "MN_UpdateCustAcRec %d,%d,%s,%s,%s,%s,%s,%d,%s,%s,%s,%s,%d",
           {12, 345, "C1", "0001", "USD", "AC'9", "", 77, "A", "BA", "L1\016L2", "OP", 2}),
       "MN_UpdateCustAcRec 12,345,'C1','0001','USD','AC''9','',77,'A','BA','L1\016L2','OP',2"},
  };
  for (const Filled& c : cases) {
    EXPECT_EQ(c.got, c.want) << c.what;
  }
}

struct Misuse {
  const char* what;
  std::function<std::string()> call;
};

TEST(FormatCommand, MisusedTemplatesAreLogicErrors) {
  const Misuse cases[] = {
      {"argument missing", [] { return FormatCommand("MN_GetPropOfAccount %s,%s", {"a"}); }},
      {"no arguments at all", [] { return FormatCommand("MN_GetPropOfCustAc %d", {}); }},
      {"argument left over",
       [] {
         return FormatCommand("MN_GetPropOfUser %s", {"a", "b"});
       }},
      {"arguments without directives", [] { return FormatCommand("MN_GetCurrencyCodeList", {1}); }},
      {"text for %d", [] { return FormatCommand("MN_GetPropOfCustAc %d", {"7"}); }},
      {"number for %s", [] { return FormatCommand("MN_GetPropOfUser %s", {7}); }},
      {"kinds swapped later on",
       [] {
         return FormatCommand("Sh_GetNodeRight %s,%s,%d", {"c", 1, "u"});
       }},
      {"unknown directive", [] { return FormatCommand("X %x", {"a"}); }},
      {"percent sign unsupported", [] { return FormatCommand("X 100%%", {}); }},
      {"percent sign at the end", [] { return FormatCommand("X %s%", {"a"}); }},
  };
  for (const Misuse& c : cases) {
    EXPECT_THROW(c.call(), std::logic_error) << c.what;
  }
}

TEST(FormatCommand, MisuseMessageNamesTheTemplateAndTheArgument) {
  try {
    FormatCommand("Sh_GetNodeRight %s,%s,%d", {"c", 1, 2});
    FAIL() << "no exception";
  } catch (const std::logic_error& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("Sh_GetNodeRight %s,%s,%d"), std::string::npos) << message;
    EXPECT_NE(message.find("argument 2"), std::string::npos) << message;
  }
}

}  // namespace
