// The GBK text the Big5 conversions are timed on, built the same way on Linux and on
// Windows so that ICU's conversion on one and the compiled-in tables on the other are
// given the same bytes: lines of a payment's Simplified-Chinese texts with ASCII
// figures, repeated up to a size.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "sys/CodePage.h"

namespace bench {

// The first whole repetitions of the sample lines that reach at least bytes.
inline std::string GbkSampleText(std::size_t bytes) {
  static const std::array<const char*, 3> lines = {
      "收款人名称：上海浦东发展银行股份有限公司 Pay Amount 1234.56 备注：货款\r\n",
      "付款账号：6222 0000 1234 5678 开户银行：中国工商银行北京分行营业部\r\n",
      "业务功能：对外支付 审批状态：已复核 经办人：王建国 电话：021-5888 6000\r\n",
  };
  std::string block;
  for (const char* line : lines) {
    block += sys::Utf8ToGbk(line);
  }
  std::string text;
  text.reserve(bytes + block.size());
  while (text.size() < bytes) {
    text += block;
  }
  return text;
}

}  // namespace bench
