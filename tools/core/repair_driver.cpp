#include "tools/core/repair_driver.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "game/air_drops.h"
#include "game/bytes.h"
#include "game/kestro_game.h"
#include "tools/core/repair_index.h"

namespace repair {

const char kRepairInfoTitle[] = "INFo";
const char kRepairInfoText[] =
    "The main idea is : \n"
    " if founded piece drop before piece taked on second board (\"Air Drop\"),\n"
    " then shift in BPGN all moves made on partner's chessboard until taked such piece\n"
    " before this drop move.\n"
    " For Example:\n"
    " ... 5A.N@g5 5B.0-0 5a.Be7 5b.f6 6B.Nxf6 6A.h4 6b.gxf6 7B.Bxf6 ...\n"
    " will be changed to :\n"
    " ... 5B.0-0 5b.f6 6B.Nxf6 6b.gxf6 5A.N@g5 5a.Be7 6A.h4 7B.Bxf6 ...\n"
    "\n"
    " You can use it for replaying games also using StepByStep :-)\n"
    "\n"
    " Stop processing ?";

namespace {

constexpr int kLoopLimit = 2000000;
constexpr size_t kShownLimit = 65000;

std::string GameTag(int game) { return " |Game:" + std::to_string(game) + " "; }

// Board B moves stand indented in txtMove.
std::string MoveShown(const std::string& token) {
  return bytes::Pos("A.", bytes::UpperAscii(token)) ? token : std::string(10, ' ') + token;
}

// The compact position of a set-up start: its clocks in tenths of a second,
// no lag; the pin maps stay (the checker rewrites them). `hands` gets the 20
// hand counts.
void StartFrom(CompactPosition& position, const TwoBoardPosition& start, int (&hands)[20]) {
  for (int board = 1; board <= 2; ++board) {
    const ConstBoardRef from = BoardOf(start, board);
    BoardRef to = BoardOf(position, board);
    std::copy_n(from.squares, kSquares, to.squares);
    std::copy_n(from.marks, kSquares, to.marks);
    std::copy_n(from.castling, 4, to.castling);
    std::copy_n(from.holdings, kSlots, to.holdings);
    std::copy_n(from.holdings, kSlots, hands + (board - 1) * kSlots);
    std::copy_n(from.kingSquare, 2, to.kingSquare);
    *to.sideToMove = *from.sideToMove;
    *to.epSquare = *from.epSquare;
  }
  for (int seat = 0; seat < 4; ++seat) {
    position.clock[seat] = start.clock[seat] / 100;
    position.lag[seat] = 0;
  }
}

}  // namespace

int RemoveAirDrops(int count, std::vector<BpgnMove>& moves, std::string& moveText, std::string& log,
                   std::string& airDrops, const int* startHands) {
  const AirDropOutcome found = PutAirDropsRight(moves, count, log, airDrops, startHands);
  if (found.kind != AirDropOutcome::Ok) return 0;
  moveText = JoinMoveTexts(
      moves, count, [](const BpgnMove& m) -> const std::string& { return m.text; }, true,
      moveText.size() + static_cast<size_t>(count));
  airDrops += std::to_string(found.fixes) + ",";
  return 1;
}

RepairResult RepairBpgn(std::string_view bpgn1, const RepairOptions& options, RepairObserver* observer) {
  RepairObserver quiet;
  RepairObserver& ui = observer ? *observer : quiet;
  RepairResult r;
  const int inputLength = bytes::Clamp32(static_cast<int64_t>(bpgn1.size()));
  r.inputLength = inputLength;
  std::string& log = r.log;
  log = "BPGN1.Length: " + std::to_string(inputLength) + " Bytes.\r\n";
  ui.ShowLog(log);
  ui.ShowOutput("");
  if (ui.StopBeforeRun(kRepairInfoTitle, kRepairInfoText)) {
    r.end = RepairEnd::Declined;
    return r;
  }
  if (inputLength < 10) {
    r.end = RepairEnd::TooShort;
    return r;
  }
  ui.Progress(0);
  const bool step = options.stepByStep;
  r.txtTmp = "AirDrops:\r\n";
  ui.ShowAirDrops(r.txtTmp);
  RepairedText good;
  auto progress = [&](int64_t next) {
    ui.Progress(static_cast<int>(std::min<int64_t>(100, next * 100 / std::max(1, inputLength))));
  };

  CompactPosition& position = r.position;
  std::vector<BpgnMove> moves;
  std::set<std::string> setupsWithoutMoves;  // the FEN of each one written
  // Games are cut as the loader cuts them: the 1-based place of the next
  // game's "[Event" at or after the 0-based `from`, or 0.
  const auto gameStart = [bpgn1](size_t from) {
    const size_t at = FindBpgnGameStart(bpgn1, from);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
  };
  int start = gameStart(0);
  int loops = 0;
  while (start != 0 && loops < kLoopLimit) {
    ++loops;
    const int game = ++r.games;
    bool bad = false;
    const int found = gameStart(static_cast<size_t>(start));
    const int64_t next = found ? found : static_cast<int64_t>(inputLength) + start;
    const std::string_view gameText = bpgn1.substr(static_cast<size_t>(start - 1),
                                                   static_cast<size_t>(next - start));
    progress(next);
    position.Reset();
    moves.clear();

    // One game; returns when the game leaves by any path.
    [&] {
      if (options.skipByText && !options.skipText.empty() &&
          gameText.find(options.skipText) != std::string_view::npos) {
        log += "\r\nSkipping (User RAGIS)." + GameTag(game);
        ++r.skipped;
        return;
      }
      int p1 = bytes::Pos("1A.", gameText), p2 = bytes::Pos("1B.", gameText);
      // A set-up may give Black the first move on a board.
      const int setupAt = bytes::Pos("[Setup \"1\"]", gameText);
      auto earlier = [&](int white, const char* black) {
        const int at = bytes::Pos(black, gameText, setupAt);
        return at && (!white || at < white) ? at : white;
      };
      if (setupAt) {
        p1 = earlier(p1, "1a.");
        p2 = earlier(p2, "1b.");
      }
      // A set-up saved before its first move is kept as its position alone.
      int tagsEnd = 0;
      const bool noMoves = setupAt && (!p1 || !p2) && IsSetupWithoutMoves(gameText, &tagsEnd);
      if ((!p1 || !p2) && !noMoves) {
        log += "\r\nNot founded first moves on both chessborads (1A. and 1B. ), skipping game." + GameTag(game);
        bad = true;
        return;
      }
      const int first = noMoves ? tagsEnd : std::min(p1, p2);
      const std::string tagPart = bytes::Copy(gameText, 1, first - 1);
      // A set-up game starts from its set-up, hands included.
      int startHands[20] = {};
      if (setupAt && setupAt < first) {
        TwoBoardPosition setup;
        if (CKestroGame().SetupPositionOfTags(tagPart, setup)) StartFrom(position, setup, startHands);
      }
      std::string movePart = bytes::From(gameText, first);
      std::string tail;
      if (options.removeComments) StripMoveTextAndComments(movePart);
      if (movePart.find("{C:") != std::string::npos || movePart.find("{A:") != std::string::npos) {
        log += "\r\nSkipping commented/anotated game - not supported!" + GameTag(game);
        ui.ShowLog(log);
        bad = true;
        return;
      }
      if (movePart.find('(') != std::string::npos) {
        log += "\rSkipping BPGN game - subvariants (...) - not supported!" + GameTag(game);
        ui.ShowLog(log);
        bad = true;
        return;
      }
      if (!options.removeComments) StripMoveText(movePart);
      ui.ShowMove("");

      int a = 1;
      int b = 1 + bytes::Pos("}", movePart);
      std::string token;
      if (noMoves) {
        tail = movePart;
        movePart.clear();
      } else {
        for (;;) {
          token = bytes::Copy(movePart, a, b - a);
          if (step) {
            ui.ShowPosition(position, position.Dump());
            if (!ui.AskNextMove("Next move :\n" + token)) {
              r.end = RepairEnd::StoppedInStep;
              return;
            }
          }
          BpgnMove& move = moves.emplace_back();
          move.text = token;
          move.serial = static_cast<int32_t>(moves.size());
          if (step) {
            log += token;
            ui.ShowLog(log);
            ui.ShowMove(MoveShown(token));
          }
          if (!CheckAndPlayMove(position, move, log)) {
            ui.ShowPosition(position, position.Dump());
            ui.ShowMove(MoveShown(token));
            log += GameTag(game);
            bad = true;
            return;
          }
          a = b;
          const int close = bytes::Pos("}", movePart, a);
          b = close ? close + 1 : a;
          if (std::memchr(movePart.data() + a - 1, '.', static_cast<size_t>(b - a)) == nullptr) {
            tail = bytes::From(movePart, a);
            movePart.resize(static_cast<size_t>(a - 1));
            break;
          }
        }
      }
      ui.ShowPosition(position, position.Dump());
      ui.ShowMove(MoveShown(token));

      const int count = static_cast<int>(moves.size());
      const int ok = RemoveAirDrops(count, moves, movePart, log, r.txtTmp, startHands);
      ui.ShowAirDrops(r.txtTmp);
      if (!ok) {
        log += GameTag(game);
        bad = true;
        return;
      }
      ++r.repaired;
      // Set-ups without moves are told apart by their position.
      std::string fen;
      if (noMoves) BpgnTagValue(tagPart, "FEN", fen);
      if (options.removeDuplicates && (noMoves ? !setupsWithoutMoves.insert(fen).second : good.Contains(movePart))) {
        ++r.duplicates;
      } else {
        if (tail.find('{') == std::string::npos) tail += "{*}*";
        good.Append("\r\n" + tagPart + movePart + "\r\n\r\n" + tail + "\r\n");
        ++r.written;
      }
      progress(next);
      if (step) log += " |Game:" + std::to_string(game) + "\r\n ";
    }();

    if (r.end == RepairEnd::StoppedInStep) break;
    if (step) ui.ShowLog(log);
    if (bad) {
      r.bpgn3.append(gameText);
      ++r.errors;
    }
    start = next >= inputLength ? 0 : static_cast<int>(next);
  }
  r.bpgn2 = good.Take();
  if (r.end == RepairEnd::StoppedInStep) return r;
  if (start != 0) {
    r.end = RepairEnd::CyclicLoop;
    log = "Some Error in BPGN: Cyclic Err.";
    ui.ShowLog(log);
    return r;
  }

  r.output = r.bpgn2.size() > kShownLimit
                 ? "Repaired BPGN > 65 000 Bytes, is stored in Bpgn2 string, use Save BPGN button to save it into some file."
                 : r.bpgn2;
  ui.ShowOutput(r.output);
  r.summary = "Successfully processed BPGN1, length " + std::to_string(inputLength) + " Bytes, games " +
              std::to_string(r.games) + ", repaired " + std::to_string(r.repaired) + ", Errors founded in " +
              std::to_string(r.errors) + " -> BPGN3, duplicity founded " + std::to_string(r.duplicates) +
              ", Out -> BPGN2 games " + std::to_string(r.written) + ".";
  r.runLog = log;
  if (step || log.size() < kShownLimit)
    log = r.summary + "\r\n<Log>:\r\n" + log;
  else
    log = r.summary + "\r\n<Log>:Is too long, try save and load only unrepaired games.";
  ui.ShowLog(log);
  r.canSaveRepaired = r.written != 0;
  r.canSaveUnrepaired = r.errors != 0;
  ui.Beep();
  return r;
}

}  // namespace repair
