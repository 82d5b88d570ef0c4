#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/kestro_game.h"
#include "tests/game/boards.h"

namespace {

std::unique_ptr<CKestroGame> Load(const std::string& text) { return std::make_unique<CKestroGame>(text, 1); }

std::string Bfen(const TwoBoardPosition& p) { return CKestroGame::PositionToBfen(p); }

TwoBoardPosition At(CKestroGame& g, int n) {
  TwoBoardPosition p;
  g.GetPositionAtMove(p, n);
  return p;
}

bool Same(const TwoBoardPosition& a, const TwoBoardPosition& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool KingAttacked(const CKestroGame& g, const TwoBoardPosition& p, int board, int side) {
  ConstBoardRef b = BoardOf(p, board);
  return g.IsSquareAttacked(b.squares, b.kingSquare[side], side) != 0;
}

bool OnBoard(const LegalMoveEntry& e, int board) {
  return board == 1 ? e.kind == mkMoveA || e.kind == mkWhiteDropA || e.kind == mkBlackDropA
                    : e.kind == mkMoveB || e.kind == mkWhiteDropB || e.kind == mkBlackDropB;
}

// Moves and drops of the side to move on one board that leave its king safe.
int SafeReplies(CKestroGame& g, const TwoBoardPosition& p, int board) {
  TwoBoardPosition work = p;
  g.GenerateLegalMoves(work);
  const std::vector<LegalMoveEntry> list = g.LegalMoves;
  const int side = *BoardOf(p, board).sideToMove;
  int safe = 0;
  for (const LegalMoveEntry& e : list) {
    if (!OnBoard(e, board)) continue;
    TwoBoardPosition next = p;
    BpgnMove m;
    m.token = g.MoveToBpgn(next, e.kind, e.from, e.to, e.promotion, 0, 0) + "{1}";
    if (g.PlayMove(m, next) && !KingAttacked(g, next, board, side)) ++safe;
  }
  return safe;
}

// Check and mate signs of the move text (outside comments).
int Signs(const std::string& moveText, const char* signs) {
  int depth = 0, count = 0;
  for (char c : moveText) {
    if (c == '{') ++depth;
    else if (c == '}' && depth) --depth;
    else if (!depth && std::strchr(signs, c)) ++count;
  }
  return count;
}

// Plays the loaded record again from its start with the hand check of live
// play: each move must be in the legal-move list, must not leave its king in
// check, and the checks and mates met must match the signs of the text.
void ExpectLegalRecord(const CKestroGame& loaded) {
  CKestroGame g;
  g.GameKind = loaded.GameKind;
  TwoBoardPosition p;
  loaded.SetupStartPosition(p);
  int checks = 0, mates = 0;
  for (int i = 0; i < loaded.MoveCount; ++i) {
    BpgnMove m;
    m.token = loaded.Moves[static_cast<size_t>(i)].token;
    SCOPED_TRACE(m.token);
    TwoBoardPosition next = p;
    ASSERT_EQ(g.PlayMove(m, next), 1) << g.ErrorLog;
    g.GenerateLegalMoves(p);
    bool listed = false;
    for (const LegalMoveEntry& e : g.LegalMoves) {
      if (!OnBoard(e, m.board) || e.to != m.to) continue;
      if (m.dropped)
        listed = listed || (e.kind > mkMoveB && CodeOfSlot(e.from) == m.dropped);
      else
        listed = listed || (e.kind <= mkMoveB && e.from == m.from && e.promotion == (m.promotion ? m.landingPiece : 0));
    }
    EXPECT_TRUE(listed) << "not a legal move";
    EXPECT_FALSE(KingAttacked(g, next, m.board, m.side)) << "leaves its own king in check";
    if (KingAttacked(g, next, m.board, 1 - m.side)) {
      ++checks;
      if (SafeReplies(g, next, m.board) == 0) ++mates;
    }
    p = next;
  }
  const std::string moveText = loaded.SourceText.substr(loaded.TagPart.size());
  EXPECT_EQ(checks, Signs(moveText, "+#"));
  EXPECT_EQ(mates, Signs(moveText, "#"));
}

// Loads, checks the record is legal, and replays it to its end.
std::unique_ptr<CKestroGame> ExpectLoadsAndReplays(const std::string& text, int moves, const std::string& tail) {
  auto g = Load(text);
  EXPECT_EQ(g->LoadFailed, 0) << g->ErrorLog;
  EXPECT_EQ(g->ErrorLog, "0,");
  EXPECT_EQ(g->MoveCount, moves);
  EXPECT_EQ(g->TailPart, tail);
  ExpectLegalRecord(*g);
  const std::string loaded = Bfen(g->Position);
  EXPECT_EQ(Bfen(At(*g, g->MoveCount)), loaded);
  EXPECT_EQ(g->ErrorLog, "0,");
  return g;
}

// Database style: CR LF, two tags on a line, unknown tags, dashed date,
// glued clocks with fractions, a chat comment, a drop on the 7th rank, a
// capture promotion with check, a mate.
const std::string kDatabaseGame =
    "[Event \"Casual bughouse match\"]\r\n[Site \"Club server\"]\r\n[Date \"2024-03-05\"]\r\n"
    "[Time \"19:04:11\"]\r\n[WhiteA \"Alder\"][WhiteAElo \"1820\"]\r\n[BlackA \"Birch\"][BlackAElo \"1755\"]\r\n"
    "[WhiteB \"Cedar\"][WhiteBElo \"1690\"]\r\n[BlackB \"Dogwood\"][BlackBElo \"1902\"]\r\n"
    "[TimeControl \"180+0\"]\r\n[Lag \"12 40 7 19\"]\r\n[Result \"1-0\"]\r\n\r\n"
    "1A. c4{179.512} 1B. e4{179.880} 1a. e5{178.230} 1b. e5{178.901}\r\n"
    "2A. Nc3{177.004} 2B. Nc3{178.112} 2a. Nf6{176.500} 2b. b5{175.77}\r\n"
    "3B. Nxb5{176.9} 3A. g3{175.3} 3a. P@c2{172.8}{C: thanks partner} 3b. Nc6{173.2}\r\n"
    "4A. Bg2{170.05} 4B. Bc4{174.4} 4a. cxd1=Q+{169.9} 4b. a6{171.1}\r\n"
    "5A. Nxd1{166.45} 5B. Qh5{172.0} 5b. axb5{168.6} 5a. Bc5{167.2}\r\n"
    "6A. N@e3{163.3} 6B. Qxf7#{170.1}\r\n"
    "{Dogwood checkmated} 1-0\r\n";

// LF only, Latin-1 names and comments, clocks after a blank, an aborted game.
const std::string kLatinGame =
    "[Event \"Blitz night\"]\n[Site \"Caf\xe9 Pion\"]\n[Date \"2023-11-30\"]\n"
    "[WhiteA \"Jos\xe9\"][WhiteAElo \"1500\"]\n[BlackA \"M\xfcller\"][BlackAElo \"1480\"]\n"
    "[WhiteB \"\xc5sa\"]\n[BlackB \"Zo\xeb\"]\n[TimeControl \"120+2\"]\n[Result \"*\"]\n\n"
    "1A.e4 {120}\n1B.d4 {120}\n{C: gr\xfc\xdf dich, Zo\xeb!}\n1a.c5 {118}\n"
    "{Game aborted on move 1} *\n";

// En passant, castling on both wings, drops, a drop with check, a piece move
// told by its file, blanks and line breaks anywhere, a result comment
// holding brackets and a full stop.
const std::string kClubGame =
    "[Event \"Summer open, round 3\"]\r\n[EventDate \"2022.07.14\"]\r\n[Site \"Park pavilion\"]\r\n"
    "[Date \"2022-07-14\"]\r\n[WhiteA \"Elm\"][BlackA \"Fir\"]\r\n[WhiteB \"Gum\"][BlackB \"Hazel\"]\r\n"
    "[Time \"14:30\"]\r\n[TimeControl \"300+0\"]\r\n[Result \"0-1\"]\r\n"
    "1A. e4 {299} 1B. d4 {299.4}\r\n1a. Nf6 {298.1} 1b. d5{297.0} 2A. e5{295.585}\r\n"
    "2B. c4{296.2} 2a. d5 {294.9} 2b. e6{295.0}\r\n3A. exd6{293.1} {C: en passant!} 3B. Nc3 {294.4}\r\n"
    "3a. cxd6{292.2} 3b. Nf6{293.3} 4A. Nf3{291.0} 4B. Bg5{292.5} 4a. Nc6{290.3} 4b. Be7{291.4}\r\n"
    "5A. Bb5{289.9} 5B. e3{290.1} 5a. Bd7{288.8} 5b. O-O{289.7}\r\n"
    "6A. O-O{288.2} 6B. Nf3{288.0} 6b. P@e4{287.1} 6a. e6{286.0}\r\n"
    "7A. d4{286.6} 7B. Bxf6{285.5} 7b. Bxf6{285.2} 7a. Qc7{283.3}\r\n"
    "8A. Nc3{284.0} 8B. Nd2{283.1} 8a. O-O-O{281.9} 8b. c5{282.2}\r\n"
    "9A. Be3{282.8} 9a. N@e2+{279.4} 10A. Nxe2{280.0}\r\n"
    "9B. Ndxe4{280.3} 9b. dxe4{279.0} 10a. d5{277.7}\r\n11A. Bxc6{277.2} 11a. Bxc6{276.0}\r\n"
    "{Elm forfeits on time (lag 2.5s)} 0-1\r\n";

// Knights going out and back on both boards, two plies a board in turn.
std::string KnightShuffle(int plies) {
  static const char* const kCycle[4] = {"Ng1f3", "Ng8f6", "Nf3g1", "Nf6g8"};
  std::string text = "[Event \"bughouse marathon\"]\r\n\r\n";
  int played[2] = {0, 0};
  for (int i = 0; i < plies; ++i) {
    const int board = (i / 2) % 2;
    const int k = played[board]++;
    text += std::to_string(k / 2 + 1);
    text += "AaBb"[board * 2 + k % 2];
    text += '.';
    text += kCycle[k % 4];
    text += "{" + std::to_string(180 - k % 7) + "}";
    if (i % 8 == 7) text += "\r\n";
  }
  return text + "\r\n{*} *";
}

}  // namespace

TEST(GameLoader, FindsTheFirstMovesAfterTheTags) {
  auto g = Load("[Event \"bughouse game\"]  \r\n\r\n1B.d4{180}1A.e4{180}");
  EXPECT_EQ(g->TagPart, "[Event \"bughouse game\"]");
  EXPECT_EQ(g->BoardsFound, 2);
  ASSERT_EQ(g->MoveCount, 2);
  EXPECT_EQ(g->Moves[0].board, 2) << "moves start at 1B. when it comes first";
  EXPECT_EQ(g->Moves[1].serial, 2);

  g = Load("[Event \"bughouse game\"]\r\n1A.e4{180}1a.e5{179}");
  EXPECT_EQ(g->LoadFailed, 0);
  EXPECT_EQ(g->BoardsFound, 1);
  EXPECT_EQ(g->MoveCount, 2);

  // First-move marks inside tag values are not moves.
  g = Load("[EventDate \"2024.01.02\"]\r\n[Event \"Club 1B. night\"]\r\n"
           "[WhiteAElo \"1600\"][WhiteA \"Mr 1A. Smith\"]\r\n[BlackB \"x1B.y\"]\r\n\r\n1B.e4{180}1b.e5{179}");
  EXPECT_EQ(g->LoadFailed, 0) << g->ErrorLog;
  EXPECT_EQ(g->BoardsFound, 1);
  EXPECT_EQ(g->MoveCount, 2);
  EXPECT_EQ(g->TagEvent, "Club 1B. night");
  EXPECT_EQ(g->PlayerNames[0], "Mr 1A. Smith");
  EXPECT_EQ(g->PlayerElos[0], "1600");
  EXPECT_EQ(g->PlayerNames[3], "x1B.y");
  EXPECT_EQ(g->TagPart.substr(g->TagPart.size() - 16), "[BlackB \"x1B.y\"]");
}

TEST(GameLoader, TextsWithoutMovesKeepTheirTags) {
  auto g = Load("[Event \"bughouse game\"]\r\n[WhiteA \"Ann\"][WhiteAElo \"1700\"]\r\n[Date \"d\"]\r\n\r\n{*} *");
  EXPECT_EQ(g->LoadFailed, 1);
  EXPECT_EQ(g->BoardsFound, 0);
  EXPECT_EQ(g->ErrorLog, "\r\nNot founded first moves on both chessboards (1A. and 1B. )");
  EXPECT_EQ(g->TagPart, "[Event \"bughouse game\"]\r\n[WhiteA \"Ann\"][WhiteAElo \"1700\"]\r\n[Date \"d\"]");
  EXPECT_EQ(g->Title, "Ann(1700)+BlackB x BlackA+WhiteB,d,, ");
  EXPECT_EQ(g->GameText, "");
  EXPECT_EQ(g->MoveCount, 0);
  TwoBoardPosition standard;
  g->SetupStandardPosition(standard);
  EXPECT_EQ(Bfen(g->Position), Bfen(standard)) << "a defined position to draw";

  g = Load("");
  EXPECT_EQ(g->LoadFailed, 1);
  EXPECT_EQ(g->TagPart, "");
  EXPECT_EQ(g->Title, "WhiteA()+BlackB() x BlackA()+WhiteB(),,, ");
}

// A set-up saved before its first move is its position alone, on both boards;
// one that cannot be read, or that is followed by a move other than a first
// one, stays refused as a text without first moves.
TEST(GameLoader, SetupWithoutMovesLoadsAtItsPosition) {
  const std::string fen =
      "r1bqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR/n b KQkq e3 175 180 | "
      "rnbqkbnr/pppppppp/8/8/8/5N2/PPP1PPPP/RNBQKB1R/P b KQk - 180 90";
  const std::string tags = "[Event \"bughouse game\"]\r\n[Setup \"1\"]\r\n[FEN \"" + fen + "\"]";
  auto g = Load(tags + "\r\n\r\n{*} *");
  EXPECT_EQ(g->LoadFailed, 0) << g->ErrorLog;
  EXPECT_EQ(g->ErrorLog, "0,");
  EXPECT_EQ(g->BoardsFound, 2);
  EXPECT_EQ(g->MoveCount, 0);
  EXPECT_EQ(Bfen(g->Position), fen);
  EXPECT_EQ(Bfen(At(*g, 0)), fen);
  EXPECT_EQ(g->GameText, tags + "\r\n\r\n{*}*");

  for (const std::string& refused :
       {tags.substr(0, tags.find(" | ")) + "\"]\r\n\r\n{*} *", tags + "\r\n\r\n2A.e4{180} {*} *"}) {
    g = Load(refused);
    EXPECT_EQ(g->LoadFailed, 1) << refused;
    EXPECT_EQ(g->ErrorLog, "\r\nNot founded first moves on both chessboards (1A. and 1B. )");
  }
}

TEST(GameLoader, RecognisesTheSetupTextsWithEitherLineEnd) {
  struct Row {
    const char* bfen;
    StartSetup kind;
    void (CKestroGame::*setup)(TwoBoardPosition&) const;
    const char* firstMove;
  };
  const Row rows[] = {
      {"rqbnkbnr/pppppppp/8/8/8/8/PPPPPPPP/RQBNKBNR w KQkq - 180 180", StartSetup::Rqbn,
       &CKestroGame::SetupPositionRqbn, "1A.e4{179}"},
      {"r3k2r/1nbq1bn1/pppppppp/8/8/PPPPPPPP/1NBQ1BN1/R3K2R w KQkq - 300 300", StartSetup::R3k2r,
       &CKestroGame::SetupPositionR3k2r, "1A.e4{299}"},
      {"qrrbb1nn/kpp5/ppp5/ppp5/5PPP/5PPP/5PPK/NN1BBRRQ w KQkq - 300 300", StartSetup::Qrrbb,
       &CKestroGame::SetupPositionQrrbb, "1A.f5{299}"},
      {"4pnrk/4pbqr/4ppnb/4pppp/PPPP4/BNPP4/RQBP4/KRNP4 w KQkq - 300 300", StartSetup::Ingols,
       &CKestroGame::SetupIngolsPosition, "1A.d5{299}"},
  };
  for (const Row& row : rows) {
    for (const std::string eol : {"\r\n", "\n"}) {
      SCOPED_TRACE(std::string(row.bfen) + (eol.size() == 2 ? " CR LF" : " LF"));
      const std::string fen = std::string("[FEN \"") + row.bfen + " | " + row.bfen + "\"]";
      auto g = Load("[Event \"bughouse game\"]" + eol + "[Setup \"1\"]" + eol + fen + eol + "[Result \"*\"]" + eol +
                    eol + row.firstMove + eol + "{*} *");
      EXPECT_EQ(g->LoadFailed, 0) << g->ErrorLog;
      EXPECT_EQ(g->MoveCount, 1);
      EXPECT_EQ(g->StartKind, row.kind);
      EXPECT_EQ(g->GameKind, gkBughouse);
      EXPECT_EQ(g->SetupLine, row.kind == StartSetup::Ingols ? "[Setup \"1\"]" + eol + fen : fen);
      TwoBoardPosition expected;
      (g.get()->*row.setup)(expected);
      EXPECT_EQ(Bfen(At(*g, 0)), Bfen(expected)) << "replay starts where the load started";
    }
  }

  auto other = Load("[Event \"bughouse game\"]\r\n[Setup \"1\"]\r\n[FEN \"8/8/8/8/8/8/8/8 w - - 1 1 | x\"]\r\n"
                    "1A.e4{180}");
  EXPECT_EQ(other->StartKind, StartSetup::Standard);
  EXPECT_EQ(other->SetupLine, "");
  EXPECT_EQ(other->LoadFailed, 0);
}

TEST(GameLoader, VariantsChooseTheKindAndTheStart) {
  auto coin = Load("[Event \"bughouse game\"]\r\n[Variant \"Coin\"]\r\n\r\n1A.d4{180}1B.Nf3{180}");
  EXPECT_EQ(coin->LoadFailed, 0) << coin->ErrorLog;
  EXPECT_EQ(coin->GameKind, gkCoin);
  EXPECT_EQ(coin->Position.coinSquare[0], sq::e4 + 24) << "the coin moved with d2-d4";
  EXPECT_EQ(coin->Position.coinSquare[1], sq::e4 + 23);
  TwoBoardPosition start = At(*coin, 0);
  EXPECT_EQ(start.coinSquare[0], sq::e4);
  EXPECT_EQ(start.coinSquare[1], sq::e4);
  EXPECT_EQ(start.clock[0], 180000) << "replay starts with the clocks the load started with";
  EXPECT_EQ(start.clock[3], 180000);

  coin = Load("[Event \"bughouse game\"]\r\n[Variant \"Coin\"]\r\n[Setup \"1\"]\r\n[FEN \"r3k2r/1nbq1bn1/pppppppp/8/8/"
              "PPPPPPPP/1NBQ1BN1/R3K2R w KQkq - 300 300 | r3k2r/1nbq1bn1/pppppppp/8/8/PPPPPPPP/1NBQ1BN1/R3K2R w KQkq"
              " - 300 300\"]\r\n1A.e4{299}");
  EXPECT_EQ(coin->GameKind, gkCoin);
  start = At(*coin, 0);
  EXPECT_EQ(start.clock[1], 300000);
  EXPECT_EQ(start.coinSquare[1], sq::e4);
  EXPECT_EQ(start.boardA[Sq("b2")], pcWKnight);

  auto ingols = Load("[Event \"x\"]\r\n[Variant \"Ingols\"]\r\n1A.d4e4{300}1a.e5d5{299}");
  EXPECT_EQ(ingols->LoadFailed, 0) << ingols->ErrorLog;
  EXPECT_EQ(ingols->GameKind, gkIngols);
  EXPECT_EQ(ingols->MoveCount, 2);
  TwoBoardPosition ingolsStart;
  ingols->SetupIngolsPosition(ingolsStart);
  EXPECT_EQ(Bfen(At(*ingols, 0)), Bfen(ingolsStart));

  EXPECT_EQ(Load("[Event \"Casual\"]\r\n1A.e4{180}")->GameKind, gkOther);
  EXPECT_EQ(Load("[Event \"Casual\"]\r\n[Site \"BugHouse club\"]\r\n1A.e4{180}")->GameKind, gkBughouse);
}

TEST(GameLoader, CleanerDropsStampsLagNotesAndSigns) {
  std::string text =
      "1A. e4 {175}\t{C:[T:5300][L:120]}\r\n1a.e5+{L:33}{L 12}{A:fine}#$ { two  words }}1B.d4{175.9}";
  CKestroGame::NormalizeMoveTextNoComments(text);
  EXPECT_EQ(text, "1A.e4{175}1a.e5{L 12}{ two  words }1B.d4{175.9}");

  const std::pair<const char*, const char*> ends[] = {
      {"1A.e4{", "1A.e4{"}, {"1A.e4{C", "1A.e4{C"}, {"1A.e4{C:[T:1", "1A.e4"}, {"}1A.e4{1}}", "1A.e4{1}"}};
  for (const auto& [in, out] : ends) {
    std::string t = in;
    CKestroGame::NormalizeMoveTextNoComments(t);
    EXPECT_EQ(t, out);
  }

  auto g = Load("[Event \"bughouse game\"]\r\n1A.e4{180}{C:[T:5300][L:120][LagCompensatorSetOn:1]}"
                "1a.e5{175.9}{L:40}\r\n{*} *");
  EXPECT_EQ(g->LoadFailed, 0) << g->ErrorLog;
  EXPECT_EQ(g->Moves[0].token, "1A.e4{180}");
  EXPECT_EQ(g->Moves[0].hasTimeStamp, 0);
  EXPECT_EQ(g->Moves[1].clockSeconds, 175);
  EXPECT_EQ(g->Position.clock[seatBlackA], 175000);
  EXPECT_EQ(g->MovePart, "1A.e4 {180}1a.e5 {175.9}");
}

TEST(GameLoader, RefusesStampsLeftAndSubvariants) {
  auto g = Load("[Event \"bughouse game\"]\r\n1A.e4{180}{\r\nC:[T:10]}1a.e5{179}");
  EXPECT_EQ(g->LoadFailed, 1);
  EXPECT_EQ(g->ErrorLog, "\r\nSkipping commented/anotated game - not supported!");
  EXPECT_EQ(g->MoveCount, 0);
  EXPECT_EQ(g->GameText, "");
  EXPECT_EQ(g->TagPart, "[Event \"bughouse game\"]");
  EXPECT_EQ(Load("1A.e4{180}{\tA:x}")->LoadFailed, 1);

  g = Load("[Event \"bughouse game\"]\r\n[WhiteA \"Ann\"]\r\n1A.e4{180} (1A.d4{180}) 1a.e5{179}");
  EXPECT_EQ(g->LoadFailed, 1);
  EXPECT_EQ(g->ErrorLog, "\rSkipping BPGN game - subvariants (...) - not supported!");
  EXPECT_EQ(g->MoveCount, 0);
  EXPECT_EQ(g->PlayerNames[0], "Ann") << "tags are read whatever happened";

  g = Load("1A.e4{180}{threat (Qh5)}1a.e5{179}");
  EXPECT_EQ(g->LoadFailed, 0) << "brackets inside a comment are no subvariant";
  EXPECT_EQ(g->MoveCount, 2);
}

TEST(GameLoader, RefusedMoveStopsTheLoadKeepingEarlierMoves) {
  auto g = Load("[Event \"bughouse game\"]\r\n1A.e4{180}1a.e5{179}\r\n1B.Ke2{180}1b.d5{179}\r\n{*} *");
  EXPECT_EQ(g->LoadFailed, 1);
  EXPECT_EQ(g->ErrorLog, "\r\nErr: Own piece on target square.");
  EXPECT_EQ(g->MoveCount, 2);
  EXPECT_EQ(g->Moves[1].token, "1a.e5{179}");
  EXPECT_EQ(g->MovePart, "1A.e4{180}1a.e5{179}");
  EXPECT_EQ(g->GameText, "");
  const std::string loaded = Bfen(g->Position);
  EXPECT_EQ(Bfen(At(*g, 2)), loaded) << "the position after the moves that played";

  g = Load("1A.e5{180}");
  EXPECT_EQ(g->ErrorLog, "\r\nErr: No pawn founded to make move.");
  EXPECT_EQ(g->MoveCount, 0);

  // Text between moves that is neither a move nor a comment is refused, never cut off.
  g = Load("1A.e4{180}xyz{1}1a.e5{179}");
  EXPECT_EQ(g->LoadFailed, 1);
  EXPECT_EQ(g->ErrorLog, "\r\nErr: No board in move.");
  EXPECT_EQ(g->MoveCount, 1);
}

TEST(GameLoader, AirDropsArePutBehindTheirCapture) {
  // BlackA drops a pawn that WhiteB only takes two moves later on board B.
  auto g = Load("[Event \"bughouse game\"]\r\n1A.e4{180}1a.e5{179}1B.e4{180}1b.d5{179}2A.Nf3{178}"
                "2a.P@d6{177}2B.exd5{178}\r\n{*} *");
  EXPECT_EQ(g->LoadFailed, 0) << g->ErrorLog;
  EXPECT_EQ(g->ErrorLog, "1,");
  ASSERT_EQ(g->MoveCount, 7);
  EXPECT_EQ(g->Moves[5].token, "2B.exd5{178}");
  EXPECT_EQ(g->Moves[6].token, "2a.P@d6{177}");
  EXPECT_EQ(g->Moves[6].serial, 7);
  EXPECT_EQ(g->MovePart, "1A.e4 {180}1a.e5 {179}1B.e4 {180}1b.d5 {179}2A.Nf3 {178}2B.exd5 {178}2a.P@d6 {177}");
  EXPECT_EQ(g->GameText, g->TagPart + "\r\n" + g->MovePart + "\r\n{*}*");
  const std::string loaded = Bfen(g->Position);
  EXPECT_EQ(Bfen(At(*g, 7)), loaded);
  EXPECT_EQ(g->Position.holdingsA[SlotOf(pcBPawn)], 0);

  // Nothing ever supplies the pawn.
  g = Load("1A.e4{180}1a.P@e5{179}1B.d4{180}\r\n{*} *");
  EXPECT_EQ(g->LoadFailed, 1);
  EXPECT_EQ(g->ErrorLog, "\r\nErrA=Founded AirDrop for which no later played move on partners board taked such "
                         "piece.ErrA, |AirDrops KO");
  EXPECT_EQ(g->MoveCount, 3);
  EXPECT_EQ(g->GameText, "");
}

TEST(GameLoader, GameTextJoinsTagsMovesAndTail) {
  auto g = Load("[Event \"bughouse game\"]\r\n[Result \"1-0\"]   \r\n\r\n1A.e4 {180}\r\n{White resigns.} 1-0\r\n");
  EXPECT_EQ(g->LoadFailed, 0) << g->ErrorLog;
  EXPECT_EQ(g->TailPart, "{White resigns.}1-0") << "a result comment with a full stop is the tail";
  EXPECT_EQ(g->GameText, "[Event \"bughouse game\"]\r\n[Result \"1-0\"]\r\n1A.e4 {180}\r\n{White resigns.}1-0");

  g = Load("1A.e4{180} *");
  EXPECT_EQ(g->TailPart, "*{*}*");
  EXPECT_EQ(g->GameText, "\r\n1A.e4 {180}\r\n*{*}*");
  g = Load("1A.e4{180}\r\n");
  EXPECT_EQ(g->TailPart, "{*}*");
}

TEST(GameLoader, CommentsBetweenMovesStayWithTheMoveBefore) {
  auto g = Load("[Event \"bughouse game\"]\r\n1A.e4{180}{A good start.}{99} 1B.d4{178} {what now?}\r\n"
                "1a.e5{179}{see {the} note}1b.d5{177}\r\n{White resigns.} 1-0");
  EXPECT_EQ(g->LoadFailed, 0) << g->ErrorLog;
  ASSERT_EQ(g->MoveCount, 4);
  EXPECT_EQ(g->Moves[0].token, "1A.e4{180}{A good start.}{99}");
  EXPECT_EQ(g->Moves[1].token, "1B.d4{178}{what now?}");
  EXPECT_EQ(g->Moves[2].token, "1a.e5{179}{see {the} note}");
  EXPECT_EQ(g->Moves[3].token, "1b.d5{177}");
  EXPECT_EQ(g->Position.clock[seatWhiteA], 180000) << "the clock is the first comment";
  EXPECT_EQ(g->TailPart, "{White resigns.}1-0");
  EXPECT_EQ(g->MovePart, "1A.e4 {180}{A good start.}{99}1B.d4 {178}{what now?}1a.e5 {179}{see {the} note}"
                         "1b.d5 {177}");
  const std::string loaded = Bfen(g->Position);
  EXPECT_EQ(Bfen(At(*g, 4)), loaded);
}

TEST(GameLoader, TruncatedTextsStopAtTheirEnd) {
  struct Row {
    const char* text;
    int failed, moves;
    const char* tail;
  };
  const Row rows[] = {
      {"1A.e4{180}1a.e5{17", 0, 2, "{*}*"},
      {"1A.e4{180}{", 0, 1, "{"},
      {"1A.e4{180}1a.e5{179}{White resigns", 0, 2, "{White resigns"},
      {"1A.e4{180}}}", 0, 1, "{*}*"},
      {"1A.e4{180 1a.e5{179}1B.d4{180}", 0, 2, "{*}*"},
      {"1A.e4{180}1a.", 1, 1, ""},
      {"1A.e4{C:[T:5", 1, 0, ""},
      {"1A.", 1, 0, ""},
      {"[Event \"x", 1, 0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    auto g = Load(row.text);
    EXPECT_EQ(g->LoadFailed, row.failed) << g->ErrorLog;
    EXPECT_EQ(g->MoveCount, row.moves);
    EXPECT_EQ(g->TailPart, row.tail);
  }
  EXPECT_EQ(Load("1A.e4{180}1a.")->ErrorLog, "\r\nErr: No clock comment in move.");
}

TEST(GameLoader, LongGamesLoadWhole) {
  const int plies = 4102;
  auto g = Load(KnightShuffle(plies));
  EXPECT_EQ(g->LoadFailed, 0) << g->ErrorLog.substr(0, 200);
  ASSERT_EQ(g->MoveCount, plies);
  EXPECT_EQ(g->Moves[plies - 1].serial, plies);
  EXPECT_EQ(g->Moves[plies - 1].token, "1026a.Nf6g8{180}");
  EXPECT_EQ(g->GameText.substr(g->GameText.size() - 23), "1026a.Nf6g8 {180}\r\n{*}*");
  const std::string loaded = Bfen(g->Position);
  EXPECT_EQ(loaded, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 174 180 | "
                    "rnbqkb1r/pppppppp/5n2/8/8/5N2/PPPPPPPP/RNBQKB1R w KQkq - 176 175");

  // Every move in turn on the kept position, then the end.
  TwoBoardPosition p;
  for (int n = 0; n <= plies; ++n) g->GetPositionAtMove(p, n);
  EXPECT_EQ(g->ReplayIndex, plies);
  EXPECT_EQ(Bfen(p), loaded);
  EXPECT_EQ(g->ErrorLog, "0,");
}

TEST(GameLoader, RealWorldRecordsLoadAndReplay) {
  {
    SCOPED_TRACE("database game");
    auto g = ExpectLoadsAndReplays(kDatabaseGame, 22, "{Dogwood checkmated}1-0");
    EXPECT_EQ(g->Title, "Alder(1820)+Dogwood(1902) x Birch(1755)+Cedar(1690),2024-03-05,Club server, 1-0");
    EXPECT_EQ(g->Moves[14].token, "4a.cxd1=Q{169.9}");
    EXPECT_EQ(g->Moves[14].promotion, 1);
    EXPECT_EQ(g->Moves[16].captured, pcBPawn) << "the promoted queen went back as a pawn";
    EXPECT_EQ(g->Moves[10].token, "3a.P@c2{172.8}");
    EXPECT_EQ(g->Position.holdingsB[SlotOf(pcWQueen)], 1) << "white queen taken on A goes to WhiteB";
    EXPECT_EQ(g->Position.holdingsB[SlotOf(pcBPawn)], 1);
    EXPECT_EQ(g->Position.holdingsA[SlotOf(pcBPawn)], 1) << "black pawn taken on B goes to BlackA";
    EXPECT_EQ(g->Position.holdingsA[SlotOf(pcWKnight)], 0) << "dropped again";
    EXPECT_EQ(g->Position.clock[seatBlackB], 168000);
  }
  {
    SCOPED_TRACE("Latin-1 game");
    auto g = ExpectLoadsAndReplays(kLatinGame, 3, "{Game aborted on move 1}*");
    EXPECT_EQ(g->Title, "Jos\xe9(1500)+Zo\xeb x M\xfcller(1480)+\xc5sa,2023-11-30,Caf\xe9 Pion, *");
    EXPECT_EQ(g->MovePart, "1A.e4 {120}1B.d4 {120}1a.c5 {118}");
  }
  {
    SCOPED_TRACE("club game");
    auto g = ExpectLoadsAndReplays(kClubGame, 40, "{Elm forfeits on time (lag 2.5s)}0-1");
    EXPECT_EQ(g->TagEvent, "Summer open, round 3");
    EXPECT_EQ(g->TagDate, "2022-07-14");
    EXPECT_EQ(g->Moves[8].token, "3A.exd6{293.1}");
    EXPECT_EQ(g->Moves[8].captured, pcBPawn) << "en passant";
    EXPECT_EQ(g->Moves[30].castlingKind, 4);
    EXPECT_EQ(g->Moves[35].to, Sq("e4"));
    EXPECT_EQ(g->Moves[35].from, Sq("d2"));
  }
}

TEST(GameLoader, ReplayMatchesAFreshReplayAtEveryMove) {
  auto kept = Load(kClubGame);
  const int count = kept->MoveCount;
  ASSERT_EQ(count, 40);
  auto check = [&](int n) {
    SCOPED_TRACE(n);
    auto fresh = Load(kClubGame);
    const TwoBoardPosition expected = At(*fresh, n);
    EXPECT_TRUE(Same(At(*kept, n), expected));
    EXPECT_EQ(kept->ReplayIndex, fresh->ReplayIndex);
    EXPECT_TRUE(Same(kept->Position, expected)) << "the replayed position is also the current one";
  };
  for (int n = 0; n <= count; ++n) check(n);
  for (int n = count + 3; n >= -1; --n) check(n);
  for (int n : {7, 31, 2, 2, 40, 0, 39, 12}) check(n);
  EXPECT_EQ(kept->ReplayIndex, 12);
  EXPECT_EQ(kept->ErrorLog, "0,");

  // Past the end stops at the end.
  At(*kept, count + 50);
  EXPECT_EQ(kept->ReplayIndex, count);
}

// A bughouse game of legal moves picked at random from the legal-move list
// (drops a third of the time when there are any), with the BFEN after each move.
std::string RandomGame(unsigned seed, int plies, std::vector<std::string>& bfens) {
  std::mt19937 rng(seed);
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  bfens = {Bfen(p)};
  std::string text = "[Event \"bughouse test\"]\r\n\r\n";
  int counts[2] = {0, 0};
  for (int i = 0; i < plies; ++i) {
    g.GenerateLegalMoves(p);
    const int board = i < 2 ? i + 1 : 1 + static_cast<int>(rng() % 2);
    std::vector<LegalMoveEntry> moves, drops;
    for (const LegalMoveEntry& e : g.LegalMoves)
      if (OnBoard(e, board) && TypeOf(BoardOf(p, board).squares[e.to]) != ptKing)
        (e.kind > mkMoveB ? drops : moves).push_back(e);
    const bool drop = !drops.empty() && (moves.empty() || rng() % 3 == 0);
    const std::vector<LegalMoveEntry>& from = drop ? drops : moves;
    if (from.empty()) break;
    const LegalMoveEntry e = from[rng() % from.size()];
    BpgnMove m;
    m.token = g.MoveToBpgn(p, e.kind, e.from, e.to, e.promotion, counts[0], counts[1]) + "{100}";
    if (!g.PlayMove(m, p)) break;
    ++counts[board - 1];
    text += m.token + (i % 8 == 7 ? "\r\n" : " ");
    bfens.push_back(Bfen(p));
  }
  return text + "{*} *";
}

// The kept replay position holds the pins and attack maps of both boards
// between calls and recomputes only a board that had a move.
TEST(GameLoader, ReplayedPositionsHoldFreshAttackMaps) {
  for (unsigned seed = 1; seed <= 30; ++seed) {
    SCOPED_TRACE(seed);
    std::vector<std::string> bfens;
    const std::string text = RandomGame(seed, 120, bfens);
    auto g = Load(text);
    ASSERT_EQ(g->LoadFailed, 0) << g->ErrorLog;
    ASSERT_EQ(g->MoveCount + 1, static_cast<int>(bfens.size()));
    auto check = [&](int n) {
      SCOPED_TRACE(n);
      const TwoBoardPosition p = At(*g, n);
      EXPECT_EQ(Bfen(p), bfens[static_cast<size_t>(n)]);
      TwoBoardPosition recomputed = p;
      g->ComputeAttackMaps(recomputed, 1);
      g->ComputeAttackMaps(recomputed, 2);
      EXPECT_TRUE(Same(p, recomputed));
      if (n % 9 == 0) {
        EXPECT_TRUE(Same(p, At(*Load(text), n)));
      }
    };
    for (int n = 0; n <= g->MoveCount; ++n) check(n);
    for (int n = g->MoveCount; n >= 0; n -= 7) check(n);
    // Several moves at a time from a kept position.
    for (int n = 0; n <= g->MoveCount; n += 1 + n % 5) check(n);
  }
  // Castling on both wings, en passant, drops, a capture promotion, air drops.
  for (const std::string& text : {kClubGame, kDatabaseGame}) {
    auto g = Load(text);
    for (int n = 0; n <= g->MoveCount; ++n) {
      SCOPED_TRACE(n);
      const TwoBoardPosition p = At(*g, n);
      TwoBoardPosition recomputed = p;
      g->ComputeAttackMaps(recomputed, 1);
      g->ComputeAttackMaps(recomputed, 2);
      EXPECT_TRUE(Same(p, recomputed));
    }
  }
}

// Loading leaves the position that playing the record move by move gives,
// pins included, though it computes pins only for moves that look at them.
TEST(GameLoader, LoadedPositionIsThatOfPlayingTheRecord) {
  for (unsigned seed = 31; seed <= 60; ++seed) {
    SCOPED_TRACE(seed);
    std::vector<std::string> bfens;
    auto g = Load(RandomGame(seed, 90, bfens));
    ASSERT_EQ(g->LoadFailed, 0) << g->ErrorLog;
    CKestroGame player;
    TwoBoardPosition p;
    player.SetupStandardPosition(p);
    for (const BpgnMove& m : g->Moves) {
      BpgnMove move;
      move.token = m.token;
      ASSERT_EQ(player.PlayMove(move, p, HandCheck::Lenient), 1) << m.token;
    }
    EXPECT_TRUE(Same(g->Position, p));
  }
}

// The replay plays loaded moves from the fields the loader recorded; reading
// every token again (as after InvalidateReplay) gives the same positions, in
// every game kind, with air drops put behind their capture, and with time
// stamps under either lag setting.
TEST(GameLoader, ReplayFromRecordedMovesMatchesReadingTheTokens) {
  std::vector<std::string> texts = {
      kClubGame, kDatabaseGame, kLatinGame,
      "[Event \"bughouse game\"]\r\n1A.e4{180}1a.e5{179}1B.e4{180}1b.d5{179}2A.Nf3{178}2a.P@d6{177}2B.exd5{178}"
      "2b.P@c6{177}3A.Nxe5{176}3B.dxc6{176}3a.dxe5{175}\r\n{*} *",
      "[Event \"bughouse game\"]\r\n[Variant \"Coin\"]\r\n\r\n1A.d4{180}1B.Nf3{180}1a.Nf6{179}1b.e6{179}"
      "2A.c4{178}2a.e6{178}2B.g3{177}2b.Be7{176}3B.Bg2{175}3b.Nf6{174}",
      "[Event \"x\"]\r\n[Variant \"Ingols\"]\r\n1A.d4e4{300}1a.e5d5{299}",
      "[Event \"bughouse game\"]\r\n1A.e4{[T:5300][L:120]}1a.e5{[T:1200][L:40][LagCompensatorSetOn:1]}"
      "1B.d4{[T:800][L:60]}2A.Nf3{[T:2500][L:0][LagCompensatorSetOn:0]}1b.d5{[T:100][L:10]}\r\n{*} *",
      "[Event \"bughouse game\"]\r\n1A.e4{180}{[T:5300][L:120]}1a.e5{179}{see [LagCompensatorSetOn:1][T:100][L:5]}"
      "1B.d4{178} {a note}\r\n{*} *"};
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::vector<std::string> bfens;
    texts.push_back(RandomGame(seed, 100, bfens));
  }
  for (int delay : {0, 2}) {
    for (const std::string& text : texts) {
      SCOPED_TRACE(text.substr(0, 120));
      auto recorded = Load(text);
      auto reread = Load(text);
      ASSERT_EQ(recorded->LoadFailed, 0) << recorded->ErrorLog;
      ASSERT_GT(recorded->MoveCount, 1);
      recorded->LagCompensatorSeconds = reread->LagCompensatorSeconds = delay;
      reread->InvalidateReplay();
      auto check = [&](int n) {
        SCOPED_TRACE(n);
        EXPECT_TRUE(Same(At(*recorded, n), At(*reread, n)));
        EXPECT_EQ(recorded->LagCompensatorRead, reread->LagCompensatorRead);
        EXPECT_EQ(recorded->ErrorLog, reread->ErrorLog);
      };
      for (int n = 0; n <= recorded->MoveCount; ++n) check(n);
      for (int n = recorded->MoveCount; n >= 0; n -= 3) check(n);
      TwoBoardPosition a, b;
      for (int step = 0; step < recorded->MoveCount; ++step) {
        recorded->StepToNextMoveOnBoard(a, 2 - step % 2);
        reread->StepToNextMoveOnBoard(b, 2 - step % 2);
        EXPECT_TRUE(Same(a, b));
      }
    }
  }
  EXPECT_EQ(Load(texts[3])->ErrorLog, "2,") << "both drops were air drops";
  // Comments after a move are played with it, at loading as in a replay.
  auto attached = Load(texts[7]);
  EXPECT_EQ(attached->Moves[0].token, "1A.e4{180}{[T:5300][L:120]}");
  EXPECT_EQ(attached->Position.clock[seatWhiteA], 180000 - 5300);
  EXPECT_EQ(attached->Position.clock[seatBlackA], 180000 - 100);
  EXPECT_EQ(attached->LagCompensatorRead, 1);
  EXPECT_EQ(attached->TailPart, "{a note}{*}*");
  // The time-stamp game did read its stamps.
  auto stamped = Load(texts[6]);
  EXPECT_EQ(stamped->MoveCount, 5);
  EXPECT_EQ(At(*stamped, 1).clock[seatWhiteA], 180000 - 5300);
}

// Outside bughouse the kings count their neighbours: the kept maps follow a
// change of the game kind.
TEST(GameLoader, ReplayFollowsAChangedGameKind) {
  auto g = Load(kClubGame);
  const TwoBoardPosition before = At(*g, 15);
  g->GameKind = g->GameKind == gkBughouse ? gkOther : gkBughouse;
  const TwoBoardPosition after = At(*g, 15);
  TwoBoardPosition expected = before;
  g->ComputeAttackMaps(expected, 1);
  g->ComputeAttackMaps(expected, 2);
  EXPECT_TRUE(Same(after, expected));
  EXPECT_FALSE(Same(after, before));
}

TEST(GameLoader, StepToNextMoveOnBoard) {
  auto g = Load(kClubGame);
  const int count = g->MoveCount;
  TwoBoardPosition p;
  // The board of the first move shows the position after that move.
  g->StepToNextMoveOnBoard(p, 1);
  EXPECT_EQ(g->ReplayIndex, 1);
  EXPECT_TRUE(Same(p, At(*Load(kClubGame), 1)));

  At(*g, 0);
  const int boards[] = {2, 2, 1, 1, 1, 2};
  for (int step = 0; g->ReplayIndex < count; ++step) {
    const int board = boards[step % 6];
    int expected = g->ReplayIndex;
    while (expected < count && g->Moves[static_cast<size_t>(expected)].board != board) ++expected;
    expected = expected < count ? expected + 1 : count;
    SCOPED_TRACE(expected);
    g->StepToNextMoveOnBoard(p, board);
    EXPECT_EQ(g->ReplayIndex, expected);
    EXPECT_TRUE(Same(p, At(*Load(kClubGame), expected)));
  }
  g->StepToNextMoveOnBoard(p, 2);
  EXPECT_EQ(g->ReplayIndex, count) << "nothing left to play";
  EXPECT_EQ(g->ErrorLog, "0,");
}

TEST(GameLoader, ReplayGoesOnFromTheKeptPositionAndStaysQuiet) {
  auto g = Load(kClubGame);
  auto fresh = Load(kClubGame);
  const std::string log = g->ErrorLog;
  At(*g, 10);
  // The first move no longer plays from the start; stepping on does not notice.
  g->Moves[0].token = "1A.Ke5{1}";
  EXPECT_TRUE(Same(At(*g, 20), At(*fresh, 20)));
  g->InvalidateReplay();
  EXPECT_FALSE(Same(At(*g, 20), At(*fresh, 20)));
  EXPECT_EQ(g->ErrorLog, log) << "refused moves of a replay are skipped without a word";
  EXPECT_EQ(g->ReplayIndex, 20);
}

// A position edited as the set-up editor edits one, written as the program
// writes it, then played on from with a drop out of a set-up hand.
TEST(GameLoader, WrittenSetupReadsBackWithHandsSidesAndRights) {
  CKestroGame writer;
  TwoBoardPosition edited;
  writer.SetupStandardPosition(edited);
  ASSERT_TRUE(writer.MovePieceInPosition(1, Sq("d2"), 3, SlotOf(pcWPawn), edited));  // into A's hand
  ASSERT_TRUE(writer.MovePieceInPosition(3, SlotOf(pcWPawn), 5, SlotOf(pcWPawn), edited));  // over to B's hand
  ASSERT_TRUE(writer.MovePieceInPosition(1, Sq("b8"), 4, SlotOf(pcBKnight), edited));
  ASSERT_TRUE(writer.MovePieceInPosition(2, Sq("a2"), 2, Sq("a5"), edited));
  ASSERT_TRUE(writer.MovePieceInPosition(7, 0, 7, 10, edited));  // A loses white O-O
  edited.boardB[Sq("h8")] = pcWQueen;  // a promoted queen where the rook was
  edited.marksB[Sq("h8")] = 1;
  edited.boardB[Sq("h7")] = pcEmpty;
  edited.sideToMoveA = 1;
  edited.clock[1] = 95000;
  edited.clock[2] = 42000;
  const std::string bfen = Bfen(edited);
  ASSERT_NE(bfen.find("/n b Qkq - 180 95 | "), std::string::npos) << bfen;
  ASSERT_NE(bfen.find("Q~/"), std::string::npos) << bfen;

  // Black opens board A with the knight it holds ("1a.", no "1A." before it);
  // with empty hands at the start both drops would be air drops without supplier.
  const std::string text = writer.BpgnSetupText(edited);
  ASSERT_EQ(text.substr(text.size() - 7), "\r\n{*} *");
  const std::string head = text.substr(0, text.size() - 7);
  auto g = Load(head + " 1a.N@c6{94} 1B.P@d3{41} 1A.e4{179} 1b.e5{179} 2B.Nf3{40} 2a.e5{93}\r\n{*} *");
  ASSERT_EQ(g->LoadFailed, 0) << g->ErrorLog;
  EXPECT_EQ(g->StartKind, StartSetup::Bfen);
  EXPECT_EQ(g->ErrorLog, "0,") << "a drop from a set-up hand is no air drop";
  EXPECT_EQ(g->BoardsFound, 2);
  EXPECT_EQ(g->MoveCount, 6);
  EXPECT_EQ(Bfen(At(*g, 0)), bfen);
  const TwoBoardPosition start = At(*g, 0);
  EXPECT_EQ(start.marksB[Sq("h8")], 1);
  EXPECT_EQ(start.kingSquare[3], Sq("e8"));
  EXPECT_EQ(start.runningClock[1], 95000);
  const TwoBoardPosition end = At(*g, 6);
  EXPECT_EQ(end.boardA[Sq("c6")], pcBKnight);
  EXPECT_EQ(end.boardA[Sq("e5")], pcBPawn);
  EXPECT_EQ(end.holdingsA[SlotOf(pcBKnight)], 0);
  EXPECT_EQ(end.boardB[Sq("d3")], pcWPawn);
  EXPECT_EQ(end.boardB[Sq("f3")], pcWKnight);
  EXPECT_EQ(end.holdingsB[SlotOf(pcWPawn)], 0);
  EXPECT_EQ(Bfen(end), Bfen(g->Position));

  // A Coin set-up reads back as a Coin game with its coins.
  writer.GameKind = gkCoin;
  const std::string coinText = writer.BpgnSetupText(edited);
  auto coin = Load(coinText.substr(0, coinText.size() - 7) + " 1a.e5{94}\r\n{*} *");
  EXPECT_EQ(coin->GameKind, gkCoin);
  EXPECT_EQ(coin->LoadFailed, 0) << coin->ErrorLog;
  EXPECT_EQ(At(*coin, 0).coinSquare[0], sq::e4);
  EXPECT_EQ(At(*coin, 0).coinSquare[1], sq::e4);
}

TEST(GameLoader, MalformedSetupIsRefusedWithAnErrorLine) {
  const char* bad[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 180 180",             // one board
      "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 180 180 | 8/8/8/8/8/8/8/8 w - - 1 1",  // 9 files
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 180 180 | 4k3/8/8/8/8/8/8/8 w - - 1 1",  // no white king
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 180 180 | 4k3/8/8/8/8/8/8/4K3 w - - 1 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w QK - 180 180 | 4k3/8/8/8/8/8/8/4K3 w - - 1 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/K w KQkq - 180 180 | 4k3/8/8/8/8/8/8/4K3 w - - 1 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e5 180 180 | 4k3/8/8/8/8/8/8/4K3 w - - 1 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 180 3m | 4k3/8/8/8/8/8/8/4K3 w - - 1 1",
  };
  for (const char* fen : bad) {
    SCOPED_TRACE(fen);
    auto g = Load(std::string("[Event \"bughouse game\"]\r\n[Setup \"1\"]\r\n[FEN \"") + fen + "\"]\r\n\r\n1A.e4{180}");
    EXPECT_EQ(g->StartKind, StartSetup::Standard);
    EXPECT_EQ(g->ErrorLog.rfind("\r\nBad set-up position (", 0), 0u) << g->ErrorLog;
    EXPECT_EQ(g->LoadFailed, 0) << "played from the standard position";
    EXPECT_EQ(g->MoveCount, 1);
    EXPECT_EQ(At(*g, 0).boardB[Sq("d1")], pcWQueen);
  }
}
