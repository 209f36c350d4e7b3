// The calls that the player's files are made of, each platform's own
// (disk_files_posix.cpp, disk_files_windows.cpp), and the pieces that both
// platforms share (disk_files.cpp): files are read and written as bytes.
#pragma once
#include <cstddef>

namespace disk {

// ---- Each platform's own.
int openForReading(const char* name);
bool isPlainFile(int file);
long readBytes(int file, char* buffer, std::size_t capacity);
long writeBytes(int file, const char* bytes, std::size_t length);
bool putOnDisk(int file);
bool closeFile(int file);
// True when the system filled noise with random bytes.
bool systemNoise(unsigned char* noise, std::size_t length);
// Something that changes from one moment and one process to the next, for
// when the system has no randomness to give.
unsigned long long momentNoise();

// ---- Shared.
bool writeAll(int file, const char* bytes, std::size_t length);

// Names for a new file beside the one it replaces: the file's own name with
// twelve random letters and digits and ".new" after it, so that nobody can
// know it beforehand and put a file of their own there first.
inline constexpr int RANDOM_LETTERS = 12;
// A file of that form younger than this may be another game's save under way.
inline constexpr long long LEFTOVER_SECONDS = 60;
// "<name>.<random>.new" into fresh.
bool makeFreshName(const char* name, char* fresh, std::size_t capacity);
// True for "<name>.<1 to 12 letters or digits>.new": a file a save of this
// name left behind (this game's earlier saves put a process number there).
bool isLeftoverOf(const char* name, const char* entry);

}  // namespace disk
