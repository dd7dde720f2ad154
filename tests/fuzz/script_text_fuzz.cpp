// Fuzz target: the operator-script reader (ui/script/ScriptText). Checked: lines in order and
// tokenized as said, the two splits agree, a shown text reads back as one token of its bytes.
#include <vector>

#include "tests/fuzz/FuzzSupport.h"
#include "ui/script/ScriptText.h"

namespace {

// A shown text, quoted, is one quoted token that holds exactly the text's bytes.
void CheckShownReadsBack(std::string_view gbk) {
  std::vector<ui::ScriptToken> tokens;
  FUZZ_CHECK(!ui::TokenizeLine(ui::QuoteText(gbk), tokens));
  FUZZ_CHECK(tokens.size() == 1 && tokens[0].Quoted && tokens[0].Text == gbk);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  int last = 0;
  for (const ui::ScriptLine& line : ui::ParseScript(text)) {
    FUZZ_CHECK(line.Number > last);
    last = line.Number;
    FUZZ_CHECK(!line.Source.empty() && line.Source.front() != '#');
    std::vector<ui::ScriptToken> tokens;
    const std::optional<std::string> error = ui::TokenizeLine(line.Source, tokens);
    FUZZ_CHECK(error.value_or("") == line.Error);
    std::vector<std::string> plain;
    std::string why;
    const bool split = ui::SplitTokens(line.Source, plain, why);
    if (line.Error.empty()) {
      FUZZ_CHECK(split && plain.size() == line.Tokens.size() && !line.Tokens.empty());
      for (const ui::ScriptToken& token : line.Tokens) {
        CheckShownReadsBack(token.Text);
      }
    } else {
      FUZZ_CHECK(line.Tokens.empty());
      FUZZ_CHECK(split || !why.empty());
    }
  }

  CheckShownReadsBack(text);
  std::string back;
  std::string why;
  FUZZ_CHECK(ui::Unescape(ui::Utf8ToShown(text), back, why) && back == text);
  return 0;
}
