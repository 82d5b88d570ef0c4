#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "game/bpgn_file.h"
#include "game/kestro_game.h"
#include "tools/core/repair_driver.h"
#include "tools/core/repair_index.h"

using repair::RepairBpgn;
using repair::RepairEnd;
using repair::RepairOptions;
using repair::RepairResult;

namespace {

std::string Tags(const std::string& event, const std::string& extra = "") {
  return "[Event \"" + event + "\"]\r\n[WhiteA \"Alpha\"][BlackA \"Bravo\"][WhiteB \"Carol\"][BlackB \"Delta\"]\r\n" +
         extra + "\r\n";
}

// A damaged file with one game of every kind the run tells apart.
struct MixedFile {
  std::string clean = Tags("Club night", "[Note \"J\xF6rg \xA4\"]\r\n") +
                      "1A.e4{180} 1B.d4{180} 1a.e5{179} 1b.d5{179}\r\n"
                      "2A.Nf3{178} 2a.Nc6{177} 2B.Nf3{178} 2b.Nf6+{178}\r\n{White A resigns} 0-1\r\n\r\n";
  std::string airDrop = Tags("Air") +
                        "1A.e4{180} 1B.e4{180} 1a.e5{179} 1b.d5{179} 2A.Nf3{178} 2a.P@d4{177}\r\n"
                        "2B.exd5{177} 2b.Qxd5{176} 3A.Nxd4{176} {Black A forfeits on time} 1-0\r\n\r\n";
  std::string sameMoves = Tags("Club night, again") +
                          "1A.e4{180} 1B.d4{180} 1a.e5{179} 1b.d5{179} 2A.Nf3{178} 2a.Nc6{177}\r\n"
                          "2B.Nf3{178} 2b.Nf6{178} {Black B resigns} 1-0\r\n\r\n";
  std::string partOfClean = Tags("Short") + "1A.e4{180} 1B.d4{180} 1a.e5{179} *\r\n\r\n";
  std::string oneBoard = Tags("One board", "[Note \"\xFF\xFE\x01\"]\r\n") + "1A.e4{180} 1a.e5{179} *\r\n\r\n";
  std::string timeStamps = Tags("Stamped") + "1A.e4{180}{C:[T:5300][L:120]} 1B.d4{180} 1a.d5{179} *\r\n\r\n";
  std::string variation = Tags("Lines") + "1A.e4{180} (1A.d4{180}) 1B.e4{180} *\r\n\r\n";
  std::string refused = Tags("Refused") + "1A.e4{180} 1B.e4{180} 1a.Ke5{179} *\r\n\r\n";
  std::string noSupplier = Tags("No supplier") + "1A.e4{180} 1B.e4{180} 1a.Q@h4{179} 1b.e5{179} *\r\n\r\n";
  std::string noBraces = Tags("No clocks") + "1A.e4 1B.e4 1a.e5 *\r\n\r\n";
  std::string drawn = Tags("Drawn") + "1A.e4{180} 1B.e4{180} {Game drawn.} 1/2-1/2\r\n\r\n";
  std::string aborted = Tags("Game aborted") + "1A.d4{180} 1B.c4{180} *";

  std::string Text() const {
    return "Saved by hand 1A.e4{1} 1B.e4{1}\r\n" + clean + airDrop + sameMoves + partOfClean + oneBoard + timeStamps +
           variation + refused + noSupplier + noBraces + drawn + aborted;
  }
};

std::string Summary(int length, int games, int repaired, int errors, int duplicates, int written) {
  return "Successfully processed BPGN1, length " + std::to_string(length) + " Bytes, games " + std::to_string(games) +
         ", repaired " + std::to_string(repaired) + ", Errors founded in " + std::to_string(errors) +
         " -> BPGN3, duplicity founded " + std::to_string(duplicates) + ", Out -> BPGN2 games " +
         std::to_string(written) + ".";
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

// The games of a text as the loader cuts them.
std::vector<std::string> Games(const std::string& text) {
  std::vector<std::string> games;
  for (size_t p = FindBpgnGameStart(text); p != std::string::npos;) {
    const size_t next = FindBpgnGameStart(text, p + 1);
    games.push_back(text.substr(p, next == std::string::npos ? std::string::npos : next - p));
    p = next;
  }
  return games;
}

// Every game the loader sees is met, and written, refused, a duplicate or
// skipped; the refused games are the input's own bytes in their order.
void ExpectNoGameLost(const std::string& input, const RepairResult& r) {
  ASSERT_EQ(r.end, RepairEnd::Completed);
  const std::vector<std::string> games = Games(input);
  EXPECT_EQ(r.games, CBpgn::FromText(input, "damaged.bpgn").GameCount());
  EXPECT_EQ(r.games, static_cast<int>(games.size()));
  EXPECT_EQ(r.games, r.written + r.errors + r.duplicates + r.skipped);
  EXPECT_EQ(r.repaired, r.written + r.duplicates);
  // A damaged closing that begins with "[Event" starts its own line in the
  // output and reads as one more game, without moves.
  int withMoves = 0;
  for (const std::string& g : Games(r.bpgn2))
    withMoves += g.find("1A.") != std::string::npos && g.find("1B.") != std::string::npos;
  EXPECT_EQ(withMoves, r.written);
  size_t at = 0;
  int refused = 0;
  for (const std::string& g : games)
    if (r.bpgn3.compare(at, g.size(), g) == 0 && at < r.bpgn3.size()) {
      at += g.size();
      ++refused;
    }
  EXPECT_EQ(at, r.bpgn3.size());
  EXPECT_EQ(refused, r.errors);
}

}  // namespace

TEST(RepairRun, SortsAMixedDamagedFile) {
  const MixedFile f;
  const std::string input = f.Text();
  const RepairResult r = RepairBpgn(input, RepairOptions{});
  const int length = static_cast<int>(input.size());
  ASSERT_EQ(r.end, RepairEnd::Completed);
  EXPECT_EQ(r.bpgn2,
            "\r\n" + Tags("Club night", "[Note \"J\xF6rg \xA4\"]\r\n") +
                "1A.e4 {180}1B.d4 {180}1a.e5 {179}1b.d5 {179}2A.Nf3 {178}2a.Nc6 {177}2B.Nf3 {178}2b.Nf6 {178}"
                "\r\n\r\n{White A resigns}0-1\r\n"
                "\r\n" + Tags("Air") +
                "1A.e4 {180}1B.e4 {180}1a.e5 {179}1b.d5 {179}2A.Nf3 {178}2B.exd5 {177}2a.P@d4 {177}"
                "2b.Qxd5 {176}3A.Nxd4 {176}\r\n\r\n{Black A forfeits on time}1-0\r\n"
                "\r\n" + Tags("Game aborted") + "1A.d4 {180}1B.c4 {180}\r\n\r\n*{*}*\r\n");
  EXPECT_EQ(r.bpgn3, f.oneBoard + f.timeStamps + f.variation + f.refused + f.noSupplier + f.noBraces + f.drawn);
  const std::string s = Summary(length, 12, 5, 7, 2, 3);
  EXPECT_EQ(r.summary, s);
  EXPECT_EQ(r.log, s + "\r\n<Log>:\r\nBPGN1.Length: " + std::to_string(length) + " Bytes.\r\n" +
                       "\r\nNot founded first moves on both chessborads (1A. and 1B. ), skipping game. |Game:5 "
                       "\r\nSkipping commented/anotated game - not supported! |Game:6 "
                       "\rSkipping BPGN game - subvariants (...) - not supported! |Game:7 "
                       "\r\nErr: More than 1 possible SquareFrom founded |Game:8 "
                       "\r\nErrA=Founded AirDrop for which no later played move on partners board taked such piece."
                       " |Game:9 "
                       "\r\nErr: Move text too short. |Game:10 "
                       "\r\nErr: Move text too short. |Game:11 ");
  EXPECT_EQ(r.txtTmp, "AirDrops:\r\n0,1,0,0,ErrA,0,");
  EXPECT_EQ(r.output, r.bpgn2);
  EXPECT_TRUE(r.canSaveRepaired);
  EXPECT_TRUE(r.canSaveUnrepaired);
  ExpectNoGameLost(input, r);
}

TEST(RepairRun, GamesAreCutWhereTheLoaderCutsThem) {
  // "[Event" inside a comment and an "[EventDate" line start no game.
  const std::string first = Tags("Club night", "[EventDate \"2026.03.14\"]\r\n") +
                            "1A.e4{180} 1B.d4{180} 1a.e5{179} 1b.d5{179}\r\n"
                            "{note: see [Event \"x\"] game} 1-0\r\n\r\n";
  const std::string second = Tags("Second") + "1A.d4{180} 1B.e4{180} *";
  const std::string input = first + second;
  ASSERT_EQ(CBpgn::FromText(input, "notes.bpgn").GameCount(), 2);
  const RepairResult r = RepairBpgn(input, RepairOptions{});
  EXPECT_EQ(r.summary, Summary(static_cast<int>(input.size()), 2, 2, 0, 0, 2));
  EXPECT_EQ(r.bpgn3, "");
  EXPECT_EQ(r.bpgn2, "\r\n" + Tags("Club night", "[EventDate \"2026.03.14\"]\r\n") +
                         "1A.e4 {180}1B.d4 {180}1a.e5 {179}1b.d5 {179}\r\n\r\n{note: see [Event \"x\"] game}1-0\r\n"
                         "\r\n" + Tags("Second") + "1A.d4 {180}1B.e4 {180}\r\n\r\n*{*}*\r\n");
}

TEST(RepairRun, SetupGamesStartFromTheirPositionAndHands) {
  // Black to move on A, holding the knight it drops; the rook of A moved to d4.
  CKestroGame writer;
  TwoBoardPosition p;
  writer.SetupStandardPosition(p);
  ASSERT_TRUE(writer.MovePieceInPosition(1, CKestroGame::SquareFromName('b', '8'), 4, SlotOf(pcBKnight), p));
  ASSERT_TRUE(writer.MovePieceInPosition(1, CKestroGame::SquareFromName('a', '1'), 1,
                                         CKestroGame::SquareFromName('d', '4'), p));
  p.sideToMoveA = 1;
  std::string game = writer.BpgnSetupText(p);
  game.resize(game.size() - 7);
  game += " 1a.N@c6{179} 1B.e4{180} 1A.Rd5{178} 1b.e5{179}\r\n{*} *\r\n";
  const RepairResult r = RepairBpgn(game, RepairOptions{});
  EXPECT_EQ(r.errors, 0) << r.runLog;
  EXPECT_EQ(r.written, 1);
  EXPECT_NE(r.bpgn2.find("1a.N@c6 {179}1B.e4 {180}1A.Rd5 {178}1b.e5 {179}"), std::string::npos) << r.bpgn2;
}

TEST(RepairRun, OptionsSkipRemoveCommentsAndKeepDuplicates) {
  const MixedFile f;
  const std::string input = f.Text();
  RepairOptions skip;
  skip.skipByText = true;
  RepairResult r = RepairBpgn(input, skip);
  EXPECT_EQ(r.summary, Summary(static_cast<int>(input.size()), 12, 4, 7, 2, 2));
  EXPECT_NE(r.log.find("\r\nErr: Move text too short. |Game:11 \r\nSkipping (User RAGIS). |Game:12 "),
            std::string::npos);
  EXPECT_EQ(r.skipped, 1);
  ExpectNoGameLost(input, r);

  // An empty skip text skips nothing.
  skip.skipText = "";
  r = RepairBpgn(input, skip);
  EXPECT_EQ(r.skipped, 0);
  EXPECT_EQ(r.written, 3);

  RepairOptions comments;
  comments.removeComments = true;
  comments.removeDuplicates = false;
  r = RepairBpgn(input, comments);
  EXPECT_EQ(r.summary, Summary(static_cast<int>(input.size()), 12, 6, 6, 0, 6));
  EXPECT_NE(r.bpgn2.find(Tags("Stamped") + "1A.e4 {180}1B.d4 {180}1a.d5 {179}\r\n\r\n*{*}*\r\n"), std::string::npos);
  EXPECT_EQ(Count(r.bpgn2, "1A.e4 {180}1B.d4 {180}1a.e5 {179}"), 3);
  ExpectNoGameLost(input, r);
}

TEST(RepairRun, EndsEarlyWithoutStatistics) {
  struct Declines : repair::RepairObserver {
    std::string title, text;
    bool StopBeforeRun(const std::string& t, const std::string& x) override {
      title = t;
      text = x;
      return true;
    }
  } declines;
  RepairResult r = RepairBpgn(MixedFile().Text(), RepairOptions{}, &declines);
  EXPECT_EQ(r.end, RepairEnd::Declined);
  EXPECT_EQ(declines.title, "INFo");
  EXPECT_EQ(declines.text.substr(0, 20), "The main idea is : \n");
  EXPECT_EQ(Count(declines.text, "\n"), 11);
  EXPECT_FALSE(r.canSaveRepaired);

  r = RepairBpgn("[Event \"", RepairOptions{});
  EXPECT_EQ(r.end, RepairEnd::TooShort);
  EXPECT_EQ(r.log, "BPGN1.Length: 8 Bytes.\r\n");
  EXPECT_EQ(r.summary, "");

  // Without any "[Event" there is no game; the statistics still come.
  r = RepairBpgn("1A.e4{180} 1B.e4{180} *\r\n", RepairOptions{});
  EXPECT_EQ(r.end, RepairEnd::Completed);
  EXPECT_EQ(r.summary, Summary(25, 0, 0, 0, 0, 0));
  EXPECT_FALSE(r.canSaveRepaired);
  EXPECT_FALSE(r.canSaveUnrepaired);
}

TEST(RepairRun, StepModeAsksBeforeEachMoveAndCanStop) {
  struct Stepper : repair::RepairObserver {
    std::vector<std::string> questions, shownMoves;
    int positions = 0;
    size_t stopAt = 100;
    bool AskNextMove(const std::string& q) override {
      questions.push_back(q);
      return questions.size() < stopAt;
    }
    void ShowPosition(const repair::CompactPosition&, const std::string& dump) override {
      EXPECT_EQ(dump.substr(0, 24), " ----------------------\n");
      ++positions;
    }
    void ShowMove(const std::string& m) override { shownMoves.push_back(m); }
  };
  const MixedFile f;
  const std::string input = f.partOfClean + f.clean;
  RepairOptions step;
  step.stepByStep = true;
  Stepper all;
  RepairResult r = RepairBpgn(input, step, &all);
  ASSERT_EQ(r.end, RepairEnd::Completed);
  ASSERT_EQ(all.questions.size(), 11u);
  EXPECT_EQ(all.questions[0], "Next move :\n1A.e4{180}");
  EXPECT_EQ(all.questions[1], "Next move :\n1B.d4{180}");
  EXPECT_EQ(all.shownMoves[1], "1A.e4{180}");
  EXPECT_EQ(all.shownMoves[2], "          1B.d4{180}");
  EXPECT_EQ(all.positions, 11 + 2);
  // Step mode keeps the whole log, with the tokens and a line per game.
  EXPECT_EQ(r.log.substr(r.log.find("<Log>:")),
            "<Log>:\r\nBPGN1.Length: " + std::to_string(input.size()) + " Bytes.\r\n" +
                "1A.e4{180}1B.d4{180}1a.e5{179} |Game:1\r\n "
                "1A.e4{180}1B.d4{180}1a.e5{179}1b.d5{179}2A.Nf3{178}2a.Nc6{177}2B.Nf3{178}2b.Nf6{178} |Game:2\r\n ");

  Stepper stops;
  stops.stopAt = 5;
  r = RepairBpgn(input, step, &stops);
  EXPECT_EQ(r.end, RepairEnd::StoppedInStep);
  EXPECT_EQ(stops.questions.size(), 5u);
  EXPECT_EQ(r.written, 1);
  EXPECT_EQ(r.summary, "");
  EXPECT_FALSE(r.canSaveRepaired);
  EXPECT_FALSE(r.canSaveUnrepaired);
}

TEST(RepairRun, LongGamesAndLongOutputs) {
  // Over a thousand moves: no fixed limit.
  std::string game = Tags("Marathon") + "1A.e4{180} 1B.e4{180} ";
  for (int i = 1; i <= 300; ++i) {
    const std::string n = std::to_string(i + 1);
    game += n + "A.Nf3{100} " + n + "a.Nf6{100} " + n + "A.Ng1{100} " + n + "a.Ng8{100} ";
  }
  game += "*";
  RepairResult r = RepairBpgn(game, RepairOptions{});
  EXPECT_EQ(r.written, 1) << r.log;
  EXPECT_EQ(Count(r.bpgn2, "}"), 1202 + 1);

  // The output pane shows up to 65,000 bytes.
  auto padded = [](size_t pad) { return Tags("x", "[Pad \"" + std::string(pad, 'p') + "\"]") + "1A.e4{180} 1B.e4{180} *"; };
  const size_t unpadded = RepairBpgn(padded(0), RepairOptions{}).bpgn2.size();
  r = RepairBpgn(padded(65000 - unpadded), RepairOptions{});
  ASSERT_EQ(r.bpgn2.size(), 65000u);
  EXPECT_EQ(r.output, r.bpgn2);
  r = RepairBpgn(padded(65001 - unpadded), RepairOptions{});
  ASSERT_EQ(r.bpgn2.size(), 65001u);
  EXPECT_EQ(r.output,
            "Repaired BPGN > 65 000 Bytes, is stored in Bpgn2 string, use Save BPGN button to save it into some file.");
}

TEST(RepairRun, ALongLogIsLeftOutOfTheStatistics) {
  std::string input;
  for (int i = 0; i < 900; ++i) input += "[Event \"x\"]\r\n1A.e4{1} 1a.e5{1} *\r\n";
  RepairResult r = RepairBpgn(input, RepairOptions{});
  ASSERT_GE(r.runLog.size(), 65000u);
  EXPECT_EQ(r.log, r.summary + "\r\n<Log>:Is too long, try save and load only unrepaired games.");
  EXPECT_EQ(Count(r.runLog, "skipping game. |Game:"), 900);
  EXPECT_EQ(r.bpgn3, input);
  RepairOptions step;
  step.stepByStep = true;
  r = RepairBpgn(input, step);
  EXPECT_EQ(r.log, r.summary + "\r\n<Log>:\r\n" + r.runLog);
}

TEST(RepairRun, AirDropRemoverRewritesTheMessageExample) {
  const char* tokens[] = {"5A.N@g5{170}", "5B.0-0{160}", "5a.Be7{169}", "5b.f6{158}",
                          "6B.Nxf6{150}", "6A.h4{165}",  "6b.gxf6{150}", "7B.Bxf6{140}"};
  const int board[] = {1, 2, 1, 2, 2, 1, 2, 2}, captured[] = {0, 0, 0, 0, 3, 0, 6, 3}, dropped[] = {6, 0, 0, 0, 0, 0, 0, 0};
  std::vector<repair::BpgnMove> moves(8);
  for (int i = 0; i < 8; ++i) {
    moves[i].text = tokens[i];
    moves[i].board = board[i];
    moves[i].captured = captured[i];
    moves[i].dropped = dropped[i];
  }
  std::string text = "unchanged", log, airDrops;
  ASSERT_EQ(repair::RemoveAirDrops(8, moves, text, log, airDrops), 1);
  EXPECT_EQ(text, "5B.0-0 {160}5b.f6 {158}6B.Nxf6 {150}6b.gxf6 {150}5A.N@g5 {170}5a.Be7 {169}6A.h4 {165}7B.Bxf6 {140}");
  EXPECT_EQ(moves[4].text, "5A.N@g5{170}");
  EXPECT_EQ(log, "");
  EXPECT_EQ(airDrops, "1,");

  moves[3].captured = 2;  // 6b.gxf6 takes a pawn: nothing supplies the knight now
  text = "unchanged";
  EXPECT_EQ(repair::RemoveAirDrops(8, moves, text, log, airDrops), 0);
  EXPECT_EQ(text, "unchanged");
  EXPECT_EQ(log, "\r\nErrA=Founded AirDrop for which no later played move on partners board taked such piece.");
  EXPECT_EQ(airDrops, "1,ErrA,");
}

TEST(RepairRun, DuplicateIndexFindsWhatAPlainSearchFinds) {
  std::mt19937 rng(7);
  const char alphabet[] = "ab} {1.";
  for (int round = 0; round < 40; ++round) {
    repair::RepairedText index;
    std::string plain;
    for (int piece = 0; piece < 30; ++piece) {
      std::string add;
      for (int i = static_cast<int>(rng() % 40); i > 0; --i) add += alphabet[rng() % 7];
      index.Append(add);
      plain += add;
      for (int probe = 0; probe < 20; ++probe) {
        std::string q;
        if (rng() % 2 && !plain.empty()) {
          const size_t at = rng() % plain.size();
          q = plain.substr(at, rng() % 70);
        } else {
          for (int i = static_cast<int>(rng() % 60); i > 0; --i) q += alphabet[rng() % 7];
        }
        if (rng() % 2) q += '}';
        ASSERT_EQ(index.Contains(q), plain.find(q) != std::string::npos) << "'" << q << "' in '" << plain << "'";
      }
    }
    EXPECT_EQ(index.text(), plain);
  }
}

TEST(RepairRun, NoGameIsLostUnderRandomDamage) {
  const MixedFile f;
  const std::string base = f.Text();
  std::mt19937 rng(12345);
  const std::string noise[] = {".", "}", "{", "(", "x", "@", "K", "=", "1A.", "1B.", "[Event", "\xA4", "O-O", "\r\n", ""};
  for (int round = 0; round < 300; ++round) {
    std::string text = base;
    for (int hits = 1 + static_cast<int>(rng() % 12); hits > 0; --hits) {
      const size_t at = rng() % text.size();
      switch (rng() % 3) {
        case 0: text.erase(at, rng() % 12); break;
        case 1: text.insert(at, noise[rng() % std::size(noise)]); break;
        default: text.insert(at, text.substr(rng() % text.size(), rng() % 200)); break;
      }
      if (text.empty()) text = base;
    }
    RepairOptions o;
    o.removeComments = rng() % 2;
    o.removeDuplicates = rng() % 2;
    o.skipByText = rng() % 2;
    o.skipText = rng() % 3 ? "aborted" : "";
    const RepairResult r = RepairBpgn(text, o);
    if (text.size() < 10) continue;
    SCOPED_TRACE(round);
    ExpectNoGameLost(text, r);
  }
}
