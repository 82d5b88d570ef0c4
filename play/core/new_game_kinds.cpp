#include "play/core/new_game_kinds.h"

#include <iterator>

namespace {

constexpr const char* kBughouseEvent = "Kestrovane bughouse chess game";

constexpr NewGameStart kStandard{NewGameStart::Standard, kBughouseEvent, "", "", 0, 0};
constexpr NewGameStart kRemake{NewGameStart::Remake, kBughouseEvent, "",
                               "rqbnkbnr/pppppppp/8/8/8/8/PPPPPPPP/RQBNKBNR w KQkq - 180 180", 0, 0};
constexpr NewGameStart kSmallSpace2{NewGameStart::SmallSpace2, kBughouseEvent, "",
                                    "r3k2r/1nbq1bn1/pppppppp/8/8/PPPPPPPP/1NBQ1BN1/R3K2R w KQkq - 300 300", 0, 0};
constexpr NewGameStart kPhalanx{NewGameStart::Phalanx, kBughouseEvent, "",
                                "qrrbb1nn/kpp5/ppp5/ppp5/5PPP/5PPP/5PPK/NN1BBRRQ w KQkq - 300 300", 0, 0};
constexpr NewGameStart kCoin{NewGameStart::Coin, "Alternative chess game", "Coin", "", gkCoin, 1};
constexpr NewGameStart kIngols{NewGameStart::Ingols, kBughouseEvent, "Ingols",
                               "4pnrk/4pbqr/4ppnb/4pppp/PPPP4/BNPP4/RQBP4/KRNP4 w KQkq - 300 300", gkIngols, 2};

constexpr NewGameSubmenu kSubmenus[] = {
    {"mnuiStartNewGameClassicsChess", "Classics Chess"},
    {"mnuiStartNewGameCoinChess", "Coin Chess"},
    {"mnuiStartNewGameIngolsChess", "Ingols Chess"},
};

// In menu order.
constexpr NewGameKindRow kKinds[] = {
    {0, "BughouseChessGameClasics", "Bughouse Chess Classics  3minutes", "New Game 1", "Clasics 3minutes",
     "NewGameClasics", &kStandard, "180+0", 0, 0},
    {111, "BughouseChessGameClasicsB10s3s", "Bughouse Chess Classics  10 seconds + 3s bronstein", "New Game 19",
     "Clasics 10s 3s Bronstein", "NewGameClasicsB10s3s", &kStandard, "bronstein 10+3", 10000, 3},
    {101, "BughouseChessGameClasicsB1m3s", "Bughouse Chess Classics  1minute + 3s bronstein", "New Game 2",
     "Clasics 1m 3s Bronstein", "NewGameClasicsB1m3s", &kStandard, "bronstein 60+3", 60000, 3},
    {102, "BughouseChessGameClasicsB1m5s", "Bughouse Chess Classics  1minute + 5s bronstein", "New Game 3",
     "Clasics 1m 5s Bronstein", "NewGameClasicsB1m5s", &kStandard, "bronstein 60+5", 60000, 5},
    {103, "BughouseChessGameClasicsB1m10s", "Bughouse Chess Classics  1minute + 10s bronstein", "New Game 4",
     "Clasics 1m 10s Bronstein", "NewGameClasicsB1m10s", &kStandard, "bronstein 60+10", 60000, 10},
    {104, "BughouseChessGameClasicsB2m3s", "Bughouse Chess Classics  2minutes + 3s bronstein", "New Game 5",
     "Clasics 2m 3s Bronstein", "NewGameClasicsB2m3s", &kStandard, "bronstein 120+3", 120000, 3},
    {105, "BughouseChessGameClasicsB3m3s", "Bughouse Chess Classics  3minutes + 3s bronstein", "New Game 6",
     "Clasics 3m 3s Bronstein", "NewGameClasicsB3m3s", &kStandard, "bronstein 180+3", 180000, 3},
    {106, "BughouseChessGameClasicsB3m5s", "Bughouse Chess Classics  3minutes + 5s bronstein", "New Game 7",
     "Clasics 3m 5s Bronstein", "NewGameClasicsB3m5s", &kStandard, "bronstein 180+5", 180000, 5},
    {107, "BughouseChessGameClasicsB3m10s", "Bughouse Chess Classics  3minutes + 10s bronstein", "New Game 8",
     "Clasics 3m 10s Bronstein", "NewGameClasicsB3m10s", &kStandard, "bronstein 180+10", 180000, 10},
    {108, "BughouseChessGameClasicsB5m7s", "Bughouse Chess Classics  5minutes + 7s bronstein", "New Game 9",
     "Clasics 5m 7s Bronstein", "NewGameClasicsB5m7s", &kStandard, "bronstein 300+7", 300000, 7},
    {109, "BughouseChessGameClasicsB10m20s", "Bughouse Chess Classics  10minutes + 20s bronstein", "New Game 10",
     "Clasics 10m 20s Bronstein", "NewGameClasicsBAm20s", &kStandard, "bronstein 600+20", 600000, 20},
    {110, "BughouseChessGameClasicsB10s10s", "Bughouse Chess Classics  10seconds + 10s bronstein", "New Game 11",
     "Clasics 10s 10s Bronstein", "NewGameClasicsBAs10s", &kStandard, "bronstein 10+10", 10000, 10},
    {1, "BughouseChessGameRemake", "Bughouse Chess Remake  3minutes", "New Game 12", "Remake 3minutes",
     "NewGameRemake", &kRemake, "180+0", 0, 0},
    {201, "BughouseChessGameRemakeB2m3s", "Bughouse Chess Remake  2minutes + 3s bronstein", "New Game 13",
     "Remake 2m 3s Bronstein", "NewGameRemakeB2s10s", &kRemake, "bronstein 120+3", 120000, 3},
    {2, "BughouseChessGameSmallSpace2", "Bughouse Chess Small Space II  5minutes", "New Game 14",
     "Small space II 5minutes", "NewGameSmallSpace2", &kSmallSpace2, "300+0", 0, 0},
    {3, "BughouseChessGamePhalanx", "Bughouse Chess Phalanx  5minutes", "New Game 15", "Phalanx 5minutes",
     "NewGamePhalanx", &kPhalanx, "300+0", 300000, 0},
    {401, "BughouseChessGamePhalanxB3m2s", "Bughouse Chess Phalanx  3minutes + 2s bronstein", "New Game 16",
     "Phalanx 3m 2s Bronstein", "NewGamePhalanxB3m2s", &kPhalanx, "bronstein 180+2", 180000, 2},
    {402, "BughouseChessGamePhalanxB1m4s", "Bughouse Chess Phalanx  1minute + 4s bronstein", "New Game 17",
     "Phalanx 1m 4s Bronstein", "NewGamePhalanxB1m4s", &kPhalanx, "bronstein 60+4", 60000, 4},
    {403, "BughouseChessGamePhalanxB10s10s", "Bughouse Chess Phalanx  10seconds + 10s bronstein", "New Game 18",
     "Phalanx 10s 10s Bronstein", "NewGamePhalanxBAs10s", &kPhalanx, "bronstein 10+10", 10000, 10},
    {501, "ChessCoinGameClasicsB5m5s", "Chess Coin Classics  5minutes + 5s bronstein", "New Game 20",
     "Standard 5m 5s Bronstein", "NewGameCoinStB5ms5s", &kCoin, "bronstein 300+5", 300000, 5},
    {601, "ChessIngolsGameClasics15m", "Chess Ingols Classics  15minutes", "New Game 21", "Ingols 15m",
     "NewGameIngolsS15m", &kIngols, "900+0", 900000, 0},
    {602, "ChessIngolsGameClasicsB10m20s", "Chess Ingols Classics 10minutes + 20s bronstein", "New Game 22",
     "Ingols 10m 20s Bronstein", "NewGameIngolsSBAm20s", &kIngols, "bronstein 600+20", 600000, 20},
    {603, "ChessIngolsGameClasicsB10m10s", "Chess Ingols Classics 10minutes + 10s bronstein", "New Game 23",
     "Ingols 10m 10s Bronstein", "NewGameIngolsSBAm10s", &kIngols, "bronstein 600+10", 600000, 10},
    {604, "ChessIngolsGameClasicsB5m3s", "Chess Ingols Classics  5minutes + 3s bronstein", "New Game 24",
     "Ingols 5m 3s Bronstein", "NewGameIngolsSB5m3s", &kIngols, "bronstein 300+3", 300000, 3},
    {605, "ChessIngolsGameClasicsB3m5s", "Chess Ingols Classics  3minutes + 5s bronstein", "New Game 25",
     "Ingols 3m 5s Bronstein", "NewGameIngolsSB3m5s", &kIngols, "bronstein 180+5", 180000, 5},
    {606, "ChessIngolsGameClasics3m", "Chess Ingols Classics  3minutes", "New Game 26", "Ingols 3m",
     "NewGameIngolsS3m", &kIngols, "180+0", 180000, 0},
    {607, "ChessIngolsGameClasicsB1m3s", "Chess Ingols Classics  1minute + 3s bronstein", "New Game 27",
     "Ingols 1m 3s Bronstein", "NewGameIngolsSB1m3s", &kIngols, "bronstein 60+3", 60000, 3},
};
static_assert(std::size(kKinds) == 27);

void SetupStart(const CKestroGame& game, NewGameStart::Setup setup, TwoBoardPosition& position) {
  switch (setup) {
    case NewGameStart::Standard: game.SetupStandardPosition(position); break;
    case NewGameStart::Remake: game.SetupPositionRqbn(position); break;
    case NewGameStart::SmallSpace2: game.SetupPositionR3k2r(position); break;
    case NewGameStart::Phalanx: game.SetupPositionQrrbb(position); break;
    case NewGameStart::Coin: game.SetupCoinPosition(position); break;
    case NewGameStart::Ingols: game.SetupIngolsPosition(position); break;
  }
}

}  // namespace

std::span<const NewGameSubmenu> NewGameSubmenus() { return kSubmenus; }

std::span<const NewGameKindRow> NewGameKinds() { return kKinds; }

const NewGameKindRow* FindNewGameKind(int kind) {
  for (const NewGameKindRow& row : kKinds)
    if (row.kind == kind) return &row;
  return nullptr;
}

std::string NewGameHeader(const NewGameKindRow& row, const std::string (&names)[4], std::string_view date) {
  const NewGameStart& start = *row.start;
  std::string header = BpgnTagPair("Event", start.event) + "\r\n" + BpgnTagPair("Site", "Kestrovane") + "\r\n" +
                       BpgnTagPair("Date", date) + "\r\n" + BpgnPlayerTags(names);
  if (*start.variant) header += BpgnTagPair("Variant", start.variant) + "\r\n";
  header += BpgnTagPair("TimeControl", row.timeControl) + "\r\n" + BpgnTagPair("Result", "*") + "\r\n";
  if (*start.bfen) {
    const std::string bfen = start.bfen;
    header += BpgnTagPair("Setup", "1") + "\r\n" + BpgnTagPair("FEN", bfen + " | " + bfen) + "\r\n";
  }
  return header + "\r\n{*} *";
}

std::unique_ptr<CKestroGame> CreateNewGame(const NewGameKindRow& row, const std::string& header,
                                           const std::string (&playerNames)[4],
                                           const std::string (&displayNames)[4]) {
  auto game = std::make_unique<CKestroGame>(header, 1);
  for (int seat = 0; seat < 4; ++seat) {
    game->PlayerNames[seat] = playerNames[seat];
    game->DisplayNames[seat] = displayNames[seat];
  }
  if (row.start->gameKind) game->GameKind = row.start->gameKind;
  SetupStart(*game, row.start->setup, game->Position);
  if (row.SetsDelay()) game->LagCompensatorSeconds = row.delay;
  if (row.clockMs)
    for (int32_t& clock : game->Position.clock) clock = row.clockMs;
  return game;
}

std::string NewGameAnnouncement(const NewGameKindRow& row, const CKestroGame& game) {
  const char* word = game.GameKind == gkCoin     ? "!!! Coin chess game ("
                     : game.GameKind == gkIngols ? "!!! Ingols chess game ("
                                                 : "!!! Bughouse game (";
  const std::string* n = game.PlayerNames;
  return word + std::string(row.title) + ",BughouseLagCompensator:" + (game.LagCompensatorRead == 1 ? "On" : "Off") +
         ") started now: " + n[seatWhiteA] + " + " + n[seatBlackB] + " vs " + n[seatBlackA] + " + " + n[seatWhiteB];
}
