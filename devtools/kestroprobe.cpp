// kestroprobe replay FILE | legal FILE | repair IN GOOD BAD: see devtools/probe.h.
#include <iostream>

#include "devtools/probe.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = RunProbe(args, std::cout, std::cerr);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "kestroprobe: cannot write the report\n";
    return 1;
  }
  return status;
}
