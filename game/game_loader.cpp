// Building a game object from a BPGN game text, and replaying its record.
#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "game/air_drops.h"
#include "game/bytes.h"
#include "game/kestro_game.h"

namespace {

const std::string& ExecutableFolder() {
  static const std::string folder = [] {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string(".");
    std::string p(path, static_cast<size_t>(n));
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
  }();
  return folder;
}

GameDisplayFactory& DisplayFactorySlot() {
  static GameDisplayFactory factory = nullptr;
  return factory;
}

struct SetupText {
  const char* bfen;
  StartSetup setup;
  bool lineAlone;  // SetupLine keeps only the FEN line
};
constexpr SetupText kSetupTexts[] = {
    {"rqbnkbnr/pppppppp/8/8/8/8/PPPPPPPP/RQBNKBNR w KQkq - 180 180", StartSetup::Rqbn, true},
    {"r3k2r/1nbq1bn1/pppppppp/8/8/PPPPPPPP/1NBQ1BN1/R3K2R w KQkq - 300 300", StartSetup::R3k2r, true},
    {"qrrbb1nn/kpp5/ppp5/ppp5/5PPP/5PPP/5PPK/NN1BBRRQ w KQkq - 300 300", StartSetup::Qrrbb, true},
    {"4pnrk/4pbqr/4ppnb/4pppp/PPPP4/BNPP4/RQBP4/KRNP4 w KQkq - 300 300", StartSetup::Ingols, false},
};

std::string FenLine(const char* bfen) {
  return std::string("[FEN \"") + bfen + " | " + bfen + "\"]";
}

// End of the leading tag pairs (1-based position after the last "]"), so the
// search for the first moves never looks inside a tag value.
int TagPairsEnd(const std::string& text) {
  int i = 1, n = static_cast<int>(text.size()), end = 1;
  for (;;) {
    while (i <= n && static_cast<unsigned char>(text[i - 1]) <= ' ') ++i;
    if (i > n || text[i - 1] != '[') return end;
    bool quoted = false;
    int j = i + 1;
    for (; j <= n; ++j) {
      char c = text[j - 1];
      if (c == '"') quoted = !quoted;
      else if (c == ']' && !quoted) break;
      else if ((c == '\n' || c == '\r') && quoted) quoted = false;  // unclosed quote ends at the line
    }
    if (j > n) return end;
    i = end = j + 1;
  }
}

// First "1A." (or "1B.") at or after `from` that is not the tail of a longer number.
int FindFirstMove(const std::string& text, const char* mark, int from) {
  for (int at = bytes::Pos(mark, text, from); at; at = bytes::Pos(mark, text, at + 1)) {
    unsigned char before = static_cast<unsigned char>(bytes::At(text, at - 1));
    if (before < '0' || before > '9') return at;
  }
  return 0;
}

// Tokens run up to and including the "}" that closes their comment, nested
// braces included. From an unclosed comment on, each "}" ends a token.
std::vector<std::string> SplitTokens(const std::string& text) {
  std::vector<std::string> tokens;
  size_t start = 0;
  int depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{') {
      ++depth;
    } else if (text[i] == '}' && --depth <= 0) {
      tokens.push_back(text.substr(start, i + 1 - start));
      start = i + 1;
      depth = 0;
    }
  }
  while (start < text.size()) {
    const size_t close = text.find('}', start);
    const size_t end = close == std::string::npos ? text.size() : close + 1;
    tokens.push_back(text.substr(start, end - start));
    start = end;
  }
  return tokens;
}

bool IsMoveToken(const std::string& token) {
  int brace = bytes::Pos("{", token);
  std::string head = brace ? token.substr(0, static_cast<size_t>(brace - 1)) : token;
  return !head.empty() && bytes::Pos(".", head) > 0;
}

}  // namespace

GameDisplay::~GameDisplay() = default;

void SetGameDisplayFactory(GameDisplayFactory factory) { DisplayFactorySlot() = factory; }

CKestroGame::CKestroGame(const std::string& text, int firstMoveThreshold) : CKestroGame() {
  if (GameDisplayFactory factory = DisplayFactorySlot()) Display = factory();
  ProgramFolder = ExecutableFolder();
  SysFolder = ProgramFolder + "/Sys/";
  SourceText = text;
  LoadGameText(firstMoveThreshold);
  ReadBpgnTags(TagPart);
}

void CKestroGame::SetupStartPosition(TwoBoardPosition& position) const {
  switch (StartKind) {
    case StartSetup::Rqbn: SetupPositionRqbn(position); break;
    case StartSetup::R3k2r: SetupPositionR3k2r(position); break;
    case StartSetup::Qrrbb: SetupPositionQrrbb(position); break;
    case StartSetup::Ingols: SetupIngolsPosition(position); break;
    case StartSetup::Standard: SetupStandardPosition(position); break;
  }
  if (GameKind == gkCoin) position.coinSquare[0] = position.coinSquare[1] = sq::e4;
  if (GameKind == gkIngols) SetupIngolsPosition(position);
}

void CKestroGame::LoadGameText(int firstMoveThreshold) {
  const std::string& text = SourceText;
  const int tagsEnd = TagPairsEnd(text);
  const int a = FindFirstMove(text, "1A.", tagsEnd);
  const int b = FindFirstMove(text, "1B.", tagsEnd);
  BoardsFound = (a > 0) + (b > 0);
  SetupStandardPosition(Position);
  if (a + b < firstMoveThreshold || a + b == 0) {
    TagPart = bytes::TrimRight(bytes::Copy(text, 1, tagsEnd - 1));
    ErrorLog += "\r\nNot founded first moves on both chessboards (1A. and 1B. )";
    LoadFailed = 1;
    return;
  }
  const int start = (a && b) ? std::min(a, b) : (a ? a : b);
  TagPart = bytes::TrimRight(bytes::Copy(text, 1, start - 1));
  MovePart = bytes::From(text, start);
  TailPart.clear();

  // Start position from a recognised set-up text (CR LF or LF between the lines).
  StartKind = StartSetup::Standard;
  SetupLine.clear();
  for (const SetupText& s : kSetupTexts) {
    const std::string fen = FenLine(s.bfen);
    bool found = false;
    for (const char* eol : {"\r\n", "\n"}) {
      const std::string whole = std::string("[Setup \"1\"]") + eol + fen;
      if (bytes::Pos(whole, TagPart)) {
        SetupLine = s.lineAlone ? fen : whole;
        found = true;
        break;
      }
    }
    if (found) {
      StartKind = s.setup;
      break;
    }
  }
  if (bytes::Pos("[Variant \"Coin\"]", TagPart))
    GameKind = gkCoin;
  else if (bytes::Pos("[Variant \"Ingols\"]", TagPart))
    GameKind = gkIngols;
  else
    GameKind = bytes::Pos("bughouse", bytes::LowerAscii(TagPart)) ? gkBughouse : gkOther;
  SetupStartPosition(Position);

  Moves.clear();
  MoveCount = 0;
  NormalizeMoveTextNoComments(MovePart);
  if (bytes::Pos("{C:", MovePart) || bytes::Pos("{A:", MovePart)) {
    ErrorLog += "\r\nSkipping commented/anotated game - not supported!";
    LoadFailed = 1;
    return;
  }
  // A "(" outside comments opens a subvariant.
  for (size_t i = 0, depth = 0; i < MovePart.size(); ++i) {
    const char c = MovePart[i];
    if (c == '{') ++depth;
    else if (c == '}' && depth) --depth;
    else if (c == '(' && !depth) {
      ErrorLog += "\rSkipping BPGN game - subvariants (...) - not supported!";
      LoadFailed = 1;
      return;
    }
  }

  const std::vector<std::string> tokens = SplitTokens(MovePart);
  int lastMove = -1;
  for (int i = static_cast<int>(tokens.size()) - 1; i >= 0; --i)
    if (IsMoveToken(tokens[static_cast<size_t>(i)])) {
      lastMove = i;
      break;
    }

  std::string played;
  for (int i = 0; i < static_cast<int>(tokens.size()); ++i) {
    const std::string& token = tokens[static_cast<size_t>(i)];
    if (!IsMoveToken(token)) {
      // Anything after the last move is the game's closing; a comment between
      // moves belongs to the move before it; other text there goes to the
      // move player, which refuses it.
      if (i > lastMove) {
        TailPart.clear();
        for (size_t j = static_cast<size_t>(i); j < tokens.size(); ++j) TailPart += tokens[j];
        break;
      }
      if (token[0] == '{' && !Moves.empty()) {
        Moves.back().token += token;
        played += token;
        continue;
      }
    }
    BpgnMove move;
    move.token = token;
    if (!PlayMove(move, Position, HandCheck::Lenient)) {
      MovePart = played;
      LoadFailed = 1;
      return;
    }
    move.serial = MoveCount + 1;
    Moves.push_back(std::move(move));
    ++MoveCount;
    played += token;
  }
  MovePart = played;

  if (!RemoveAirDrops(MoveCount, Moves, MovePart)) {
    ErrorLog += " |AirDrops KO";
    LoadFailed = 1;
    return;
  }
  if (!bytes::Pos("{", TailPart)) TailPart += "{*}*";
  GameText = TagPart + "\r\n" + MovePart + "\r\n" + TailPart;
}

void CKestroGame::NormalizeMoveTextNoComments(std::string& text) {
  std::string out;
  out.reserve(text.size());
  int depth = 0;
  bool skipping = false;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (skipping) {
      if (c == '}') skipping = false;
      continue;
    }
    switch (c) {
      case '{': {
        const char next = i + 1 < n ? text[i + 1] : '\0';
        const char after = i + 2 < n ? text[i + 2] : '\0';
        if ((next == 'C' || next == 'A' || next == 'L') && after == ':') {
          skipping = true;
        } else {
          ++depth;
          out += c;
        }
        break;
      }
      case '}':
        if (depth > 0) {
          --depth;
          out += c;
        }
        break;
      case '\t': case '\n': case '\r': case '#': case '$': case '+':
        break;
      case ' ':
        if (depth > 0) out += c;
        break;
      default:
        out += c;
    }
  }
  text.swap(out);
}

int CKestroGame::RemoveAirDrops(int moveCount, std::vector<BpgnMove>& moves, std::string& moveText) {
  AirDropOutcome r = FindAirDropOrder(
      moves, moveCount, [](const BpgnMove& m) { return m.board; }, [](const BpgnMove& m) { return m.captured; },
      [](const BpgnMove& m) { return m.dropped; });
  if (r.kind == AirDropOutcome::PassLimit) {
    ErrorLog += "\r\nErrC=Cyclic error in AirDrops removing function.";
    ErrorLog += "ErrC,";
    return 0;
  }
  if (r.kind == AirDropOutcome::MissingSupplier) {
    ErrorLog += "\r\nErrA=Founded AirDrop for which no later played move on partners board taked such piece.";
    ErrorLog += "ErrA,";
    return 0;
  }
  if (r.fixes > 0) {
    std::vector<BpgnMove> reordered;
    reordered.reserve(moves.size());
    for (int idx : r.order) reordered.push_back(std::move(moves[static_cast<size_t>(idx)]));
    for (size_t i = r.order.size(); i < moves.size(); ++i) reordered.push_back(std::move(moves[i]));
    moves.swap(reordered);
    for (size_t i = 0; i < moves.size(); ++i) moves[i].serial = static_cast<int32_t>(i) + 1;
  }
  std::string rebuilt;
  rebuilt.reserve(moveText.size() + static_cast<size_t>(moveCount) + 8);
  for (int i = 0; i < moveCount && i < static_cast<int>(moves.size()); ++i) {
    const std::string& t = moves[static_cast<size_t>(i)].token;
    const size_t brace = t.find('{');
    if (brace == std::string::npos) {
      rebuilt += t + ' ';
    } else {
      rebuilt.append(t, 0, brace);
      rebuilt += ' ';
      rebuilt.append(t, brace, std::string::npos);
    }
  }
  moveText.swap(rebuilt);
  char note[24];
  std::snprintf(note, sizeof note, "%d,", r.fixes);
  ErrorLog += note;
  return 1;
}

void CKestroGame::ReplayTo(int n) {
  if (n < 0) n = 0;
  if (!ReplayValid || n < ReplayCursor) {
    ReplayPosition = TwoBoardPosition{};  // nothing left over from a later move
    SetupStartPosition(ReplayPosition);
    ReplayCursor = 0;
    ReplayValid = true;
  }
  // Replays are quiet: refusals are skipped without growing the error log.
  const size_t logSize = ErrorLog.size();
  BpgnMove scratch;
  while (ReplayCursor < n && ReplayCursor < MoveCount && ReplayCursor < static_cast<int>(Moves.size())) {
    scratch = Moves[static_cast<size_t>(ReplayCursor)];
    ++ReplayCursor;
    PlayMove(scratch, ReplayPosition, HandCheck::Lenient);
  }
  ErrorLog.resize(logSize);
}

void CKestroGame::FinishReplay(TwoBoardPosition& out) {
  ReplayIndex = ReplayCursor;
  TwoBoardPosition shown = ReplayPosition;
  ComputeAttackMaps(shown, 1);
  ComputeAttackMaps(shown, 2);
  Position = shown;
  out = shown;
}

void CKestroGame::GetPositionAtMove(TwoBoardPosition& out, int n) {
  ReplayTo(n);
  FinishReplay(out);
}

void CKestroGame::StepToNextMoveOnBoard(TwoBoardPosition& out, int board) {
  ReplayTo(ReplayIndex);
  const int limit = std::min(MoveCount, static_cast<int>(Moves.size()));
  while (ReplayCursor < limit) {
    const int boardOfNext = Moves[static_cast<size_t>(ReplayCursor)].board;
    ReplayTo(ReplayCursor + 1);
    if (boardOfNext == board) break;
  }
  FinishReplay(out);
}
