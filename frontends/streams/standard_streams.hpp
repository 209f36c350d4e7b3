// Standard input and output as a byte source and sink, for every front end
// that reads or writes them: the pipe, the terminal and the Windows console.
#pragma once
#include <cstddef>

std::size_t readStandardInput(char* buffer, std::size_t capacity);
// Output that can no longer be written (a closed pipe, a full disk, a screen
// that has gone) stops the program at once: the front end's own settings are
// put back (see whenOutputLost), one line goes to standard error, and the
// program exits with OUTPUT_LOST_STATUS. The game never goes on blind, and
// so never saves after its output has failed.
void writeStandardOutput(const char* text, std::size_t length);
inline constexpr int OUTPUT_LOST_STATUS = 1;
// What puts the screen back before the program stops for lost output.
void whenOutputLost(void (*restore)());
