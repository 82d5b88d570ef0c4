// kestroprobe replay FILE | legal FILE | repair IN GOOD BAD: see devtools/probe.h;
// kestroprobe serve PORT SECONDS: see devtools/probe_serve.h;
// kestroprobe selfplay SEATS PLIES: see devtools/probe_selfplay.h.
#include <iostream>

#include "devtools/probe.h"
#ifdef KESTRO_PROBE_SERVE
#include "devtools/probe_selfplay.h"
#include "devtools/probe_serve.h"
#endif

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  int status = 0;
  if (!args.empty() && (args[0] == "serve" || args[0] == "selfplay")) {
#ifdef KESTRO_PROBE_SERVE
    status = args[0] == "serve" ? RunServe(argc, argv, args, std::cout, std::cerr)
                                : RunSelfplay(argc, argv, args, std::cout, std::cerr);
#else
    std::cerr << "kestroprobe: " << args[0] << " needs the program's windows (this build has none)\n";
    return 2;
#endif
  } else {
    status = RunProbe(args, std::cout, std::cerr);
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "kestroprobe: cannot write the report\n";
    return 1;
  }
  return status;
}
