#include "game/bytes.h"

#include <limits>

namespace bytes {

int Pos(std::string_view needle, std::string_view s, int from) {
  if (from < 1) from = 1;
  if (static_cast<size_t>(from - 1) > s.size()) return 0;
  // A one-character needle is searched as a character: the view search would
  // compare a one-byte view at each candidate place.
  const size_t start = static_cast<size_t>(from - 1);
  const size_t p = needle.size() == 1 ? s.find(needle[0], start) : s.find(needle, start);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

int LastPos(std::string_view needle, std::string_view s) {
  const size_t p = needle.size() == 1 ? s.rfind(needle[0]) : s.rfind(needle);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::string Copy(std::string_view s, int index, int count) {
  if (count <= 0) return {};
  int64_t first = index < 1 ? 1 : index;
  int64_t last = static_cast<int64_t>(index) + count - 1;
  if (last > static_cast<int64_t>(s.size())) last = static_cast<int64_t>(s.size());
  if (first > last) return {};
  return std::string(s.substr(static_cast<size_t>(first - 1), static_cast<size_t>(last - first + 1)));
}

std::string From(std::string_view s, int index) {
  if (index < 1) index = 1;
  if (static_cast<size_t>(index - 1) >= s.size()) return {};
  return std::string(s.substr(static_cast<size_t>(index - 1)));
}

int32_t ToIntDef(std::string_view s, int32_t def) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return def;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < '0' || c > '9') return def;
    v = v * 10 + (c - '0');
    if (v > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) return def;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return def;
  return static_cast<int32_t>(v);
}

std::string UpperAscii(std::string_view s) {
  std::string r(s);
  for (char& ch : r) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') ch = static_cast<char>(c - 32);
  }
  return r;
}

std::string LowerAscii(std::string_view s) {
  std::string r(s);
  for (char& ch : r) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'A' && c <= 'Z') ch = static_cast<char>(c + 32);
  }
  return r;
}

std::string TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
  return std::string(s.substr(0, n));
}

int32_t Clamp32(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

}  // namespace bytes
