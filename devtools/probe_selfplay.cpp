#include "devtools/probe_selfplay.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QThread>
#include <memory>
#include <ostream>

#include "display/board_display.h"
#include "game/bytes.h"
#include "game/kestro_game.h"
#include "play/engine_control.h"
#include "play/net_session.h"
#include "play/play_window.h"
#include "play/record_pane.h"

namespace {

constexpr const char* kSjeng = "/usr/games/sjeng";
constexpr int kStallMs = 30000;
constexpr int kBoundMs = 600000;

struct SeatPlayer {
  int level = 0;     // the built-in player's level, or 0
  std::string path;  // an XBoard engine, or empty
};

// One seat word, or nothing when it names no player.
bool ReadSeat(const std::string& word, SeatPlayer& seat) {
  for (int level : {100, 500, 600, 700})
    if (word == "kvx" + std::to_string(level)) {
      seat.level = level;
      return true;
    }
  seat.path = word == "sjeng" ? kSjeng : word;
  const QFileInfo file(QString::fromStdString(seat.path));
  return file.isFile() && file.isExecutable();
}

bool BoardHasMove(CKestroGame& g, int board) {
  g.GenerateLegalMoves(g.Position);
  for (int i = 0; i < g.LegalMoveCount; ++i) {
    const int kind = g.LegalMoves[static_cast<size_t>(i)].kind;
    if ((kind == 1 || kind == 3 || kind == 4) == (board == 1)) return true;
  }
  return false;
}

}  // namespace

int RunSelfplay(int& argc, char** argv, const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  SeatPlayer seats[4];
  bool ok = args.size() == 6;
  for (int seat = 0; ok && seat < 4; ++seat) ok = ReadSeat(args[static_cast<size_t>(seat) + 1], seats[seat]);
  const int plies = ok ? bytes::ToIntDef(args[5], -1) : -1;
  if (!ok || plies < 1 || plies > 100000 || args[5].find_first_not_of("0123456789") != std::string::npos) {
    err << "usage: kestroprobe selfplay WHITEA BLACKA WHITEB BLACKB PLIES\n"
           "  each seat: kvx100, kvx500, kvx600, kvx700, sjeng or the path of an XBoard engine\n";
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  InstallGameDisplayFactory();
  auto window = std::make_unique<TfrmKestrovane>();
  TfrmKestrovane& w = *window;
  w.resize(1300, 800);
  w.show();
  auto* session = dynamic_cast<NetSession*>(&w.Net());
  auto* control = dynamic_cast<EngineControl*>(&w.Engines());
  if (!session || !control || !session->StartServerOn(0)) {
    err << "kestroprobe: the play window's server did not start\n";
    return 2;
  }
  w.btnLoginClick();
  for (int seat = 0; seat < 4; ++seat) session->TakeRole(seat);
  for (int seat = 0; seat < 4; ++seat) {
    if (seats[seat].level)
      control->GiveSeatBuiltIn(seat, seats[seat].level);
    else
      control->GiveSeatEngine(seat, EngineControl::kSjeng, seats[seat].path);
  }
  w.StartGameMenuClick(0);

  QElapsedTimer total, sinceMove[3];
  total.start();
  sinceMove[1].start();
  sinceMove[2].start();
  int played[3] = {0, 0, 0};
  std::string end = "time";
  int status = 0;
  while (total.elapsed() < kBoundMs) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
    CKestroGame* g = w.Game();
    if (!g) break;
    if (played[1] + played[2] >= plies) {
      end = "plies";
      break;
    }
    const QString chat = w.reNetGameLog->toPlainText();
    if (chat.contains(QStringLiteral(" is over: ")) || chat.contains(QStringLiteral(" resigns the game on board "))) {
      end = "over";
      break;
    }
    bool over = chat.contains(QStringLiteral("Checkmate !"));
    for (int board = 1; board <= 2; ++board) {
      const int now = board == 1 ? g->PliesA : g->PliesB;
      if (now != played[board]) {
        played[board] = now;
        sinceMove[board].restart();
      }
      if (!BoardHasMove(*g, board)) over = true;
    }
    if (over) {
      end = "mate";
      break;
    }
    for (int board = 1; board <= 2 && status == 0; ++board) {
      if (sinceMove[board].elapsed() < kStallMs) continue;
      const int side = board == 1 ? g->Position.sideToMoveA : g->Position.sideToMoveB;
      end = std::string("stalled ") + kSeatWords[SeatOf(board, side)];
      status = 1;
    }
    if (status) break;
  }
  const std::string& record = w.RecordPane().Text();
  out << "reBPGNGames " << record.size() << '\n';
  out.write(record.data(), static_cast<std::streamsize>(record.size()));
  out << '\n';
  // Moves made: those of the seat in the game's record.
  int made[4] = {0, 0, 0, 0};
  if (const CKestroGame* g = w.Game())
    for (int i = 0; i < g->MoveCount && i < static_cast<int>(g->Moves.size()); ++i) {
      const BpgnMove& m = g->Moves[static_cast<size_t>(i)];
      made[SeatOf(m.board, m.side) & 3] += 1;
    }
  for (int seat = 0; seat < 4; ++seat)
    out << "seat " << args[static_cast<size_t>(seat) + 1] << " moves " << made[seat] << " refused "
        << control->RefusedMoves[seat] << " resyncs " << control->Resyncs[seat] << '\n';
  out << "end " << end << '\n';
  out.flush();
  window.reset();
  return status;
}
