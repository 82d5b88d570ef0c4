#pragma once
// Generated bughouse games for the benchmarks: every move is picked from the
// legal-move list of the position reached, so every game loads and replays.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "game/kestro_game.h"

namespace benchgen {

struct Corpus {
  std::string text;              // the whole file
  std::vector<int> moveCounts;   // per game
  std::vector<std::string> finals;  // BFEN after the last move, per game
  int64_t moves = 0;
};

// Index of a random entry among the listed ones of `board` (1 A, 2 B), drops
// picked a quarter of the time when there are any; -1 when the board has none.
inline int PickEntry(const CKestroGame& game, const TwoBoardPosition& p, int board, std::mt19937& rng) {
  const int begin = board == 1 ? 0 : game.LegalMoveCountA;
  const int end = board == 1 ? game.LegalMoveCountA : game.LegalMoveCount;
  const int32_t* squares = board == 1 ? p.boardA : p.boardB;
  std::vector<int> moves, drops;
  for (int i = begin; i < end; ++i) {
    const LegalMoveEntry& m = game.LegalMoves[static_cast<size_t>(i)];
    if (TypeOf(squares[m.to]) == ptKing) continue;  // never take a king
    (m.kind >= mkWhiteDropA ? drops : moves).push_back(i);
  }
  const bool drop = !drops.empty() && (moves.empty() || rng() % 4 == 0);
  const std::vector<int>& from = drop ? drops : moves;
  return from.empty() ? -1 : from[rng() % from.size()];
}

// One game: tags, then 40 to 80 moves picked from the legal-move list and
// played on a position, so that every move of the record is legal.
inline void AppendGame(int number, std::mt19937& rng, Corpus& corpus) {
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  const std::string name = std::to_string(number);
  corpus.text += "[Event \"Bughouse bench " + name + "\"]\r\n[Site \"Kestrovane\"]\r\n[Date \"2026.01.02\"]\r\n"
                 "[WhiteA \"Ann" + name + "\"][WhiteAElo \"1500\"]\r\n[BlackA \"Bob\"]\r\n[WhiteB \"Cid\"]\r\n"
                 "[BlackB \"Dee\"]\r\n[TimeControl \"180+0\"]\r\n[Result \"*\"]\r\n\r\n";
  int plies[2] = {0, 0};
  int clocks[4] = {180, 180, 180, 180};
  const int target = 40 + static_cast<int>(rng() % 41);
  int played = 0;
  for (; played < target; ++played) {
    game.GenerateLegalMoves(p);
    // Both boards' first moves come first, so the game holds "1A." and "1B.".
    int board = played < 2 ? played + 1 : 1 + static_cast<int>(rng() % 2);
    int pick = PickEntry(game, p, board, rng);
    if (pick < 0 && played >= 2) pick = PickEntry(game, p, board = 3 - board, rng);
    if (pick < 0) break;
    const LegalMoveEntry m = game.LegalMoves[static_cast<size_t>(pick)];
    const int seat = SeatOf(board, board == 1 ? p.sideToMoveA : p.sideToMoveB);
    clocks[seat] = std::max(1, clocks[seat] - static_cast<int>(rng() % 4));
    BpgnMove move;
    move.token = game.MoveToBpgn(p, m.kind, m.from, m.to, m.promotion, plies[0], plies[1]) + "{" +
                 std::to_string(clocks[seat]) + "}";
    if (game.PlayMove(move, p) != 1) {
      std::fprintf(stderr, "bench: game %d: the generator's move %s was refused:%s\n", number,
                   move.token.c_str(), game.ErrorLog.c_str());
      std::exit(1);
    }
    ++plies[board - 1];
    corpus.text += move.token;
    corpus.text += played % 8 == 7 ? "\r\n" : " ";
  }
  corpus.text += "{Bench game over} *\r\n\r\n";
  corpus.moveCounts.push_back(played);
  corpus.finals.push_back(CKestroGame::PositionToBfen(p));
  corpus.moves += played;
}

// The move text of one board-A game in PGN: 20 to 60 plies picked from board
// A's legal-move list, now and then a comment, "N..." before black's move after one.
inline std::string PgnMoveText(std::mt19937& rng, int& plies, std::string& final) {
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  std::string text;
  const int target = 20 + static_cast<int>(rng() % 41);
  bool afterComment = false;
  for (plies = 0; plies < target; ++plies) {
    game.GenerateLegalMoves(p);
    const int pick = PickEntry(game, p, 1, rng);
    if (pick < 0) break;
    const LegalMoveEntry m = game.LegalMoves[static_cast<size_t>(pick)];
    const std::string token = game.MoveToBpgn(p, m.kind, m.from, m.to, m.promotion, plies, 0);
    BpgnMove move;
    move.token = token + "{0}";
    if (game.PlayMove(move, p) != 1) {
      std::fprintf(stderr, "bench: the generator's move %s was refused:%s\n", move.token.c_str(),
                   game.ErrorLog.c_str());
      std::exit(1);
    }
    const std::string number = std::to_string(plies / 2 + 1);
    if (plies % 2 == 0) text += number + ". ";
    else if (afterComment) text += number + "... ";
    text += token.substr(token.find('.') + 1);
    afterComment = rng() % 8 == 0;
    if (afterComment) text += " { [%eval 0." + std::to_string(rng() % 100) + "] }";
    text += plies % 10 == 9 ? "\r\n" : " ";
  }
  final = CKestroGame::PositionToBfen(p);
  return text;
}

// A PGN file of `games` board-A games: `distinct` generated ones over and
// over, each copy under its own Event.
inline Corpus MakePgnCorpus(int games, int distinct, unsigned seed) {
  Corpus c;
  std::mt19937 rng(seed);
  std::vector<std::string> texts(static_cast<size_t>(distinct));
  std::vector<int> counts(static_cast<size_t>(distinct));
  std::vector<std::string> finals(static_cast<size_t>(distinct));
  for (size_t i = 0; i < texts.size(); ++i) texts[i] = PgnMoveText(rng, counts[i], finals[i]);
  c.text.reserve(static_cast<size_t>(games) * 450);
  for (int g = 0; g < games; ++g) {
    const size_t i = static_cast<size_t>(g % distinct);
    c.text += "[Event \"PGN bench " + std::to_string(g + 1) + "\"]\r\n[White \"Ann\"]\r\n[Black \"Bob\"]\r\n"
              "[Result \"*\"]\r\n\r\n" + texts[i] + "*\r\n\r\n";
    c.moveCounts.push_back(counts[i]);
    c.finals.push_back(finals[i]);
    c.moves += counts[i];
  }
  return c;
}

// `games` games from the seed, numbered from 1.
inline Corpus MakeCorpus(int games, unsigned seed) {
  Corpus c;
  std::mt19937 rng(seed);
  c.text.reserve(static_cast<size_t>(games) * 1200);
  for (int g = 1; g <= games; ++g) AppendGame(g, rng, c);
  return c;
}

}  // namespace benchgen
