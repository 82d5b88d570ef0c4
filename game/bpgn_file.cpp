#include "game/bpgn_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "game/bytes.h"
#include "game/kestro_game.h"

namespace {

constexpr int kMaxGames = 2000000;

bool IsSpace(char c) { return c == ' ' || c == '\r' || c == '\n'; }

std::string Printf(const char* format, int a, int b = 0) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// Whether the "[" at `at` opens a tag: it stands at the start of a line (after
// blanks) or right after the "]" of another tag, and not inside a tag value.
bool StartsTag(const std::string& text, size_t at) {
  if (at > 0 && text[at - 1] == ']') return true;
  while (at > 0 && (text[at - 1] == ' ' || text[at - 1] == '\t')) --at;
  return at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
}

char LastNonBlank(const std::string& s) {
  for (size_t i = s.size(); i > 0; --i)
    if (static_cast<unsigned char>(s[i - 1]) > ' ') return s[i - 1];
  return '\0';
}

}  // namespace

std::string CBpgn::JoinLines(const std::string& raw) {
  std::string out;
  out.reserve(raw.size() + raw.size() / 32 + 2);
  size_t i = 0, n = raw.size();
  while (i < n) {
    size_t j = i;
    while (j < n && raw[j] != '\r' && raw[j] != '\n') ++j;
    out.append(raw, i, j - i);
    out += "\r\n";
    if (j < n && raw[j] == '\r' && j + 1 < n && raw[j + 1] == '\n') ++j;
    i = j + 1;
  }
  return out;
}

CBpgn::CBpgn(const std::string& fileName) {
  std::string raw;
  try {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw BpgnFileError("Cannot open file \"" + fileName + "\".");
    raw.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) throw BpgnFileError("Cannot read file \"" + fileName + "\".");
  } catch (const std::ios_base::failure&) {  // e.g. a folder: the stream throws while reading
    throw BpgnFileError("Cannot read file \"" + fileName + "\".");
  }
  *this = FromText(JoinLines(raw), fileName);
}

CBpgn CBpgn::FromText(const std::string& text, const std::string& fileName) {
  CBpgn f;
  f.Text = text;
  f.TextLength = static_cast<int>(f.Text.size());
  f.log_ = "BPGN : (" + std::to_string(f.TextLength) + "B) " + fileName;
  if (bytes::UpperAscii(bytes::Copy(fileName, static_cast<int>(fileName.size()) - 3, 4)) == ".PGN")
    f.Text = ConvertPgnToBpgn(f.Text);
  f.Index();
  return f;
}

void CBpgn::Index() {
  Starts.clear();
  MissingMoves.clear();
  if (Text.size() < 10) return;
  for (int at = FindBpgnTag(Text, "Event"); at; at = FindBpgnTag(Text, "Event", at + 1))
    if (StartsTag(Text, static_cast<size_t>(at - 1))) Starts.push_back(static_cast<size_t>(at - 1));
  for (size_t g = 0; g < Starts.size(); ++g) {
    const size_t end = g + 1 < Starts.size() ? Starts[g + 1] : Text.size();
    std::string_view game(Text.data() + Starts[g], end - Starts[g]);
    if (game.find("1A.") == std::string_view::npos || game.find("1B.") == std::string_view::npos)
      MissingMoves.push_back(static_cast<int>(g) + 1);
  }
}

std::string CBpgn::CutLog(int walked, int length) const {
  std::string log = Printf("BPGN1.Length: %d Bytes.\r\n", length);
  for (int g : MissingMoves) {
    if (g > walked) break;
    log += "\r\nNot founded first moves on both chessborads (1A. and 1B. ), skipping game.";
    log += Printf(" |Game:%d ", g);
  }
  log += Printf("Successfully processed BPGN1, length %d Bytes, games %d", length, walked);
  return log;
}

const std::string& CBpgn::Log() const {
  if (logWalked_ > 0) {
    log_ = CutLog(logWalked_, logLength_);
    logWalked_ = 0;
  }
  return log_;
}

std::string CBpgn::GetGame(int n) {
  TextLength = static_cast<int>(Text.size());
  logWalked_ = 0;
  if (Starts.empty()) {
    log_ = Printf("BPGN1.Length: %d Bytes.\r\n", TextLength);
    return {};
  }
  if (n > kMaxGames && GameCount() > kMaxGames) {
    log_ = "Some Error in BPGN: Cyclic Err.";
    return {};
  }
  if (n < 1 || n > GameCount()) n = 1;
  const size_t begin = Starts[static_cast<size_t>(n - 1)];
  const size_t end = static_cast<size_t>(n) < Starts.size() ? Starts[static_cast<size_t>(n)] : Text.size();
  GameTextCut.assign(Text, begin, end - begin);
  logWalked_ = n;  // the notes of the n games walked are written when read
  logLength_ = TextLength;
  GameNumber = n;
  size_t first = 0;
  while (first < GameTextCut.size() && static_cast<unsigned char>(GameTextCut[first]) <= ' ') ++first;
  return GameTextCut.substr(first);
}

std::string CBpgn::ConvertPgnToBpgn(const std::string& input) {
  std::string text = input;
  // A move at the very end still needs the blank that closes it.
  const bool closed = !text.empty() && IsSpace(text.back());
  if (!closed) text += ' ';
  const size_t n = text.size();
  std::string out, tag, black;
  out.reserve(n + n / 4);
  int state = 0, m = 1;
  auto nextNonSpace = [&](size_t from) {
    while (from < n && IsSpace(text[from])) ++from;
    return from;
  };
  // Copies "{..." up to, not including, the next "}".
  auto copyComment = [&](size_t& i, std::string& to) {
    while (i < n && text[i] != '}') to += text[i++];
    --i;  // the "}" is read next as an ordinary character
  };
  auto endsWith = [&](const char* s) {
    const size_t k = std::char_traits<char>::length(s);
    return out.size() >= k && out.compare(out.size() - k, k, s) == 0;
  };

  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    switch (state) {
      case 0:
      plain:
        if (c == '[') {
          tag.clear();
          state = 1;
          goto in_tag;
        } else if (c == '1' && i + 1 < n && text[i + 1] == '.') {
          m = 1;
          out += c;
          state = 2;
        } else {
          out += c;
        }
        break;
      case 1:
      in_tag: {
        const std::string upper = bytes::UpperAscii(tag);
        if (upper == "[WHITE") tag = "[WhiteA";
        else if (upper == "[BLACK") tag = "[BlackA";
        tag += c;
        if (c == ']') {
          if (bytes::UpperAscii(bytes::Copy(tag, 2, 9)) == "BLACKAELO")
            tag += "\r\n[WhiteBElo \"0\"]\r\n[BlackBElo \"0\"]";
          else if (bytes::UpperAscii(bytes::Copy(tag, 2, 5)) == "BLACK")
            tag += "\r\n[WhiteB \"NoPlayer\"]\r\n[BlackB \"NoPlayer\"]";
          out += tag;
          tag.clear();
          state = 0;
        }
        break;
      }
      case 2:
        if (c == '*' || endsWith("1-0") || endsWith("0-1") || endsWith("1/2")) {
          state = 0;
          goto plain;
        }
        if (c == '.') {
          out += "A.";
          state = 3;
        } else {
          out += c;
        }
        break;
      case 3:
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') break;
        out += c;
        state = 4;
        break;
      case 4:
        if (c == '{') {
          copyComment(i, out);
        } else if (IsSpace(c)) {
          const size_t next = nextNonSpace(i);
          if (next < n && text[next] == '{') {
            i = next;
            copyComment(i, out);
            break;
          }
          out += LastNonBlank(out) == '}' ? " " : "{0} ";
          black = std::to_string(m) + "a.";
          ++m;
          i = next - 1;
          state = 5;
        } else {
          out += c;
        }
        break;
      case 5:
        if (black.size() == std::to_string(m - 1).size() + 2 && c >= '0' && c <= '9') {
          // "12..." before black's move after a comment on white's.
          size_t j = i;
          while (j < n && text[j] >= '0' && text[j] <= '9') ++j;
          if (j < n && text[j] == '.') {
            while (j < n && text[j] == '.') ++j;
            i = nextNonSpace(j) - 1;
            break;
          }
        }
        if (c == '{') {
          out += black;
          black.clear();
          copyComment(i, out);
          state = 2;
        } else if (IsSpace(c)) {
          const std::string result = bytes::From(black, bytes::Pos(".", black) + 1);
          if (result == "*" || result == "1-0" || result == "0-1" || result == "1/2-1/2" || result == "1/2") {
            out += result;
            state = 0;
            break;
          }
          const size_t next = nextNonSpace(i);
          if (next < n && text[next] == '{') {
            black.append(text, i, next - i);
            i = next;
            copyComment(i, black);
          } else {
            black += "{0} ";
            i = next - 1;
          }
          out += black;
          black.clear();
          state = 2;
        } else {
          black += c;
        }
        break;
    }
  }
  if (state == 1) out += tag;
  if (!closed && (state == 0 || state == 2) && !out.empty() && out.back() == ' ') out.pop_back();
  return out;
}
