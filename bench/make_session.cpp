// Writes the long session for the measurements to standard output:
//   make_session [COMMANDS] [SEED]     (100000 and 1 when left out)
// A count of commands and games goes to standard error.
#include <cstdio>
#include <cstdlib>

#include "bench/session_maker.hpp"

int main(int argc, char** argv) {
  long commands = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100000;
  auto seed = static_cast<std::uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1);
  if (commands <= 0) {
    std::fprintf(stderr, "usage: make_session [COMMANDS] [SEED]\n");
    return 2;
  }
  MadeSession made = makeSession(commands, seed);
  std::fwrite(made.input.data(), 1, made.input.size(), stdout);
  std::fprintf(stderr, "%ld commands in %ld games, %zu bytes\n", made.commands, made.games,
               made.input.size());
  return 0;
}
