// Building a game object from a BPGN game text, and replaying its record.
#include <algorithm>
#include <string_view>
#include <utility>
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
      if (quoted && c == '\\' && j < n && text[j] != '\r' && text[j] != '\n') ++j;  // an escaped character
      else if (c == '"') quoted = !quoted;
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

// What one pass over a move text finds: whether it holds a "{C:" or "{A:"
// comment, or a "(" outside comments, which opens a subvariant, and its tokens.
// Tokens run up to and including the "}" that closes their comment, nested
// braces included. From an unclosed comment on, each "}" ends a token.
struct MoveTextScan {
  bool chatOrAnnotation = false;
  bool subvariant = false;
  std::vector<std::string_view> tokens;  // views into the text
};

MoveTextScan ScanMoveText(std::string_view text) {
  MoveTextScan scan;
  size_t start = 0;
  int depth = 0;           // of the token being read
  size_t commentDepth = 0;  // for the subvariant test: a stray "}" does not go below 0
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c != '{' && c != '}' && c != '(') continue;
    if (c == '{') {
      ++depth;
      ++commentDepth;
      if (i + 2 < n && (text[i + 1] == 'C' || text[i + 1] == 'A') && text[i + 2] == ':') scan.chatOrAnnotation = true;
    } else if (c == '}') {
      if (commentDepth) --commentDepth;
      if (--depth <= 0) {
        scan.tokens.push_back(text.substr(start, i + 1 - start));
        start = i + 1;
        depth = 0;
      }
    } else if (!commentDepth) {
      scan.subvariant = true;
    }
  }
  while (start < n) {
    const size_t close = text.find('}', start);
    const size_t end = close == std::string_view::npos ? n : close + 1;
    scan.tokens.push_back(text.substr(start, end - start));
    start = end;
  }
  return scan;
}

// A move token has a "." before its first "{" (or in the whole token without one).
bool IsMoveToken(std::string_view token) {
  const std::string_view head = token.substr(0, token.find('{'));
  return head.find('.') != std::string_view::npos;
}

// Whether a move text, cleaned as the loader cleans it, holds a move token.
bool HoldsMoveToken(std::string_view text) {
  std::string moves(text);
  CKestroGame::NormalizeMoveTextNoComments(moves);
  const MoveTextScan scan = ScanMoveText(moves);
  return std::any_of(scan.tokens.begin(), scan.tokens.end(), IsMoveToken);
}

// Characters that NormalizeMoveTextNoComments keeps without looking further.
struct PlainMoveChars {
  bool plain[256] = {};
  constexpr PlainMoveChars() {
    for (int c = 0; c < 256; ++c) plain[c] = true;
    for (unsigned char c : {'{', '}', '\t', '\n', '\r', '#', '$', '+', ' '}) plain[c] = false;
  }
};
constexpr PlainMoveChars kPlainMoveChar;

// Follows a played move in the lists of its board, from the squares before
// it; false when the lists do not fit the board.
bool FollowMove(PieceLists& pieces, ConstBoardRef b, const BpgnMove& m) {
  if (m.castlingKind) {
    const int rookFrom = CastlingRookFrom(m.castlingKind);
    return pieces.Move(b.squares[m.from], m.from, m.to) &&
           pieces.Move(b.squares[rookFrom], rookFrom, CastlingRookTo(m.castlingKind));
  }
  if (m.dropped) return b.squares[m.to] == pcEmpty && pieces.Add(m.dropped, m.to);
  const int target = b.squares[m.to];
  if (IsPiece(target) && !pieces.Remove(target, m.to)) return false;
  if (m.epVictim && !pieces.Remove(b.squares[m.epVictim], m.epVictim)) return false;
  const int piece = b.squares[m.from];
  if (m.promotion) return pieces.Remove(piece, m.from) && pieces.Add(m.landingPiece, m.to);
  return pieces.Move(piece, m.from, m.to);
}

}  // namespace

bool HoldsMoveAfterTags(std::string_view gameText) {
  const std::string text(gameText);
  return HoldsMoveToken(bytes::From(text, TagPairsEnd(text)));
}

bool IsSetupWithoutMoves(std::string_view gameText, int* tagsEnd) {
  const std::string text(gameText);
  const int end = TagPairsEnd(text);
  const std::string tagPart = bytes::Copy(text, 1, end - 1);
  if (!bytes::Pos("[Setup \"1\"]", tagPart) || HoldsMoveToken(bytes::From(text, end))) return false;
  TwoBoardPosition start;
  if (!CKestroGame().SetupPositionOfTags(tagPart, start)) return false;
  if (tagsEnd) *tagsEnd = end;
  return true;
}

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
    case StartSetup::Bfen: {
      std::string error;
      if (!BfenToPosition(StartBfen, position, error)) SetupStandardPosition(position);
      break;
    }
  }
  if (GameKind == gkCoin) position.coinSquare[0] = position.coinSquare[1] = sq::e4;
  // An Ingols game starts from its own position unless a set-up gave another.
  if (GameKind == gkIngols && StartKind != StartSetup::Bfen) SetupIngolsPosition(position);
}

void CKestroGame::ReadStartFromTags(const std::string& tagPart) {
  // Start position from a recognised set-up text (CR LF or LF between the lines).
  StartKind = StartSetup::Standard;
  SetupLine.clear();
  // Every set-up text starts with the Setup tag, so without it none is searched for.
  const bool setupTag = bytes::Pos("[Setup \"1\"]", tagPart) != 0;
  for (const SetupText& s : kSetupTexts) {
    if (!setupTag) break;
    const std::string fen = FenLine(s.bfen);
    bool found = false;
    for (const char* eol : {"\r\n", "\n"}) {
      const std::string whole = std::string("[Setup \"1\"]") + eol + fen;
      if (bytes::Pos(whole, tagPart)) {
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
  // Any other set-up is read from its FEN tag; what cannot be read leaves the standard start.
  if (setupTag && StartKind == StartSetup::Standard) {
    std::string fen, error;
    TwoBoardPosition probe;
    if (!BpgnTagValue(tagPart, "FEN", fen))
      error = "no FEN tag";
    else if (BfenToPosition(fen, probe, error))
      error.clear();
    if (error.empty()) {
      StartKind = StartSetup::Bfen;
      StartBfen = fen;
      SetupLine = "[FEN \"" + fen + "\"]";
    } else {
      ErrorLog += "\r\nBad set-up position (" + error + "), the standard position is used.";
    }
  }
  if (bytes::Pos("[Variant \"Coin\"]", tagPart))
    GameKind = gkCoin;
  else if (bytes::Pos("[Variant \"Ingols\"]", tagPart))
    GameKind = gkIngols;
  else
    GameKind = bytes::Pos("bughouse", bytes::LowerAscii(tagPart)) ? gkBughouse : gkOther;
}

bool CKestroGame::SetupPositionOfTags(const std::string& tagPart, TwoBoardPosition& position) {
  ReadStartFromTags(tagPart);
  if (StartKind == StartSetup::Standard) return false;
  SetupStartPosition(position);
  return true;
}

void CKestroGame::LoadGameText(int firstMoveThreshold) {
  const std::string& text = SourceText;
  const int tagsEnd = TagPairsEnd(text);
  int a = FindFirstMove(text, "1A.", tagsEnd);
  int b = FindFirstMove(text, "1B.", tagsEnd);
  // A set-up may give Black the first move on a board: "1a." or "1b." then starts it.
  if (bytes::Pos("[Setup \"1\"]", bytes::Copy(text, 1, tagsEnd - 1))) {
    auto earlier = [](int found, int other) { return other && (!found || other < found) ? other : found; };
    a = earlier(a, FindFirstMove(text, "1a.", tagsEnd));
    b = earlier(b, FindFirstMove(text, "1b.", tagsEnd));
  }
  BoardsFound = (a > 0) + (b > 0);
  int start = (a && b) ? std::min(a, b) : (a ? a : b);
  if (a + b < firstMoveThreshold || a + b == 0) {
    // A set-up saved before its first move is its position alone, on both boards.
    if (!IsSetupWithoutMoves(text)) {
      SetupStandardPosition(Position);
      TagPart = bytes::TrimRight(bytes::Copy(text, 1, tagsEnd - 1));
      ErrorLog += "\r\nNot founded first moves on both chessboards (1A. and 1B. )";
      LoadFailed = 1;
      return;
    }
    start = tagsEnd;
    BoardsFound = 2;
  }
  TagPart = bytes::TrimRight(bytes::Copy(text, 1, start - 1));
  MovePart = bytes::From(text, start);
  TailPart.clear();

  ReadStartFromTags(TagPart);
  // Every start position writes all that the standard one would on this new object.
  SetupStartPosition(Position);
  LoadedKind = GameKind;

  Moves.clear();
  MoveCount = 0;
  NormalizeMoveTextNoComments(MovePart);
  // The tokens point into MovePart, which stays as it is until they are done with.
  const MoveTextScan scan = ScanMoveText(MovePart);
  if (scan.chatOrAnnotation) {
    ErrorLog += "\r\nSkipping commented/anotated game - not supported!";
    LoadFailed = 1;
    return;
  }
  if (scan.subvariant) {
    ErrorLog += "\rSkipping BPGN game - subvariants (...) - not supported!";
    LoadFailed = 1;
    return;
  }

  const std::vector<std::string_view>& tokens = scan.tokens;
  Moves.reserve(tokens.size());
  int lastMove = -1;
  for (int i = static_cast<int>(tokens.size()) - 1; i >= 0; --i)
    if (IsMoveToken(tokens[static_cast<size_t>(i)])) {
      lastMove = i;
      break;
    }

  // The tokens played so far are the start of MovePart, up to `played`.
  size_t played = 0;
  // Pins are computed only for moves that read them; those the position is
  // left with are settled after the last move.
  PutOffPins putOff;
  PinsPlan pins;
  pins.putOff = &putOff;
  bool refused = false;
  const int count = static_cast<int>(tokens.size());
  auto isComment = [&](int i) {
    const std::string_view token = tokens[static_cast<size_t>(i)];
    return token[0] == '{' && !IsMoveToken(token);
  };
  for (int i = 0; i < count; ++i) {
    const std::string_view token = tokens[static_cast<size_t>(i)];
    // Anything after the last move is the game's closing; other text that is
    // not a move goes to the move player, which refuses it.
    if (i > lastMove) {
      TailPart.clear();
      for (size_t j = static_cast<size_t>(i); j < tokens.size(); ++j) TailPart += tokens[j];
      break;
    }
    // Comments between moves belong to the move before them, which is played
    // with them, as a replay reading its text plays it again.
    BpgnMove move;
    move.token.assign(token);
    int next = i + 1;
    for (; next <= lastMove && isComment(next); ++next) move.token += tokens[static_cast<size_t>(next)];
    if (!PlayBpgnMoveWithPins(move, Position, 0, HandCheck::Lenient, pins)) {
      refused = true;
      break;
    }
    move.serial = MoveCount + 1;
    played += move.token.size();
    Moves.push_back(std::move(move));
    ++MoveCount;
    i = next - 1;
  }
  for (int board = 1; board <= 2; ++board) SettlePutOffPins(putOff, board, Position);
  MovePart.resize(played);
  if (refused) {
    LoadFailed = 1;
    return;
  }

  if (!RemoveAirDrops(MoveCount, Moves, MovePart)) {
    ErrorLog += " |AirDrops KO";
    LoadFailed = 1;
    return;
  }
  if (!bytes::Pos("{", TailPart)) TailPart += "{*}*";
  GameText = TagPart + "\r\n" + MovePart + "\r\n" + TailPart;
}

void CKestroGame::NormalizeMoveTextNoComments(std::string& text) {
  // The text is compacted in place: what is kept is written at `kept`, which
  // never passes the character being read (or the two looked at after it).
  // Through a plain pointer the compiler need not reload the string after each store.
  char* const chars = text.data();
  size_t kept = 0;
  int depth = 0;
  bool skipping = false;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = chars[i];
    if (skipping) {
      if (c == '}') skipping = false;
      continue;
    }
    if (kPlainMoveChar.plain[static_cast<unsigned char>(c)]) {  // the common case, kept as it is
      chars[kept++] = c;
      continue;
    }
    switch (c) {
      case '{': {
        const char next = i + 1 < n ? chars[i + 1] : '\0';
        const char after = i + 2 < n ? chars[i + 2] : '\0';
        if ((next == 'C' || next == 'A' || next == 'L') && after == ':') {
          skipping = true;
        } else {
          ++depth;
          chars[kept++] = c;
        }
        break;
      }
      case '}':
        if (depth > 0) {
          --depth;
          chars[kept++] = c;
        }
        break;
      case '\t': case '\n': case '\r': case '#': case '$': case '+':
        break;
      case ' ':
        if (depth > 0) chars[kept++] = c;
        break;
      default:
        chars[kept++] = c;
    }
  }
  text.resize(kept);
}

int CKestroGame::RemoveAirDrops(int moveCount, std::vector<BpgnMove>& moves, std::string& moveText) {
  // Only a set-up read from its FEN tag can start with pieces in hand.
  int startHands[20] = {};
  if (StartKind == StartSetup::Bfen) {
    TwoBoardPosition start;
    SetupStartPosition(start);
    for (int slot = 0; slot < kSlots; ++slot) {
      startHands[slot] = start.holdingsA[slot];
      startHands[kSlots + slot] = start.holdingsB[slot];
    }
  }
  const AirDropOutcome r = PutAirDropsRight(moves, moveCount, ErrorLog, ErrorLog, startHands);
  if (r.kind != AirDropOutcome::Ok) return 0;
  if (r.fixes > 0)
    for (size_t i = 0; i < moves.size(); ++i) moves[i].serial = static_cast<int32_t>(i) + 1;
  moveText = JoinMoveTexts(
      moves, moveCount, [](const BpgnMove& m) -> const std::string& { return m.token; }, false,
      moveText.size() + static_cast<size_t>(moveCount) + 8);
  ErrorLog += std::to_string(r.fixes);
  ErrorLog += ',';
  return 1;
}

void CKestroGame::ReplayTo(int n) {
  if (n < 0) n = 0;
  if (!ReplayValid || n < ReplayCursor) {
    ReplayPosition = TwoBoardPosition{};  // nothing left over from a later move
    SetupStartPosition(ReplayPosition);
    ReplayCursor = 0;
    ReplayValid = true;
    ReplayMapsStale[0] = ReplayMapsStale[1] = true;
    ReplayPiecesKept[0] = ReplayPiecesKept[1] = false;
  }
  // Replays are quiet: refusals are skipped without growing the error log.
  const size_t logSize = ErrorLog.size();
  while (ReplayCursor < n && ReplayCursor < MoveCount && ReplayCursor < static_cast<int>(Moves.size())) {
    const BpgnMove& next = Moves[static_cast<size_t>(ReplayCursor)];
    ++ReplayCursor;
    if (next.played && GameKind == LoadedKind) {
      const int index = next.board == 1 ? 0 : 1;
      const ConstBoardRef before = BoardOf(std::as_const(ReplayPosition), next.board);
      if (ReplayPiecesKept[index]) ReplayPiecesKept[index] = FollowMove(ReplayPieces[index], before, next);
      ApplyPlayedMove(next, ReplayPosition);
      if (next.lagCompensatorSet) LagCompensatorRead = next.lagCompensatorValue;
      ReplayMapsStale[index] = true;
      continue;
    }
    BpgnMove scratch = next;
    // A board whose maps are up to date has its pins too.
    PinsPlan pins;
    pins.known[0] = !ReplayMapsStale[0];
    pins.known[1] = !ReplayMapsStale[1];
    if (PlayBpgnMoveWithPins(scratch, ReplayPosition, 0, HandCheck::Lenient, pins)) {
      ReplayMapsStale[scratch.board == 1 ? 0 : 1] = true;
      ReplayPiecesKept[scratch.board == 1 ? 0 : 1] = false;
    } else {
      // A refused move changes no square; this is only caution.
      ReplayMapsStale[0] = ReplayMapsStale[1] = true;
      ReplayPiecesKept[0] = ReplayPiecesKept[1] = false;
    }
  }
  ErrorLog.resize(logSize);
}

// Pins and attack maps depend only on a board's squares, its king squares and
// the game kind, so a board without a move since its last computation keeps them.
void CKestroGame::FinishReplay(TwoBoardPosition& out) {
  ReplayIndex = ReplayCursor;
  if (ReplayMapsKind != GameKind) ReplayMapsStale[0] = ReplayMapsStale[1] = true;
  ReplayMapsKind = GameKind;
  for (int board = 1; board <= 2; ++board) {
    if (!ReplayMapsStale[board - 1]) continue;
    if (!ReplayPiecesKept[board - 1]) ReplayPieces[board - 1].Gather(BoardOf(ReplayPosition, board).squares);
    ReplayPiecesKept[board - 1] = true;
    ComputeAttackMapsFrom(ReplayPosition, board, ReplayPieces[board - 1]);
    ReplayMapsStale[board - 1] = false;
  }
  Position = ReplayPosition;
  if (&out != &Position) out = ReplayPosition;
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
