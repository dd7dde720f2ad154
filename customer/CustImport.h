// The customer import file, kept apart from its dialog: reading the file line by line
// without holding it whole, splitting one line into its four "@" fields, the
// "MN_CustSnapIn" command of a line and the texts of the import log.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sys {
class FileReader;
}  // namespace sys

namespace customer {

// The fields of an import line, in file order, and their byte limits.
enum ImportField { kImportCustId, kImportCustName, kImportAcNo, kImportBankName, kImportFields };
inline constexpr std::array<std::size_t, kImportFields> kImportFieldLen = {24, 50, 36, 50};

// The fixed texts of the import log in GBK, converted once per dialog rather than
// once per line.
struct TImportTexts {
  std::array<std::string, kImportFields> FieldNames;  // "客户代码", "客户名称", ...
  std::string Progress;                               // "正在导入第"
  std::string ProgressEnd;                            // "行"
  std::string OverlongMid;                            // "超过"
  std::string OverlongKeep;                           // "位，将只保留前"
  std::string OverlongEnd;                            // "位"
  std::string ImportedHead;                           // "第"
  std::string ImportedMid;                            // "行已经导入，客户代码："
  std::string Refused;                                // "本行导入失败:"
  std::string EmptyIdHead;                            // "客户代码为空，第"
  std::string EmptyIdEnd;                             // "导入失败"
  std::string SummaryHead;                            // "共导入"
  std::string SummaryMid;                             // "笔，失败"
  std::string SummaryEnd;                             // "笔"
  std::string NotTextMid;                             // "行不是"
  std::string NotTextEnd;                             // "编码的文本，导入失败"
  std::string MissingCharMid;                         // "行含有GBK无法表示的字符"
  std::string MissingCharEnd;                         // "，导入失败"
  std::string FileNotTextHead;                        // "导入文件不是"
  std::string CharsetOr;                              // "或"
  std::string FileNotTextEnd;                         // "编码的文本，导入中止"
  std::string CountHead;                              // "已处理"
  std::string CountLines;                             // "行，成功"
  std::string ReadHead;                               // "，已读取文件的"
  std::string StoppedHead;                            // "导入在第"
  std::string StoppedMid;                             // "行中止："
};
TImportTexts MakeImportTexts();

// How far an import has come: the lines done, each either imported or failed.
struct TImportCount {
  std::int64_t Imported = 0;
  std::int64_t Failed = 0;
  std::int64_t Done() const { return Imported + Failed; }
};

// A progress line of the log is written after every this many lines.
inline constexpr std::int64_t kImportProgressLines = 10000;

// One line of the file split into its fields, and the log lines of the fields that ran
// past their limits, in field order.
struct TImportLine {
  std::array<std::string, kImportFields> Fields;
  std::vector<std::string> Notes;

  const std::string& CustId() const { return Fields[kImportCustId]; }
};

// Splits line at "@": each field before an "@" is trimmed and, when longer than its
// limit, noted and cut (never inside a double-byte character) and trimmed again; the
// rest of the line after the last "@" read is the next field, untouched. Text after a
// fourth "@" is dropped. An "@" byte inside a double-byte character separates nothing.
TImportLine SplitImportLine(std::string_view line, const TImportTexts& texts);

// "MN_CustSnapIn %d,%s,%s,%s,%s,%s,%s": function, corporation, user, customer id,
// account number, name, bank (the account before the name, unlike the file).
std::string SnapInCommand(std::int32_t functionId, std::string_view corpNo, std::string_view userNo,
                          const TImportLine& line);

// The log lines; line numbers count from 1.
std::string ProgressLogLine(const TImportTexts& texts, std::int64_t lineNo);
std::string OverlongLogLine(const TImportTexts& texts, ImportField field, std::string_view text);
std::string ImportedLogLine(const TImportTexts& texts, std::int64_t lineNo,
                            std::string_view custId);
std::string RefusedLogLine(const TImportTexts& texts, std::string_view answer);
std::string EmptyIdLogLine(const TImportTexts& texts, std::int64_t lineNo);
std::string SummaryLogLine(const TImportTexts& texts, std::int64_t lines, std::int64_t failures);
// A line that is not text in the file's character set, named as the log names it.
std::string NotTextLogLine(const TImportTexts& texts, std::int64_t lineNo,
                           std::string_view charset);
// A line holding a character the commands cannot carry, shown by its code point (U+XXXX),
// as the log cannot show the character itself.
std::string MissingCharLogLine(const TImportTexts& texts, std::int64_t lineNo, char32_t c);
// A file in none of the character sets named, which ends the import.
std::string FileNotTextLogLine(const TImportTexts& texts,
                               const std::vector<std::string_view>& charsets);
// Progress: "已处理N行，成功X笔，失败Y笔，已读取文件的P%".
std::string ProgressCountLogLine(const TImportTexts& texts, const TImportCount& count,
                                 int percentRead);
// An import that ended before the end of its file, at the first line it did not finish:
// "导入在第N行中止：已处理N-1行，成功X笔，失败Y笔". Nothing from that line on was sent.
std::string StoppedLogLine(const TImportTexts& texts, const TImportCount& count);

// The server accepted the line when its answer begins with "1".
inline bool SnapInAccepted(std::string_view answer) {
  return !answer.empty() && answer.front() == '1';
}

// The import file opened for reading, through links (the operator's file may be a link
// of theirs); closed when the object goes. Throws std::runtime_error naming the file as
// shownName (the path itself when empty) when it cannot be opened or read, or is no
// regular file: a pipe or device would block or never end.
class TImportFile {
 public:
  explicit TImportFile(const std::string& path, const std::string& shownName = {});
  ~TImportFile();
  TImportFile(const TImportFile&) = delete;
  TImportFile& operator=(const TImportFile&) = delete;

  // Reads up to size bytes into buffer; 0 at the end of the file.
  std::size_t Read(char* buffer, std::size_t size);
  // How much of the file has been read, in percent of its size when opened (100 for an
  // empty file, and at most 100 for one that grew).
  int PercentRead() const;

 private:
  std::string shownName_;
  std::unique_ptr<sys::FileReader> file_;
  std::uint64_t size_ = 0;
  std::uint64_t read_ = 0;
};

// Where the line reader takes its bytes: fills up to size bytes, returns the count,
// 0 at the end; a failure is thrown and passes through the reader.
using ImportByteSource = std::function<std::size_t(char* buffer, std::size_t size)>;

// Lines ended by CR LF, LF or CR; a last line without an end is a line too. Only one
// chunk of the file and the current line are held at any time.
class TImportLineReader {
 public:
  static constexpr std::size_t kDefaultChunk = 64 * 1024;
  explicit TImportLineReader(ImportByteSource source, std::size_t chunk = kDefaultChunk);

  // The next line without its end into line; false when the file has no more lines.
  bool NextLine(std::string& line);

 private:
  bool Fill();

  ImportByteSource source_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool afterCr_ = false;  // the last line ended with CR: an LF right after it belongs to it
};

}  // namespace customer
