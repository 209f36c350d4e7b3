// Runs one scripted play session and reports every unmet expectation.
#include <cstdio>

#include "tests/harness.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: play_script FILE.play\n");
    return 2;
  }
  std::vector<std::string> failures = runPlayScript(argv[1]);
  for (const std::string& failure : failures) std::fprintf(stderr, "%s\n", failure.c_str());
  return failures.empty() ? 0 : 1;
}
