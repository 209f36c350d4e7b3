// The player's files on Windows.
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// After windows.h, which it needs.
#include <ntsecapi.h>

#include "console/console.hpp"
#include "disk/disk_calls.hpp"
#include "disk/disk_files.hpp"

namespace disk {

int openForReading(const char* name) { return ::_open(name, _O_RDONLY | _O_BINARY); }

bool isPlainFile(int file) {
  struct _stat facts {};
  return ::_fstat(file, &facts) == 0 && (facts.st_mode & _S_IFMT) == _S_IFREG;
}

long readBytes(int file, char* buffer, std::size_t capacity) {
  return ::_read(file, buffer, static_cast<unsigned>(capacity));
}

long writeBytes(int file, const char* bytes, std::size_t length) {
  return ::_write(file, bytes, static_cast<unsigned>(length));
}

bool putOnDisk(int file) { return ::_commit(file) == 0; }
bool closeFile(int file) { return ::_close(file) == 0; }

bool systemNoise(unsigned char* noise, std::size_t length) {
  return ::RtlGenRandom(noise, static_cast<ULONG>(length)) != FALSE;
}

unsigned long long momentNoise() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER counter{};
  ::QueryPerformanceCounter(&counter);
  return ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) ^
         static_cast<unsigned long long>(counter.QuadPart) * 0x9E3779B97F4A7C15ULL ^
         ::GetCurrentProcessId();
}

}  // namespace disk

using namespace disk;

// ---- Replacing a file, on Windows: the new file is written under a fresh
// name beside the old one, put on the disk and moved over it in one step. A
// game stopped before the move leaves that file behind; every later save
// removes files of that form that are more than a minute old.

namespace {

int createNewFile(const char* name) {
  return ::_open(name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

// The file's attributes stay Windows' own business.
bool takeOverPermissions(int, const char*) { return true; }
void removeFile(const char* name) { ::_unlink(name); }

bool moveOver(const char* fresh, const char* target) {
  return ::MoveFileExA(fresh, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void removeLeftovers(const char* name) {
  char pattern[4096];
  const int made = std::snprintf(pattern, sizeof pattern, "%s.*.new", name);
  if (made < 0 || static_cast<std::size_t>(made) >= sizeof pattern) return;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  auto ticks = [](const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  do {
    const unsigned long long written = ticks(found.ftLastWriteTime);
    // Windows counts file times in tenths of a microsecond.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        isLeftoverOf(name, found.cFileName) && ticks(now) > written &&
        ticks(now) - written > static_cast<unsigned long long>(LEFTOVER_SECONDS) * 10000000ULL) {
      ::DeleteFileA(found.cFileName);
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
}

}  // namespace

bool replaceDiskFile(const char* name, const char* bytes, std::size_t length) {
  removeLeftovers(name);
  char fresh[4096];
  int file = -1;
  for (int tries = 0; tries < 4 && file < 0; ++tries) {
    if (!makeFreshName(name, fresh, sizeof fresh)) return false;
    file = createNewFile(fresh);
    if (file < 0 && errno != EEXIST) return false;
  }
  if (file < 0) return false;
  bool written =
      writeAll(file, bytes, length) && takeOverPermissions(file, name) && putOnDisk(file);
  if (!closeFile(file)) written = false;
  if (written && moveOver(fresh, name)) return true;
  removeFile(fresh);
  return false;
}
