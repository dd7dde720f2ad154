#include "frame/CommaList.h"

#include <gtest/gtest.h>

#include "tests/support/TestEnv.h"

namespace {

using Items = std::vector<std::string>;

TEST(CommaList, Splitting) {
  struct Case {
    std::string text;
    Items items;
  };
  const Case cases[] = {
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {"", {}},
      {"   ", {}},
      {",", {"", ""}},
      {"Pay Amount^20", {"Pay", "Amount^20"}},
      {"\"Pay Amount^20\"", {"Pay Amount^20"}},
      {"\"a,b\" , c", {"a,b", "c"}},
      {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
      {"\"unclosed, text", {"unclosed, text"}},
      {"\"a\"b", {"a", "b"}},
      {"  0:x , 1:y\t,2:z  ", {"0:x", "1:y", "2:z"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(frame::SplitCommaList(c.text), c.items) << c.text;
  }

  // Double-byte items pass whole.
  std::string gbk = tavro_test::Gbk("0:已删除,1:待复核");
  EXPECT_EQ(frame::SplitCommaList(gbk),
            (Items{tavro_test::Gbk("0:已删除"), tavro_test::Gbk("1:待复核")}));
}

TEST(CommaList, ColumnLayout) {
  std::string value = tavro_test::Gbk("业务编号^15,操作用户^15,\"Pay Amount^8\"");
  EXPECT_EQ(frame::BuildColumnLayout(value, frame::kColumnLayoutMax),
            tavro_test::Gbk("业务编号") + "\a15\r\n" + tavro_test::Gbk("操作用户") +
                "\a15\r\nPay Amount\a8\r\n");
  // A '^' that is the trail byte of a character stays.
  EXPECT_EQ(frame::BuildColumnLayout("\x81\x5E^5", 511), "\x81\x5E\a5\r\n");
  // Bounded by whole lines: 100 items of 10 bytes each give at most 511 bytes.
  std::string many;
  for (int i = 0; i < 100; ++i) {
    many += "Title^" + std::to_string(100 + i) + ",";
  }
  std::string layout = frame::BuildColumnLayout(many, frame::kColumnLayoutMax);
  EXPECT_LE(layout.size(), frame::kColumnLayoutMax);
  EXPECT_EQ(layout.size() % 11, 0u);
  EXPECT_EQ(layout.substr(layout.size() - 2), "\r\n");
}

}  // namespace
