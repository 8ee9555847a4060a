#include "catalogue/name_order.h"

#include <algorithm>
#include <cstdint>

namespace {

// Decodes one UTF-8 sequence at `pos` and returns a key whose order equals
// the order of the character's UTF-16 code units. Bytes that do not form
// valid UTF-8 are keyed each on its own, above every character.
std::uint32_t NextKey(std::string_view s, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                       : (lead >> 3) == 0x1E ? 4 : 0;
  std::uint32_t code = length == 1 ? lead : length == 2 ? (lead & 0x1Fu)
                                        : length == 3 ? (lead & 0x0Fu) : (lead & 0x07u);
  if (length == 0 || pos + length > s.size()) length = 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) {
      length = 0;
      break;
    }
    code = (code << 6) | (byte(pos + i) & 0x3Fu);
  }
  if (length == 0) {
    ++pos;
    return 0x200000u + lead;
  }
  pos += length;
  if (code < 0xD800) return code;
  if (code >= 0x10000) return 0xD800 + (code - 0x10000);  // surrogate pairs: D800..DFFF
  return 0x100000u + code;                                // U+E000..U+FFFF above them
}

}  // namespace

bool Utf16Less(std::string_view a, std::string_view b) {
  // Recorder names are ASCII: where the first difference lies between two
  // ASCII characters, byte order is the answer.
  const auto [da, db] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (db == b.end()) return false;
  if (da == a.end()) return true;
  if (static_cast<unsigned char>(*da) < 0x80 && static_cast<unsigned char>(*db) < 0x80) {
    return *da < *db;
  }
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const std::uint32_t ka = NextKey(a, i);
    const std::uint32_t kb = NextKey(b, j);
    if (ka != kb) return ka < kb;
  }
  return i == a.size() && j < b.size();
}
