#include "customer/CustImport.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "sys/CodePage.h"
#include "sys/FileReader.h"

namespace customer {

TImportTexts MakeImportTexts() {
  auto gbk = [](const char* utf8) { return sys::Utf8ToGbk(utf8); };
  TImportTexts t;
  t.FieldNames = {gbk("客户代码"), gbk("客户名称"), gbk("客户账号"), gbk("客户银行")};
  t.Progress = gbk("正在导入第");
  t.ProgressEnd = gbk("行");
  t.OverlongMid = gbk("超过");
  t.OverlongKeep = gbk("位，将只保留前");
  t.OverlongEnd = gbk("位");
  t.ImportedHead = gbk("第");
  t.ImportedMid = gbk("行已经导入，客户代码：");
  t.Refused = gbk("本行导入失败:");
  t.EmptyIdHead = gbk("客户代码为空，第");
  t.EmptyIdEnd = gbk("导入失败");
  t.SummaryHead = gbk("共导入");
  t.SummaryMid = gbk("笔，失败");
  t.SummaryEnd = gbk("笔");
  t.NotTextMid = gbk("行不是");
  t.NotTextEnd = gbk("编码的文本，导入失败");
  t.MissingCharMid = gbk("行含有GBK无法表示的字符");
  t.MissingCharEnd = gbk("，导入失败");
  t.FileNotTextHead = gbk("导入文件不是");
  t.CharsetOr = gbk("或");
  t.FileNotTextEnd = gbk("编码的文本，导入中止");
  t.CountHead = gbk("已处理");
  t.CountLines = gbk("行，成功");
  t.ReadHead = gbk("，已读取文件的");
  t.StoppedHead = gbk("导入在第");
  t.StoppedMid = gbk("行中止：");
  return t;
}

TImportLine SplitImportLine(std::string_view line, const TImportTexts& texts) {
  TImportLine out;
  std::string_view rest = line;
  for (int f = 0; f < kImportFields; ++f) {
    const std::size_t at = frame::GbkFind(rest, "@");
    if (at == std::string_view::npos) {
      out.Fields[f].assign(rest);
      rest = {};
      continue;
    }
    std::string_view field = frame::TrimView(rest.substr(0, at));
    const std::size_t limit = kImportFieldLen[f];
    if (field.size() > limit) {
      out.Notes.push_back(OverlongLogLine(texts, static_cast<ImportField>(f), field));
      field = frame::TrimView(frame::GbkCut(field, limit));
    }
    out.Fields[f].assign(field);
    rest = rest.substr(at + 1);
  }
  return out;
}

std::string SnapInCommand(std::int32_t functionId, std::string_view corpNo, std::string_view userNo,
                          const TImportLine& line) {
  return frame::FormatCommand(
      "MN_CustSnapIn %d,%s,%s,%s,%s,%s,%s",
      {functionId, corpNo, userNo, line.Fields[kImportCustId], line.Fields[kImportAcNo],
       line.Fields[kImportCustName], line.Fields[kImportBankName]});
}

std::string ProgressLogLine(const TImportTexts& texts, std::int64_t lineNo) {
  return texts.Progress + std::to_string(lineNo) + texts.ProgressEnd;
}

std::string OverlongLogLine(const TImportTexts& texts, ImportField field, std::string_view text) {
  const std::string limit = std::to_string(kImportFieldLen[field]);
  std::string out = texts.FieldNames[field];
  out.append(text);
  out += texts.OverlongMid + limit + texts.OverlongKeep + limit + texts.OverlongEnd;
  return out;
}

std::string ImportedLogLine(const TImportTexts& texts, std::int64_t lineNo,
                            std::string_view custId) {
  std::string out = texts.ImportedHead + std::to_string(lineNo) + texts.ImportedMid;
  out.append(custId);
  return out;
}

std::string RefusedLogLine(const TImportTexts& texts, std::string_view answer) {
  std::string out = texts.Refused;
  out.append(answer);
  return out;
}

std::string EmptyIdLogLine(const TImportTexts& texts, std::int64_t lineNo) {
  return texts.EmptyIdHead + std::to_string(lineNo) + texts.EmptyIdEnd;
}

std::string SummaryLogLine(const TImportTexts& texts, std::int64_t lines, std::int64_t failures) {
  return texts.SummaryHead + std::to_string(lines) + texts.SummaryMid + std::to_string(failures) +
         texts.SummaryEnd;
}

std::string NotTextLogLine(const TImportTexts& texts, std::int64_t lineNo,
                           std::string_view charset) {
  std::string out = texts.ImportedHead + std::to_string(lineNo) + texts.NotTextMid;
  out.append(charset);
  return out + texts.NotTextEnd;
}

std::string MissingCharLogLine(const TImportTexts& texts, std::int64_t lineNo, char32_t c) {
  std::array<char, 16> code{};
  std::snprintf(code.data(), code.size(), "U+%04X", static_cast<unsigned>(c));
  return texts.ImportedHead + std::to_string(lineNo) + texts.MissingCharMid + code.data() +
         texts.MissingCharEnd;
}

std::string FileNotTextLogLine(const TImportTexts& texts,
                               const std::vector<std::string_view>& charsets) {
  std::string out = texts.FileNotTextHead;
  for (std::size_t i = 0; i < charsets.size(); ++i) {
    if (i > 0) {
      out += texts.CharsetOr;
    }
    out.append(charsets[i]);
  }
  return out + texts.FileNotTextEnd;
}

namespace {

// "已处理N行，成功X笔，失败Y笔"
std::string CountText(const TImportTexts& texts, const TImportCount& count) {
  return texts.CountHead + std::to_string(count.Done()) + texts.CountLines +
         std::to_string(count.Imported) + texts.SummaryMid + std::to_string(count.Failed) +
         texts.SummaryEnd;
}

}  // namespace

std::string ProgressCountLogLine(const TImportTexts& texts, const TImportCount& count,
                                 int percentRead) {
  return CountText(texts, count) + texts.ReadHead + std::to_string(percentRead) + "%";
}

std::string StoppedLogLine(const TImportTexts& texts, const TImportCount& count) {
  return texts.StoppedHead + std::to_string(count.Done() + 1) + texts.StoppedMid +
         CountText(texts, count);
}

TImportFile::TImportFile(const std::string& path, const std::string& shownName)
    : shownName_(shownName.empty() ? path : shownName),
      file_(std::make_unique<sys::FileReader>(path, sys::FileReader::Links::Follow)) {
  // Not blocking on open: a pipe put in the file's place must not hang the dialog.
  if (file_->Error() != 0) {
    throw std::runtime_error("Cannot open file \"" + shownName_ +
                             "\": " + std::strerror(file_->Error()));
  }
  size_ = file_->Size();
}

int TImportFile::PercentRead() const {
  if (read_ >= size_) {
    return 100;
  }
  return static_cast<int>(read_ * 100 / size_);
}

TImportFile::~TImportFile() = default;

std::size_t TImportFile::Read(char* buffer, std::size_t size) {
  const std::ptrdiff_t n = file_->Read(buffer, size);
  if (n < 0) {
    throw std::runtime_error("Cannot read file \"" + shownName_ + "\": " + std::strerror(errno));
  }
  read_ += static_cast<std::uint64_t>(n);
  return static_cast<std::size_t>(n);
}

TImportLineReader::TImportLineReader(ImportByteSource source, std::size_t chunk)
    : source_(std::move(source)), buffer_(std::max<std::size_t>(chunk, 1)) {}

bool TImportLineReader::Fill() {
  if (eof_) {
    return false;
  }
  const std::size_t n = source_(buffer_.data(), buffer_.size());
  if (n == 0) {
    eof_ = true;
    return false;
  }
  if (n > buffer_.size()) {
    throw std::logic_error("import source filled more than it was given");
  }
  pos_ = 0;
  end_ = n;
  return true;
}

bool TImportLineReader::NextLine(std::string& line) {
  line.clear();
  bool started = false;
  for (;;) {
    if (pos_ == end_ && !Fill()) {
      return started;
    }
    if (afterCr_) {
      afterCr_ = false;
      if (buffer_[pos_] == '\n') {
        ++pos_;
        continue;
      }
    }
    const char* begin = buffer_.data() + pos_;
    const char* stop = buffer_.data() + end_;
    const char* br = std::find_if(begin, stop, [](char c) { return c == '\r' || c == '\n'; });
    line.append(begin, br);
    started = true;
    if (br != stop) {
      afterCr_ = *br == '\r';
      pos_ = static_cast<std::size_t>(br - buffer_.data()) + 1;
      return true;
    }
    pos_ = end_;
  }
}

}  // namespace customer
