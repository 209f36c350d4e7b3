// The game's texts as a pipe, the Windows console and the tests' own front
// end get them: a line end inside a paragraph is a plain line end there.
#pragma once
#include <algorithm>
#include <string>

#include "console/console.hpp"

inline std::string asPrinted(std::string text) {
  std::replace(text.begin(), text.end(), SOFT_LINE_END, '\n');
  return text;
}
