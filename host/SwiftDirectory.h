// The SWIFT bank directory: code normalisation, lookup and the CSV import that the
// tavro-bank tool offers.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <optional>
#include <string>

namespace host {

class Db;

struct SwiftBank {
  std::string code;  // 11 characters: bank, country, location, branch
  std::string name;
  std::array<std::string, 4> address;
  std::string city;
};

// The 11-character directory code of a SWIFT address as typed or sent: upper case;
// 8 characters get branch "XXX"; 9 characters (with the terminal letter) drop it; 12
// characters (with the terminal letter at position 9) drop that. Empty when the text
// is no SWIFT address (other lengths, characters outside A-Z and 0-9).
std::string NormaliseSwiftCode(const std::string& text);

// The 12-character address that search rows begin with: the code with the logical
// terminal letter "A" at position 9.
std::string SwiftAddress12(const std::string& code11);

// The directory entry of a code in any of the forms above.
std::optional<SwiftBank> FindSwiftBank(Db& db, const std::string& code);

// Loads a directory from CSV (UTF-8): code, name, address lines 1 to 4, city; fields
// may be quoted with inner quotes doubled; an optional first line of headings
// starting with "code"; blank lines skipped; a line that is not UTF-8 or holds a zero
// byte is refused. Entries with a known code are replaced.
// All or nothing: throws std::runtime_error naming the line at fault, with nothing
// stored. Returns the number of entries loaded.
std::size_t ImportSwiftCsv(Db& db, std::istream& in);

}  // namespace host
