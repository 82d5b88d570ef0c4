// Speed of the report: all games of a file of generated bughouse games are
// written into the viewer's report pane (a QTextEdit), with a diagram every
// eight lines, as "Show all games in RTF format" does. The aim is under 5
// seconds for 1,000 games on a pane on screen, growing linearly with the
// number of games (250 to 2,000); the hidden-pane and text-only runs show what
// the pane and its layout add.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTextDocument>
#include <QTextEdit>
#include <string>

#include "game/bpgn_file.h"
#include "tests/bench/bench_main.h"
#include "tests/bench/game_generator.h"
#include "tools/core/report_text.h"
#include "tools/report_pane.h"

namespace {

const std::string& FileText(int games) {
  static std::string text;
  static int made = 0;
  if (made != games) {
    text = benchgen::MakeCorpus(games, 20260102).text;
    made = games;
  }
  return text;
}

class CountingSink : public ReportSink {
 public:
  size_t bytes = 0;
  void SetFont(const std::string&, int) override {}
  void SetSize(int) override {}
  void ResetAttributes() override {}
  void AddLine(const std::string& line) override { bytes += line.size() + 1; }
};

void BM_ExportAllGamesToPane(benchmark::State& state) {
  const int games = static_cast<int>(state.range(0));
  CBpgn file = CBpgn::FromText(FileText(games), "bench.bpgn");
  file.GetGame(1);
  int blocks = 0;
  for (auto _ : state) {
    QTextEdit pane;
    {
      TextEditReportSink sink(&pane);
      WriteAllGamesRtf(sink, file, 8);
    }
    blocks = pane.document()->blockCount();
  }
  state.counters["games/s"] =
      benchmark::Counter(static_cast<double>(games) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["lines"] = blocks;
}
BENCHMARK(BM_ExportAllGamesToPane)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same into a pane on screen, until it is laid out and painted.
void BM_ExportAllGamesToShownPane(benchmark::State& state) {
  const int games = static_cast<int>(state.range(0));
  CBpgn file = CBpgn::FromText(FileText(games), "bench.bpgn");
  file.GetGame(1);
  for (auto _ : state) {
    QTextEdit pane;
    pane.resize(640, 480);
    pane.show();
    QApplication::processEvents();
    {
      TextEditReportSink sink(&pane);
      WriteAllGamesRtf(sink, file, 8);
    }
    pane.repaint();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_ExportAllGamesToShownPane)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ExportAllGamesText(benchmark::State& state) {
  const int games = static_cast<int>(state.range(0));
  CBpgn file = CBpgn::FromText(FileText(games), "bench.bpgn");
  file.GetGame(1);
  for (auto _ : state) {
    CountingSink sink;
    WriteAllGamesRtf(sink, file, 8);
    benchmark::DoNotOptimize(sink.bytes);
  }
}
BENCHMARK(BM_ExportAllGamesText)->Arg(1000)->Unit(benchmark::kMillisecond);

// The finished report saved as RTF bytes.
void BM_ReportToRtf(benchmark::State& state) {
  CBpgn file = CBpgn::FromText(FileText(1000), "bench.bpgn");
  file.GetGame(1);
  QTextEdit pane;
  {
    TextEditReportSink sink(&pane);
    WriteAllGamesRtf(sink, file, 8);
  }
  size_t bytes = 0;
  for (auto _ : state) bytes = DocumentToRtf(*pane.document()).size();
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ReportToRtf)->Unit(benchmark::kMillisecond)->Iterations(1);

void MakeApplication(int& argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Left to the end of the program: Qt must not be torn down among the statics.
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}
const bool kApplicationMade = bench::AddSetUp(MakeApplication);

}  // namespace
