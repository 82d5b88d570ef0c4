#include "platform/ini_file.h"

#include <charconv>

#include "platform/cp1252.h"
#include "platform/file_io.h"

namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

enum class Kind { Other, Section, Key };

struct Parsed {
  Kind kind = Kind::Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key value, trimmed
};

Parsed Parse(std::string_view line, bool first) {
  if (first && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
  const std::string_view t = Trim(line);
  Parsed p;
  if (t.empty() || t.front() == ';') return p;
  if (t.front() == '[') {
    const size_t close = t.find(']');
    if (close == std::string_view::npos) return p;
    p.kind = Kind::Section;
    p.name = Trim(t.substr(1, close - 1));
    return p;
  }
  const size_t eq = t.find('=');
  if (eq == std::string_view::npos) return p;
  p.name = Trim(t.substr(0, eq));
  if (p.name.empty()) return p;
  p.kind = Kind::Key;
  p.value = Trim(t.substr(eq + 1));
  return p;
}

std::string CutAtLineBreak(const std::string& s) {
  const size_t end = s.find_first_of("\r\n");
  return end == std::string::npos ? s : s.substr(0, end);
}

}  // namespace

IniFile::IniFile(std::string path) : IniFile(std::move(path), LineEnd::CrLf) {}

IniFile::IniFile(std::string path, LineEnd lineEnd) : path_(std::move(path)), lineEnd_(lineEnd) {
  std::string bytes;
  if (file_io::ReadFile(path_, bytes)) SetText(bytes);
}

void IniFile::SetText(const std::string& text) {
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines_.push_back(text.substr(start, stop - start));
    start = last ? end : end + 1;
  }
}

int IniFile::FindSection(const std::string& section) const {
  const std::string_view wanted = Trim(section);
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Parsed p = Parse(lines_[i], i == 0);
    if (p.kind == Kind::Section && cp1252::EqualNoCase(p.name, wanted)) return static_cast<int>(i);
  }
  return -1;
}

int IniFile::FindKey(int header, const std::string& key) const {
  const std::string_view wanted = Trim(key);
  for (size_t i = header + 1; i < lines_.size(); ++i) {
    const Parsed p = Parse(lines_[i], false);
    if (p.kind == Kind::Section) break;
    if (p.kind == Kind::Key && cp1252::EqualNoCase(p.name, wanted)) return static_cast<int>(i);
  }
  return -1;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  const int header = FindSection(section);
  if (header < 0) return def;
  const int line = FindKey(header, key);
  if (line < 0) return def;
  return std::string(Parse(lines_[line], false).value);
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
  const std::string text = ReadString(section, key, {});
  std::string_view digits = text;
  const bool plus = !digits.empty() && digits.front() == '+';
  if (plus) digits.remove_prefix(1);
  if (digits.empty() || (plus && digits.front() == '-')) return def;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 10);
  if (error != std::errc() || end != digits.data() + digits.size()) return def;
  return value;
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
  const int header = FindSection(section);
  return header >= 0 && FindKey(header, key) >= 0;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  const std::string clean = CutAtLineBreak(value);
  const std::string name(Trim(CutAtLineBreak(key)));
  const int header = FindSection(section);
  if (header < 0) {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + std::string(Trim(CutAtLineBreak(section))) + "]");
    lines_.push_back(name + "=" + clean);
    return;
  }
  if (const int line = FindKey(header, key); line >= 0) {
    lines_[line] = std::string(Parse(lines_[line], false).name) + "=" + clean;
    return;
  }
  size_t insertAt = header + 1;
  for (size_t i = header + 1; i < lines_.size(); ++i) {
    const Parsed p = Parse(lines_[i], false);
    if (p.kind == Kind::Section) break;
    if (!Trim(lines_[i]).empty()) insertAt = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), name + "=" + clean);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

std::string IniFile::Text() const {
  const char* end = lineEnd_ == LineEnd::CrLf ? "\r\n" : "\n";
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += end;
  }
  return text;
}

bool IniFile::Save() const { return file_io::WriteFileAtomic(path_, Text()); }
