// Fuzz target: the customer import's file reading (customer/CustImport, CustImportText).
// Checked: lines do not depend on the chunks, clean command text, bounded fields the host parses.
#include <algorithm>
#include <cstring>
#include <vector>

#include "customer/CustImport.h"
#include "customer/CustImportText.h"
#include "frame/HostChannel.h"
#include "frame/ResultText.h"
#include "host/CommandParser.h"
#include "sys/TextCharset.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// The file's bytes handed out as reads of at most the size asked.
customer::ImportByteSource MemorySource(std::string_view file) {
  return [file, at = std::size_t{0}](char* buffer, std::size_t size) mutable {
    const std::size_t n = std::min(size, file.size() - at);
    std::memcpy(buffer, file.data() + at, n);
    at += n;
    return n;
  };
}

std::vector<std::string> ReadLines(std::string_view file, std::size_t chunk) {
  customer::TImportLineReader reader(MemorySource(file), chunk);
  std::vector<std::string> lines;
  std::string line;
  while (reader.NextLine(line)) {
    lines.push_back(line);
  }
  return lines;
}

void CheckLines(std::string_view file, std::size_t chunk) {
  const std::vector<std::string> lines = ReadLines(file, chunk);
  FUZZ_CHECK(lines == ReadLines(file, customer::TImportLineReader::kDefaultChunk));
  std::size_t bytes = 0;
  for (const std::string& line : lines) {
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    bytes += line.size();
  }
  FUZZ_CHECK(bytes + tavro_fuzz::CountOf(file, "\r\n") == file.size());
}

// The fields keep their bounds and reach the host as the very fields.
void CheckCommand(const std::string& command, bool big5Channel,
                  const customer::TImportTexts& texts) {
  const customer::TImportLine fields = customer::SplitImportLine(command, texts);
  const std::size_t separators = frame::SplitAll(command, '@').size() - 1;
  for (std::size_t f = 0; f < customer::kImportFields && f < separators; ++f) {
    FUZZ_CHECK(fields.Fields[f].size() <= customer::kImportFieldLen[f]);
  }
  std::string sent = customer::SnapInCommand(201, "0012", "000001", fields);
  if (big5Channel) {
    sent = frame::ToServerText(sent);
  }
  host::ParsedCommand parsed;
  std::string error;
  FUZZ_CHECK(host::ParseCommand(sent, parsed, error));
  FUZZ_CHECK(parsed.calls.size() == 1 && parsed.calls[0].args.size() == 7);
  const host::Args& args = parsed.calls[0].args;
  const customer::ImportField order[] = {customer::kImportCustId, customer::kImportAcNo,
                                         customer::kImportCustName, customer::kImportBankName};
  for (std::size_t i = 0; i < 4; ++i) {
    const std::string& field = fields.Fields[order[i]];
    FUZZ_CHECK(args[i + 3].text == (big5Channel ? frame::ToServerText(field) : field));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tavro_fuzz::FuzzInput input(data, size);
  const std::uint8_t choices = input.Byte();
  const std::uint8_t chunkByte = input.Byte();
  const std::string_view file = input.Rest();
  const bool big5 = (choices & 1) != 0;
  const bool big5Channel = (choices & 2) != 0;
  const std::size_t chunk =
      chunkByte < 128 ? 1 + chunkByte % 16 : customer::TImportLineReader::kDefaultChunk;

  CheckLines(file, chunk);

  static const customer::TImportTexts texts = customer::MakeImportTexts();
  customer::TImportText text(big5, big5Channel);
  customer::TImportLineReader reader(customer::InspectedSource(MemorySource(file), text), chunk);
  std::string line;
  while (reader.NextLine(line) && !text.Refused()) {
    std::string command;
    char32_t missing = 0;
    if (text.CommandText(line, command, missing) != customer::ImportLineFault::None) {
      continue;
    }
    FUZZ_CHECK(command.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(sys::IsCleanText(command, big5Channel ? sys::CodePage::Big5 : sys::CodePage::Gbk));
    CheckCommand(command, big5Channel, texts);
  }
  return 0;
}
