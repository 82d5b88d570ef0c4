// A stand-in for the Sunsetter engine in tests: speaks the XBoard protocol on
// stdin/stdout, greets like Sunsetter and plays random legal moves on its board.
// Usage: fake_sunsetter [seed]
// Every start is counted in $HOME/fake_sunsetter.starts; with
// FAKE_SUNSETTER_FAILED_STARTS=n the first n starts end at once with status 1,
// as an engine does that loses the race to create its folder on a new account.
// With FAKE_SUNSETTER_EARLY_MOVE set it says "move e2e4" before each greeting.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engines/core/engine_text.h"
#include "game/kestro_game.h"

namespace {

struct FakeEngine {
  CKestroGame game;
  TwoBoardPosition position;
  int engineSide = 1;  // 0 white, 1 black
  bool force = false;
  std::mt19937 random;

  explicit FakeEngine(unsigned seed) : random(seed) { NewGame(); }

  void NewGame() {
    game.SetupStandardPosition(position);
    engineSide = 1;
    force = false;
  }

  int SideToMove() const { return position.sideToMoveA; }

  bool KingSafe(const TwoBoardPosition& p, int side) const {
    return !game.IsSquareAttacked(p.boardA, p.kingSquare[side], side);
  }

  // Plays a BPGN body for the side to move; false when the rules refuse it.
  bool Play(const std::string& body, HandCheck check) {
    const int side = SideToMove();
    BpgnMove move;
    move.token = std::string(side ? "1a." : "1A.") + body + "{180}";
    TwoBoardPosition next = position;
    if (!game.PlayMove(move, next, check) || !KingSafe(next, side)) return false;
    position = next;
    return true;
  }

  void OpponentMove(const std::string& text) {
    XBoardMove parsed;
    if (!ParseXBoardMove(text, parsed) || !Play(EngineMoveToBpgn(position, 1, text), HandCheck::Lenient)) {
      std::cout << "Illegal move: " << text << std::endl;
      return;
    }
    if (!force && SideToMove() == engineSide) Think();
  }

  void Think() {
    const int side = SideToMove();
    TwoBoardPosition work = position;
    game.GenerateLegalMoves(work);
    std::vector<std::string> moves;
    for (const LegalMoveEntry& e : game.LegalMoves) {
      const bool mine = e.kind == mkMoveA ? ColourOf(e.piece) == side
                                          : e.kind == (side ? mkBlackDropA : mkWhiteDropA);
      if (!mine) continue;
      std::string text;
      if (e.kind == mkMoveA) {
        text = CKestroGame::SquareName(e.from) + CKestroGame::SquareName(e.to);
        if (e.promotion)
          text += static_cast<char>(std::tolower(static_cast<unsigned char>(kUpperPieceLetters[e.promotion])));
      } else {
        text = std::string(1, kUpperPieceLetters[CodeOfSlot(e.from)]) + "@" + CKestroGame::SquareName(e.to);
      }
      TwoBoardPosition next = position;
      BpgnMove move;
      move.token = game.MoveToBpgn(next, e.kind, e.from, e.to, e.promotion, 0, 0) + "{180}";
      if (game.PlayMove(move, next, HandCheck::Strict) && KingSafe(next, side)) moves.push_back(text);
    }
    if (moves.empty()) {
      std::cout << "resign" << std::endl;
      return;
    }
    const std::string chosen = moves[std::uniform_int_distribution<size_t>(0, moves.size() - 1)(random)];
    Play(EngineMoveToBpgn(position, 1, chosen), HandCheck::Strict);
    std::cout << "move " << chosen << std::endl;
  }

  void SetBoard(const std::string& fen) {
    std::istringstream in(fen);
    std::string ranks, side, rights;
    in >> ranks >> side >> rights;
    TwoBoardPosition p = position;
    int rank = 7, file = 0, last = 0;
    for (int s = 26; s <= 117; ++s)
      if (IsPlayingSquare(s)) p.boardA[s] = pcEmpty, p.marksA[s] = 0;
    for (char c : ranks) {
      if (c == '/') {
        --rank, file = 0;
      } else if (c >= '1' && c <= '8') {
        file += c - '0';
      } else if (c == '~') {
        if (last) p.marksA[last] = 1;
      } else if (const char* at = std::strchr(kPieceLetters + 2, c); at && file < 8 && rank >= 0) {
        last = SquareOf(file++, rank);
        p.boardA[last] = static_cast<int>(at - kPieceLetters);
        if (p.boardA[last] >= pcWKing) p.kingSquare[p.boardA[last] - pcWKing] = last;
      }
    }
    p.sideToMoveA = side == "b" ? 1 : 0;
    p.epSquareA = 0;
    const char* letters = "KQkq";
    for (int i = 0; i < 4; ++i) p.castlingA[i] = rights.find(letters[i]) != std::string::npos;
    position = p;
  }

  void Holding(const std::string& text) {
    for (int i = 0; i < kSlots; ++i) position.holdingsA[i] = 0;
    int colour = -1;
    for (char c : text) {
      if (c == '[') ++colour;
      const char* at = std::strchr(kPieceLetters + 2, c);
      if (!at || colour < 0 || colour > 1 || c == 'K' || c == 'k') continue;
      const int code = static_cast<int>(at - kPieceLetters);
      if (ColourOf(code) == colour) ++position.holdingsA[SlotOf(code)];
    }
  }

  bool Command(const std::string& line) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    std::string rest;
    std::getline(in, rest);
    if (word == "quit") return false;
    if (word == "new") {
      NewGame();
      if (std::getenv("FAKE_SUNSETTER_EARLY_MOVE")) std::cout << "move e2e4" << std::endl;
      std::cout << "tellics kibitz Hello from Sunsetter" << std::endl;
    } else if (word == "white" || word == "black") {
      position.sideToMoveA = word == "black";
      engineSide = 1 - position.sideToMoveA;
    } else if (word == "go") {
      force = false;
      engineSide = SideToMove();
      Think();
    } else if (word == "force") {
      force = true;
    } else if (word == "setboard") {
      SetBoard(rest);
    } else if (word == "holding") {
      Holding(rest);
    } else if (word == "usermove") {
      OpponentMove(rest.substr(rest.find_first_not_of(' ') == std::string::npos ? 0 : rest.find_first_not_of(' ')));
    } else if (word == "xboard" || word == "post" || word == "nopost" || word == "easy" || word == "hard" ||
               word == "level" || word == "variant" || word == "time" || word == "otim" || word == "analyze" ||
               word.empty()) {
    } else {
      XBoardMove parsed;
      if (ParseXBoardMove(word, parsed))
        OpponentMove(word);
      else
        std::cout << "Error (unknown command): " << word << std::endl;
    }
    return true;
  }
};

// Counts this start; true when it is one of the starts asked to fail.
bool StartFails() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) return false;
  const std::string path = std::string(home) + "/fake_sunsetter.starts";
  long earlier = 0;
  if (std::ifstream in(path, std::ios::binary); in)
    earlier = std::distance(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  std::ofstream(path, std::ios::binary | std::ios::app) << '\n';
  const char* failed = std::getenv("FAKE_SUNSETTER_FAILED_STARTS");
  return failed && earlier < std::strtol(failed, nullptr, 10);
}

}  // namespace

int main(int argc, char** argv) {
  std::cout << "Fake Sunsetter, a stand-in for tests" << std::endl;
  if (StartFails()) {
    std::cout << "Unable to create directory: File exists" << std::endl;
    return 1;
  }
  FakeEngine engine(argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 1u);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!engine.Command(line)) break;
  }
  return 0;
}
