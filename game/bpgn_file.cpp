#include "game/bpgn_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "game/bytes.h"
#include "game/kestro_game.h"

namespace {

constexpr int kMaxGames = 2000000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Printf(const char* format, int a, int b = 0) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

char LastNonBlank(const std::string& s) {
  for (size_t i = s.size(); i > 0; --i)
    if (static_cast<unsigned char>(s[i - 1]) > ' ') return s[i - 1];
  return '\0';
}

// PGN move text. A comment is "{...}" or ";" up to the line end; suffix marks,
// NAGs and variations are dropped; a move ends at a blank or at anything that
// can not belong to it.
bool IsCommentStart(char c) { return c == '{' || c == ';'; }
bool IsSuffixMark(char c) { return c == '!' || c == '?'; }
bool EndsMove(char c) { return c == '$' || c == '(' || c == ')' || c == ';'; }

// Index just past the comment at `at`; an unclosed "{" runs to the end of the
// text, a ";" comment to its line end (never into the text past `size`).
size_t CommentEnd(const std::string& text, size_t at, size_t size) {
  if (text[at] == '{') {
    const size_t close = text.find('}', at + 1);
    return close == std::string::npos ? text.size() : close + 1;
  }
  size_t end = at + 1;
  while (end < size && text[end] != '\r' && text[end] != '\n') ++end;
  return end;
}

// A "{" comment as it is; a ";" comment in braces, without braces inside.
void AppendComment(const std::string& text, size_t at, size_t end, std::string& to) {
  if (text[at] == '{') {
    to.append(text, at, end - at);
    return;
  }
  to += '{';
  for (size_t i = at + 1; i < end; ++i)
    if (text[i] != '{' && text[i] != '}') to += text[i];
  to += '}';
}

// Index just past a variation "(...)" opening at `at`, nested ones and the
// comments inside included. An unclosed one ends before a line that opens a tag.
size_t VariationEnd(const std::string& text, size_t at) {
  const size_t n = text.size();
  int depth = 0;
  for (size_t i = at; i < n;) {
    const char c = text[i];
    if (IsCommentStart(c)) {
      i = CommentEnd(text, i, n);
      continue;
    }
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) return i + 1;
    } else if (c == '[' && i > 0 && (text[i - 1] == '\n' || text[i - 1] == '\r')) {
      return i;
    }
    ++i;
  }
  return n;
}

// Index just past what is dropped at `at`: a variation, a NAG "$12", a run of
// suffix marks or a stray ")"; `at` itself when nothing is.
size_t DroppedEnd(const std::string& text, size_t at) {
  const size_t n = text.size();
  if (at >= n) return at;
  size_t end = at;
  switch (text[at]) {
    case '(':
      return VariationEnd(text, at);
    case ')':
      return at + 1;
    case '$':
      ++end;
      while (end < n && text[end] >= '0' && text[end] <= '9') ++end;
      return end;
    case '!':
    case '?':
      while (end < n && IsSuffixMark(text[end])) ++end;
      return end;
    default:
      return at;
  }
}

// What stands between a move's clock comment and what follows: a blank, or a
// line break before a tag line (a game that ends without a result).
std::string GapBefore(const std::string& text, size_t next) {
  return next < text.size() && text[next] == '[' ? "\r\n" : " ";
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
  for (size_t at = FindBpgnGameStart(Text); at != std::string::npos; at = FindBpgnGameStart(Text, at + 1))
    Starts.push_back(at);
  for (size_t g = 0; g < Starts.size(); ++g) {
    const size_t end = g + 1 < Starts.size() ? Starts[g + 1] : Text.size();
    std::string_view game(Text.data() + Starts[g], end - Starts[g]);
    // A set-up may give Black the first move on a board, or be saved before any move.
    const bool setup = game.find("[Setup \"1\"]") != std::string_view::npos;
    auto has = [&](const char* white, const char* black) {
      return game.find(white) != std::string_view::npos || (setup && game.find(black) != std::string_view::npos);
    };
    if ((!has("1A.", "1a.") || !has("1B.", "1b.")) && !(setup && IsSetupWithoutMoves(game)))
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
  // A move at the very end still needs the blank that closes it.
  const bool closed = !input.empty() && IsBlank(input.back());
  std::string text;
  text.reserve(input.size() + 1);
  text = input;
  if (!closed) text += ' ';
  const size_t n = text.size();
  std::string out, tag, black;
  out.reserve(n + n / 2);  // board letters, clock comments and the board-B tags
  int state = 0, m = 1;
  auto skipBlanks = [&](size_t from) {
    while (from < n && IsBlank(text[from])) ++from;
    return from;
  };
  // Copies the comment at `at` to `to`; returns the index just past it.
  auto comment = [&](size_t at, std::string& to) {
    const size_t end = CommentEnd(text, at, input.size());
    AppendComment(text, at, end, to);
    return end;
  };
  // Past the comments after a move and what is dropped between them; each
  // comment goes to `to`, after the blanks before it when `keepGaps`.
  // Returns the index of what follows and whether a comment was met.
  auto trailing = [&](size_t from, std::string& to, bool keepGaps, size_t& next) {
    bool any = false, afterDropped = false;
    std::string gap;
    for (size_t j = from;;) {
      const size_t k = skipBlanks(j);
      if (!afterDropped) gap.append(text, j, k - j);
      if (k < n && IsCommentStart(text[k])) {
        if (keepGaps) to += gap;
        gap.clear();
        j = comment(k, to);
        any = true;
        afterDropped = false;
        continue;
      }
      if (const size_t d = DroppedEnd(text, k); d > k) {
        j = d;
        afterDropped = true;
        continue;
      }
      if (any && keepGaps) to += gap;
      next = k;
      return any;
    }
  };
  auto endsWith = [&](const char* s) {
    const size_t k = std::char_traits<char>::length(s);
    return out.size() >= k && out.compare(out.size() - k, k, s) == 0;
  };
  size_t bareBlackSize = 0;  // black's buffer holding only its move number
  const auto bareBlack = [&] { return black.size() == bareBlackSize; };

  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    switch (state) {
      case 0:
      plain:
        if (c == '[') {
          tag.clear();
          state = 1;
          goto in_tag;
        } else if (c == '{') {
          i = comment(i, out) - 1;
        } else if (c == '1' && i + 1 < n && text[i + 1] == '.') {
          m = 1;
          out += c;
          state = 2;
        } else {
          out += c;
        }
        break;
      case 1:
      in_tag:
        if (tag.size() == 6) {
          const std::string upper = bytes::UpperAscii(tag);
          if (upper == "[WHITE") tag = "[WhiteA";
          else if (upper == "[BLACK") tag = "[BlackA";
        }
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
      case 2:  // before white's move number
        if (c == '*' || c == '[' || endsWith("1-0") || endsWith("0-1") || endsWith("1/2")) {
          state = 0;
          goto plain;
        }
        if (IsCommentStart(c)) {
          i = comment(i, out) - 1;
        } else if (const size_t d = DroppedEnd(text, i); d > i) {
          i = skipBlanks(d) - 1;
        } else if (c == '.') {
          out += "A.";
          state = 3;
        } else {
          out += c;
        }
        break;
      case 3:  // before white's move
        if (IsBlank(c)) break;
        if (IsCommentStart(c)) {
          // A comment before the move goes before its number.
          size_t number = out.size() - 2;
          while (number > 0 && out[number - 1] >= '0' && out[number - 1] <= '9') --number;
          std::string before;
          i = comment(i, before) - 1;
          out.insert(number, before + " ");
        } else if (const size_t d = DroppedEnd(text, i); d > i) {
          i = d - 1;
        } else {
          out += c;
          state = 4;
        }
        break;
      case 4:  // white's move
        if (c == '{') {
          i = comment(i, out) - 1;
        } else if (IsSuffixMark(c)) {
          // dropped
        } else if (IsBlank(c) || EndsMove(c)) {
          size_t next = n;
          if (trailing(i, out, false, next) && next == n && LastNonBlank(out) != '}') {
            i = n;  // an unclosed comment took the rest of the text
            break;
          }
          if (LastNonBlank(out) != '}') out += "{0}";
          out += GapBefore(text, next);
          black = std::to_string(m) + "a.";
          bareBlackSize = black.size();
          ++m;
          i = next - 1;
          state = 5;
        } else {
          out += c;
        }
        break;
      case 5:  // black's move
        if (bareBlack() && ((c >= '0' && c <= '9') || c == '.')) {
          // "12..." (or "12. ...") before black's move after a comment on white's.
          size_t j = i;
          while (j < n && text[j] >= '0' && text[j] <= '9') ++j;
          if (j < n && text[j] == '.') {
            while (j < n && (text[j] == '.' || IsBlank(text[j]))) ++j;
            i = j - 1;
            break;
          }
        }
        if (bareBlack() && c == '[') {  // no result: the next game's tags
          black.clear();
          state = 0;
          goto plain;
        }
        if (c == '{') {
          out += black;
          black.clear();
          i = comment(i, out) - 1;
          state = 2;
        } else if (IsSuffixMark(c)) {
          // dropped
        } else if (IsBlank(c) || EndsMove(c)) {
          const std::string result = bytes::From(black, bytes::Pos(".", black) + 1);
          if (result == "*" || result == "1-0" || result == "0-1" || result == "1/2-1/2" || result == "1/2") {
            out += result;
            state = 0;
            break;
          }
          size_t next = n;
          if (!trailing(i, black, true, next)) black += "{0}" + GapBefore(text, next);
          out += black;
          black.clear();
          i = next - 1;
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
