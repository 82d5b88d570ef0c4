// The engine timer's tick in the play window with four live engines: Debian's
// sjeng on every seat of a server window without clients, playing a bughouse
// game. A tick reads what the engines have written and never waits for one,
// so its median stays far below a millisecond; the engines' own thinking
// costs the window nothing between ticks.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

#include "display/board_display.h"
#include "play/engine_control.h"
#include "play/net_session.h"
#include "play/play_window.h"
#include "tests/bench/bench_main.h"

namespace {

constexpr const char* kSjeng = "/usr/games/sjeng";

double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

void BM_EngineTickWithFourEngines(benchmark::State& state) {
  if (!QFile::exists(kSjeng)) {
    state.SkipWithError("sjeng is not installed");
    return;
  }
  QTemporaryDir home;
  auto window = std::make_unique<TfrmKestrovane>();
  TfrmKestrovane& w = *window;
  w.resize(1300, 800);
  auto* session = dynamic_cast<NetSession*>(&w.Net());
  auto* control = dynamic_cast<EngineControl*>(&w.Engines());
  if (!session || !control || !session->StartServerOn(0)) {
    state.SkipWithError("the server did not start");
    bench::Fail();
    return;
  }
  // Engines on a new account, as on a fresh machine.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("HOME", home.path());
  environment.insert("LD_PRELOAD", QCoreApplication::applicationDirPath() + "/libfake_home.so");
  control->SetEngineEnvironment(environment);
  w.btnLoginClick();
  for (int seat = 0; seat < 4; ++seat) session->TakeRole(seat);
  for (int seat = 0; seat < 4; ++seat) control->GiveSeatEngine(seat, EngineControl::kSjeng, kSjeng);
  w.StartGameMenuClick(0);
  w.timerXBoardEngine->stop();  // the benchmark ticks by itself

  std::vector<double> ticks;
  double idleCpuMs = 0, idleMs = 0;
  for (auto _ : state) {
    // Between ticks the window only runs its event loop.
    const double cpu0 = ProcessCpuMs();
    QElapsedTimer idle;
    idle.start();
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
    idleCpuMs += ProcessCpuMs() - cpu0;
    idleMs += static_cast<double>(idle.elapsed());
    const auto start = std::chrono::steady_clock::now();
    w.timerXBoardEngineTimer();
    ticks.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(ticks.begin(), ticks.end());
  state.counters["median_tick_us"] = ticks[ticks.size() / 2];
  state.counters["worst_tick_us"] = ticks.back();
  state.counters["window_cpu_between_ticks_pct"] = idleMs > 0 ? 100.0 * idleCpuMs / idleMs : 0;
  state.counters["plies"] = w.Game() ? w.Game()->MoveCount : 0;
  control->DeleteAgents();
}
BENCHMARK(BM_EngineTickWithFourEngines)->Iterations(200)->Unit(benchmark::kMicrosecond);

void MakeApplication(int& argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Left to the end of the program: Qt must not be torn down among the statics.
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  InstallGameDisplayFactory();
}
const bool kApplicationMade = bench::AddSetUp(MakeApplication);

}  // namespace
