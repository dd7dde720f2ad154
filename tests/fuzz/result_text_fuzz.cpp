// Fuzz target: the host's answer text as the frame reads it. Checked: splits lose no byte,
// cuts keep their size on character boundaries, lookups agree with the splits.
#include <vector>

#include "frame/CommaList.h"
#include "frame/GbkText.h"
#include "frame/ResultText.h"
#include "sys/GbkChar.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

std::string Join(const std::vector<std::string>& parts, char separator) {
  std::string out;
  for (const std::string& part : parts) {
    out += part + separator;
  }
  return out.substr(0, out.size() - (parts.empty() ? 0 : 1));
}

// cut is a head of whole of at most max bytes that ends on one of whole's character
// boundaries, and is whole itself when whole fits.
bool IsCharacterCut(std::string_view cut, std::string_view whole, std::size_t max) {
  if (cut.size() > max || whole.substr(0, cut.size()) != cut) {
    return false;
  }
  if (whole.size() <= max) {
    return cut.size() == whole.size();
  }
  return sys::GbkCharStart(whole, cut.size()) == cut.size() &&
         cut.size() + sys::GbkCharLength(whole, cut.size()) > max;
}

void CheckRows(std::string_view text) {
  const std::vector<std::string> rows = frame::SplitRows(text);
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    FUZZ_CHECK(rows[i].find_first_of("\r\n") == std::string::npos);
    bytes += rows[i].size();
    if (i < 4) {
      FUZZ_CHECK(frame::GetRow(text, static_cast<int>(i) + 1) == rows[i]);
    }
  }
  FUZZ_CHECK(frame::GetRow(text, static_cast<int>(rows.size()) + 1).empty());
  FUZZ_CHECK(frame::GetRow(text, 0).empty());
  FUZZ_CHECK(bytes + tavro_fuzz::CountOf(text, "\r\n") == text.size());

  // Items of a list are looked up by their code; the first of a code is found.
  for (std::size_t i = 0; i < rows.size() && i < 8; ++i) {
    const int code = frame::ItemCode(rows[i]);
    if (code != -1) {
      const int found = frame::FindItemByCode(rows, code);
      FUZZ_CHECK(found >= 0 && found <= static_cast<int>(i));
      FUZZ_CHECK(frame::ItemCode(rows[static_cast<std::size_t>(found)]) == code);
    }
  }
}

void CheckFields(std::string_view row) {
  for (const char separator : {'\x07', '@', ','}) {
    const std::vector<std::string> all = frame::SplitAll(row, separator);
    FUZZ_CHECK(Join(all, separator) == row);
    const std::vector<std::size_t> sizes{1, 2, 5, 13, 36, 51, 0};
    const std::vector<std::string> cut = frame::SplitFields(row, separator, sizes);
    FUZZ_CHECK(cut.size() == sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      const std::size_t max = sizes[i] == 0 ? 0 : sizes[i] - 1;
      const std::string_view whole = i < all.size() ? std::string_view(all[i]) : "";
      FUZZ_CHECK(IsCharacterCut(cut[i], whole, max));
    }
  }
  const std::string first = frame::GetField(row, 0);
  FUZZ_CHECK(first == frame::Trim(frame::SplitAll(row, '\x07')[0]));
  FUZZ_CHECK(frame::GetField(row, 1000) == frame::Trim(frame::SplitAll(row, '\x07').back()));
}

void CheckShellResult(std::string_view row) {
  const TShellResult result = frame::ParseShellResult(row);
  const std::string_view text = frame::FieldText(result.Text);
  FUZZ_CHECK(text.size() < sizeof result.Text);
  const std::size_t sep = row.find('\x07');
  const std::string_view message = sep == std::string_view::npos ? row : row.substr(sep + 1);
  // A zero byte in the message ends the field early; up to it the cut must hold.
  const std::string_view upToZero = message.substr(0, message.find('\0'));
  FUZZ_CHECK(IsCharacterCut(text, upToZero, sizeof result.Text - 1) ||
             (upToZero.size() < message.size() && text == upToZero.substr(0, text.size())));
  if (const std::optional<int> code = frame::ParseDecimal(frame::TextBefore(row, "\x07"))) {
    FUZZ_CHECK(frame::ParseDecimal(std::to_string(*code)) == code);
  }
}

void CheckItems(std::string_view text) {
  const frame::TCodeNameDetail item = frame::SplitCodeNameDetail(text);
  FUZZ_CHECK(item.Name.size() <= frame::kCodeNameDetailLen);
  FUZZ_CHECK(item.Detail.size() <= frame::kCodeNameDetailLen);

  const std::vector<std::string> items = frame::SplitCommaList(text);
  std::size_t bytes = 0;
  for (const std::string& item : items) {
    bytes += item.size();
  }
  FUZZ_CHECK(bytes <= text.size());
  for (const std::size_t max : {std::size_t{0}, std::size_t{40}, frame::kColumnLayoutMax}) {
    const std::string layout = frame::BuildColumnLayout(text, max);
    FUZZ_CHECK(layout.size() <= max);
    FUZZ_CHECK(layout.empty() || layout.ends_with("\r\n"));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckRows(text);
  const std::string row = frame::GetRow(text, 1);
  CheckFields(row);
  CheckShellResult(row);
  CheckItems(row);
  return 0;
}
