#include "tests/bench/bench_main.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace bench {
namespace {

struct Hooks {
  std::vector<void (*)(int&, char**)> setUps;
  std::vector<bool (*)()> checks;
  bool failed = false;
};

Hooks& TheHooks() {
  static Hooks hooks;
  return hooks;
}

}  // namespace

bool AddSetUp(void (*setUp)(int& argc, char** argv)) {
  TheHooks().setUps.push_back(setUp);
  return true;
}

bool AddCheck(bool (*check)()) {
  TheHooks().checks.push_back(check);
  return true;
}

void Fail() { TheHooks().failed = true; }

}  // namespace bench

int main(int argc, char** argv) {
  bench::Hooks& hooks = bench::TheHooks();
  for (auto* setUp : hooks.setUps) setUp(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  for (auto* check : hooks.checks)
    if (!check()) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return hooks.failed ? 1 : 0;
}
