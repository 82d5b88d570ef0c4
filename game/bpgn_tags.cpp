#include <cctype>
#include <ctime>
#include <string_view>
#include <vector>

#include "game/bytes.h"
#include "game/kestro_game.h"

namespace {

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

bool IsNameChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || u == '_';
}

}  // namespace

int FindBpgnTag(std::string_view text, std::string_view name, int from) {
  if (from < 1) from = 1;
  for (size_t at = text.find('[', static_cast<size_t>(from - 1)); at != std::string_view::npos;
       at = text.find('[', at + 1)) {
    const std::string_view rest = text.substr(at + 1);
    if (rest.starts_with(name) && !IsNameChar(bytes::At(rest, static_cast<int>(name.size()) + 1)))
      return static_cast<int>(at) + 1;
  }
  return 0;
}

namespace {

// The value of the tag found at `at` (1-based), as BpgnTagValue gives it:
// escaped quotes and backslashes are taken as the characters they stand for.
bool TagValueAt(std::string_view text, int at, std::string& value) {
  if (!at) return false;
  value.clear();
  size_t i = text.find('"', static_cast<size_t>(at - 1));
  if (i == std::string_view::npos) return true;
  for (++i; i < text.size() && text[i] != '"'; ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) ++i;
    value += text[i];
  }
  value = Trim(value);
  return true;
}

// The names of a text's tags with their places, read in one pass, so that
// looking up many names costs no search of the text each. A "[" inside a
// quoted value opens no tag; an unclosed quote ends with its line.
class TagIndex {
 public:
  explicit TagIndex(std::string_view text) {
    names_.reserve(16);
    bool quoted = false;
    for (size_t at = 0; at < text.size(); ++at) {
      const char c = text[at];
      if (quoted) {
        if (c == '\\' && at + 1 < text.size() && text[at + 1] != '\r' && text[at + 1] != '\n') ++at;
        else if (c == '"' || c == '\r' || c == '\n') quoted = false;
      } else if (c == '"') {
        quoted = true;
      } else if (c == '[') {
        size_t end = at + 1;
        while (end < text.size() && IsNameChar(text[end])) ++end;
        names_.push_back({text.substr(at + 1, end - at - 1), static_cast<int>(at) + 1});
      }
    }
  }
  // FindBpgnTag from the start, for a name of name characters only.
  int Find(std::string_view name) const {
    for (const Entry& e : names_)
      if (e.name == name) return e.at;
    return 0;
  }

 private:
  struct Entry {
    std::string_view name;
    int at;
  };
  std::vector<Entry> names_;
};

}  // namespace

bool BpgnTagValue(std::string_view text, std::string_view name, std::string& value) {
  return TagValueAt(text, FindBpgnTag(text, name), value);
}

std::string BpgnTagText(std::string_view value) {
  std::string s;
  s.reserve(value.size() + 2);
  for (char c : value) {
    if (c == '"' || c == '\\') s += '\\';
    s += c == '\r' || c == '\n' ? ' ' : c;
  }
  return s;
}

std::string BpgnTagPair(std::string_view name, std::string_view value) {
  std::string pair = "[";
  pair.append(name);
  pair += " \"" + BpgnTagText(value) + "\"]";
  return pair;
}

std::string BpgnPlayerTags(const std::string (&names)[4]) {
  std::string t;
  for (int i = 0; i < 4; ++i)
    t += BpgnTagPair(kSeatWords[i], names[i]) + BpgnTagPair(std::string(kSeatWords[i]) + "Elo", "0") + "\r\n";
  return t;
}

namespace {

// Whether the "]" at `at` closes a tag pair: it follows the value's closing
// quote, which no backslash escapes.
bool ClosesTag(std::string_view text, size_t at) {
  if (at == 0 || text[at - 1] != '"') return false;
  size_t backslashes = 0;
  while (at - 1 > backslashes && text[at - 2 - backslashes] == '\\') ++backslashes;
  return backslashes % 2 == 0;
}

// Whether the "[" at `at` may open a game's first tag.
bool StartsGame(std::string_view text, size_t at) {
  if (at > 0 && text[at - 1] == ']') return ClosesTag(text, at - 1);
  while (at > 0 && (text[at - 1] == ' ' || text[at - 1] == '\t')) --at;
  return at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
}

}  // namespace

size_t FindBpgnGameStart(std::string_view text, size_t from) {
  if (from >= text.size()) return std::string_view::npos;
  for (int at = FindBpgnTag(text, "Event", static_cast<int>(from) + 1); at;
       at = FindBpgnTag(text, "Event", at + 1))
    if (StartsGame(text, static_cast<size_t>(at - 1))) return static_cast<size_t>(at - 1);
  return std::string_view::npos;
}

std::string CurrentDateTimeText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::string CKestroGame::ReadBpgnTags(const std::string& tagText) {
  if (Trim(tagText).empty()) {
    for (int i = 0; i < 4; ++i) PlayerNames[i] = kSeatWords[i];
  } else {
    const TagIndex tags(tagText);
    for (int i = 0; i < 4; ++i) {
      std::string v;
      TagValueAt(tagText, tags.Find(kSeatWords[i]), v);
      PlayerNames[i] = v.empty() ? kSeatWords[i] : v;
      if (!TagValueAt(tagText, tags.Find(std::string(kSeatWords[i]) + "Elo"), PlayerElos[i])) PlayerElos[i] = "0";
    }
    std::string* const fields[] = {&TagEvent, &TagSite, &TagDate, &TagTimeControl, &TagResult, &TagSetup, &TagFen};
    const char* const names[] = {"Event", "Site", "Date", "TimeControl", "Result", "Setup", "FEN"};
    for (int i = 0; i < 7; ++i) {
      fields[i]->clear();
      TagValueAt(tagText, tags.Find(names[i]), *fields[i]);
    }
  }

  std::string title;
  auto player = [&](int seat) {
    title += PlayerNames[seat];
    if (PlayerElos[seat] != "0") title += "(" + PlayerElos[seat] + ")";
  };
  auto team = [&](int first, int second) {
    bool wrote = false;
    if (PlayerNames[first] != "NoPlayer") {
      player(first);
      wrote = true;
    }
    if (PlayerNames[second] != "NoPlayer") {
      if (wrote) title += "+";
      player(second);
      wrote = true;
    }
    return wrote;
  };
  title += team(0, 3) ? " x " : " NoPlayer x ";
  team(1, 2);
  title += "," + TagDate + "," + TagSite + ", " + TagResult;
  Title = title;
  return title;
}

std::string CKestroGame::DefaultBpgnTags() const {
  std::string t = "[Event \"bughouse game\"]\r\n[Site \"KVX&U:NetGame by Tolvo\"]\r\n[Date \"";
  t += CurrentDateTimeText() + "\"]\r\n";
  const std::string names[4] = {PlayerNames[0], PlayerNames[1], PlayerNames[2], PlayerNames[3]};
  t += BpgnPlayerTags(names);
  t += "[TimeControl \"180+0\"]\r\n[Result \"*\"]";
  return t;
}

// The tag part without any Setup, FEN or Variant pair, so a new set-up never doubles them.
static std::string WithoutSetupTags(const std::string& tags) {
  std::string out = tags;
  for (const char* name : {"Setup", "FEN", "Variant"}) {
    for (int at = FindBpgnTag(out, name); at; at = FindBpgnTag(out, name)) {
      int q1 = bytes::Pos("\"", out, at);
      int q2 = q1 ? bytes::Pos("\"", out, q1 + 1) : 0;
      int close = bytes::Pos("]", out, q2 ? q2 : at);
      int end = close ? close : static_cast<int>(out.size());
      while (end < static_cast<int>(out.size()) && (out[end] == '\r' || out[end] == '\n')) ++end;
      out.erase(static_cast<size_t>(at - 1), static_cast<size_t>(end - at + 1));
    }
  }
  return bytes::TrimRight(out);
}

std::string CKestroGame::BpgnSetupText(const TwoBoardPosition& position) const {
  std::string tags = TagPart.size() >= 40 ? WithoutSetupTags(TagPart) : DefaultBpgnTags();
  // The variant is the game's as it is now, so the text reads back as the same kind.
  if (GameKind == gkCoin) tags += "\r\n[Variant \"Coin\"]";
  if (GameKind == gkIngols) tags += "\r\n[Variant \"Ingols\"]";
  return tags + "\r\n[Setup \"1\"]\r\n[FEN \"" + PositionToBfen(position) + "\"]\r\n\r\n{*} *";
}

std::string CKestroGame::StripLeadingText(const std::string& text, const std::string& prefix) {
  if (!prefix.empty() && bytes::Pos(prefix, text) == 1) return text.substr(prefix.size());
  return text;
}

std::string CKestroGame::ReplaceChar(const std::string& text, char from, char to) {
  std::string r = text;
  for (char& c : r)
    if (c == from) c = to;
  return r;
}
