// Every example of examples/, and the example of docs/operator-scripts.md, runs green
// (--strict: no error box either) on a fresh demonstration bank of its own, from a folder
// that is not the repository root, and hands back the result its comment shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/FreshBankTest.h"
#include "tests/support/ShellSandbox.h"

namespace {

// The result record the example's comment shows ("#   Code=1 Text=..."), with the
// summary lines shown right under it, if any.
std::string DocumentedResult(const std::string& script) {
  std::string result;
  for (const std::string& line : e2e::Lines(script)) {
    const bool summary = !result.empty() && line.rfind("#   summary ", 0) == 0;
    if (line.rfind("#   Code=", 0) == 0 || summary) {
      result += line.substr(4) + "\n";
    } else if (!result.empty()) {
      break;
    }
  }
  return result;
}

class FreshBank : public tavro_test::FreshBankTest {};

class ExampleOnAFreshBank : public FreshBank, public ::testing::WithParamInterface<std::string> {};

TEST_P(ExampleOnAFreshBank, RunsGreenAndHandsBackWhatItsCommentSays) {
  const std::string name = GetParam();
  const auto r =
      box_.Shell({"run", std::string(TAVRO_SOURCE_DIR) + "/examples/" + name, "--strict"});
  ASSERT_EQ(r.status, 0) << name << "\n" << r.out << r.err;
  const std::string result = DocumentedResult(e2e::ReadSource("examples/" + name));
  if (!result.empty()) {
    EXPECT_EQ(r.out, result) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleOnAFreshBank, ::testing::ValuesIn(e2e::ExampleScripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string id = info.param.substr(0, info.param.rfind('.'));
                           std::replace(id.begin(), id.end(), '-', '_');
                           return id;
                         });

// The code blocks of a Markdown section, in order.
std::vector<std::string> CodeBlocks(const std::string& markdown, const std::string& heading) {
  std::vector<std::string> blocks;
  const std::size_t start = markdown.find("\n" + heading + "\n");
  if (start == std::string::npos) {
    return blocks;
  }
  const std::size_t end = markdown.find("\n## ", start + heading.size() + 2);
  std::istringstream in(markdown.substr(start, end - start));
  std::string block;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("```", 0) == 0) {
      if (inside) {
        blocks.push_back(block);
        block.clear();
      }
      inside = !inside;
    } else if (inside) {
      block += line + "\n";
    }
  }
  return blocks;
}

// The documentation's example runs as shown, with the transcript shown after it.
TEST_F(FreshBank, TheDocumentationsExampleRunsAsShown) {
  const std::vector<std::string> blocks =
      CodeBlocks(e2e::ReadSource("docs/operator-scripts.md"), "## Example");
  ASSERT_EQ(blocks.size(), 2u) << "the script and its transcript";
  const std::string script = box_.WriteFile("usage.txt", blocks[0]);
  const auto r = box_.Shell({"run", script, "--strict"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_EQ(r.err, blocks[1]);
}

}  // namespace
