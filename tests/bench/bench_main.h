#pragma once
// The benchmarks' shared entry point (bench_main.cpp). A program registers
// what must run before its timings and reports wrong results found while
// timing; either makes the program end with exit code 1.
namespace bench {

// Runs before the benchmarks are read from the command line (a program that
// needs a QApplication makes it here).
bool AddSetUp(void (*setUp)(int& argc, char** argv));
// Runs before the timings; a false result ends the program with 1 unrun.
bool AddCheck(bool (*check)());
// A benchmark found a wrong result: the program still finishes, then ends with 1.
void Fail();

}  // namespace bench
