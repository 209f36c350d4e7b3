// The player's files on disk, in the folder the game was started in: the
// desktop editions' readFile and replaceFile (see FrontEnd).
#pragma once
#include <cstddef>

// Reads the whole file without ever waiting on it (a pipe or a device in its
// place is not a file) and without reading past capacity bytes: a larger
// file is FILE_TOO_LARGE however large it is.
long readDiskFile(const char* name, char* buffer, std::size_t capacity);

// Writes the bytes beside the file, puts them on the disk, and only then
// moves them into the file's place in one step. False, with the old file
// untouched and nothing new left behind, when any of it fails.
bool replaceDiskFile(const char* name, const char* bytes, std::size_t length);
