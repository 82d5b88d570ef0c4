#include "platform/registry.h"

#include <vector>

#include "platform/cp1252.h"
#include "platform/file_io.h"

namespace {

// Components of a key path with the root spelt out; empty ones dropped.
std::string Canonical(const std::string& key) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    if (end > start) parts.push_back(key.substr(start, end - start));
    start = end + 1;
  }
  if (!parts.empty()) {
    const std::string root = cp1252::Upper(parts.front());
    if (root == "HKCR") parts.front() = "HKEY_CLASSES_ROOT";
    if (root == "HKCU") parts.front() = "HKEY_CURRENT_USER";
    if (root == "HKLM") parts.front() = "HKEY_LOCAL_MACHINE";
  }
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += '\\';
    joined += part;
  }
  return joined;
}

std::string Fold(const std::string& canonical) { return cp1252::Upper(canonical); }

bool IsAtOrBelow(const std::string& folded, const std::string& top) {
  return folded == top || (folded.size() > top.size() && folded.compare(0, top.size(), top) == 0 &&
                           folded[top.size()] == '\\');
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool HexPairAt(const std::string& s, size_t i) {
  return i + 1 < s.size() && HexDigit(s[i]) >= 0 && HexDigit(s[i + 1]) >= 0;
}

// The store writes line breaks (and "=" in value names) as %XX, and "%" as
// %25 only where two hex digits follow it, so "%1" stays readable.
std::string Escape(const std::string& s, bool name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\r' || c == '\n' || (name && c == '=') || (c == '%' && HexPairAt(s, i + 1))) {
      out += '%';
      out += kHex[(static_cast<unsigned char>(c) >> 4) & 15];
      out += kHex[static_cast<unsigned char>(c) & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && HexPairAt(s, i + 1)) {
      out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

std::string Registry::DefaultFile() { return file_io::ConfigHome() + "/Kestrovane/registry.ini"; }

Registry::Registry(std::string file) : file_(file.empty() ? DefaultFile() : std::move(file)) {
  std::string text;
  if (file_io::ReadFile(file_, text)) Parse(text);
}

Registry::Key& Registry::Create(const std::string& key) {
  const std::string canonical = Canonical(key);
  Key& entry = keys_[Fold(canonical)];
  if (entry.name.empty()) entry.name = canonical;
  return entry;
}

bool Registry::KeyExists(const std::string& key) const {
  const std::string folded = Fold(Canonical(key));
  if (keys_.count(folded)) return true;
  // Keys below share the prefix "key\" and so sort together (unlike those
  // merely starting with the key's name, such as "Open with ...").
  const auto below = keys_.lower_bound(folded + '\\');
  return below != keys_.end() && IsAtOrBelow(below->first, folded);
}

void Registry::CreateKey(const std::string& key) { Create(key); }

std::optional<std::string> Registry::ReadString(const std::string& key, const std::string& name) const {
  const auto it = keys_.find(Fold(Canonical(key)));
  if (it == keys_.end()) return std::nullopt;
  const auto value = it->second.values.find(cp1252::Upper(name));
  if (value == it->second.values.end()) return std::nullopt;
  return value->second.data;
}

void Registry::WriteString(const std::string& key, const std::string& name, const std::string& value) {
  Value& v = Create(key).values[cp1252::Upper(name)];
  if (v.name.empty()) v.name = name;
  v.data = value;
}

bool Registry::MoveKey(const std::string& from, const std::string& to) {
  const std::string source = Canonical(from);
  const std::string target = Canonical(to);
  const std::string foldedSource = Fold(source);
  const std::string foldedTarget = Fold(target);
  if (!KeyExists(source) || KeyExists(target) || IsAtOrBelow(foldedTarget, foldedSource)) return false;
  std::vector<Key> moved;
  if (const auto self = keys_.find(foldedSource); self != keys_.end()) {
    moved.push_back(std::move(self->second));
    keys_.erase(self);
  }
  for (auto it = keys_.lower_bound(foldedSource + '\\'); it != keys_.end() && IsAtOrBelow(it->first, foldedSource);) {
    moved.push_back(std::move(it->second));
    it = keys_.erase(it);
  }
  for (Key& key : moved) {
    key.name = target + key.name.substr(source.size());  // same length as the folded form
    keys_[Fold(key.name)] = std::move(key);
  }
  return true;
}

std::string Registry::Text() const {
  std::string text = "; Kestrovane registry\n";
  for (const auto& [folded, key] : keys_) {
    text += "\n[" + Escape(key.name, false) + "]\n";
    for (const auto& [foldedName, value] : key.values) {
      if (value.name.empty()) {
        text += "@";
      } else {
        text += value.name == "@" ? std::string("%40") : Escape(value.name, true);
      }
      text += "=" + Escape(value.data, false) + "\n";
    }
  }
  return text;
}

void Registry::Parse(const std::string& text) {
  Key* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      current = &Create(Unescape(line.substr(1, line.size() - 2)));
      continue;
    }
    const size_t eq = line.find('=');
    if (!current || eq == std::string::npos) continue;
    const std::string rawName = line.substr(0, eq);
    const std::string name = rawName == "@" ? std::string() : Unescape(rawName);
    Value& v = current->values[cp1252::Upper(name)];
    v.name = name;
    v.data = Unescape(line.substr(eq + 1));
  }
}

bool Registry::Save() const {
  const size_t slash = file_.rfind('/');
  if (slash != std::string::npos && slash > 0 && !file_io::MakeFolders(file_.substr(0, slash))) return false;
  return file_io::WriteFileAtomic(file_, Text());
}
