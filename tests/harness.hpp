// Runs the whole game in-process through the pipe front end, with scripted
// input, captured output and a fixed clock.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Session {
  std::string output;
  int status = 0;
};

// Plays a whole program run on this input and returns everything printed.
Session playSession(const std::string& input, std::uint32_t clock = 1000);

// Plays a scripted session from a .play file (format in tests/scripts/README.md)
// and returns one message per unmet expectation; empty when all were met.
std::vector<std::string> runPlayScript(const std::string& path);
std::vector<std::string> runPlayScriptText(const std::string& text, const std::string& name);

// Plays the lines a .play file types, with its clock, and none of its checks.
Session playScriptInput(const std::string& path);

// Splits captured output into lines, dropping the form feeds that stand for
// cleared screens.
std::vector<std::string> screenLines(const std::string& output);
