// What both platforms' files share: reading a whole file without waiting on
// it, and the fresh names a save writes its new file under.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "console/console.hpp"
#include "disk/disk_calls.hpp"
#include "disk/disk_files.hpp"

namespace disk {

bool writeAll(int file, const char* bytes, std::size_t length) {
  while (length > 0) {
    const long wrote = writeBytes(file, bytes, length);
    if (wrote <= 0) return false;
    bytes += wrote;
    length -= static_cast<std::size_t>(wrote);
  }
  return true;
}

namespace {

bool isLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

void randomLetters(char* into) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char noise[RANDOM_LETTERS] = {};
  if (!systemNoise(noise, sizeof noise)) {
    // No randomness from the system: the moment and where this runs, stirred.
    auto mix =
        momentNoise() ^ static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&noise));
    for (unsigned char& byte : noise) {
      mix ^= mix >> 29;
      mix *= 0xBF58476D1CE4E5B9ULL;
      byte = static_cast<unsigned char>(mix >> 56);
    }
  }
  for (int at = 0; at < RANDOM_LETTERS; ++at) into[at] = letters[noise[at] % 62];
}

}  // namespace

bool makeFreshName(const char* name, char* fresh, std::size_t capacity) {
  char random[RANDOM_LETTERS + 1] = {};
  randomLetters(random);
  const int made = std::snprintf(fresh, capacity, "%s.%s.new", name, random);
  return made > 0 && static_cast<std::size_t>(made) < capacity;
}

bool isLeftoverOf(const char* name, const char* entry) {
  const std::size_t nameLength = std::strlen(name);
  const std::size_t length = std::strlen(entry);
  if (length < nameLength + 6 || std::strncmp(entry, name, nameLength) != 0) return false;
  if (entry[nameLength] != '.' || std::strcmp(entry + length - 4, ".new") != 0) return false;
  const std::size_t middle = length - nameLength - 5;
  if (middle < 1 || middle > RANDOM_LETTERS) return false;
  for (std::size_t at = nameLength + 1; at < length - 4; ++at) {
    if (!isLetterOrDigit(entry[at])) return false;
  }
  return true;
}

}  // namespace disk

using namespace disk;

long readDiskFile(const char* name, char* buffer, std::size_t capacity) {
  const int file = openForReading(name);
  if (file < 0) return errno == ENOENT ? FILE_MISSING : FILE_UNREADABLE;
  if (!isPlainFile(file)) {
    closeFile(file);
    return FILE_UNREADABLE;
  }
  std::size_t length = 0;
  long result = 0;
  for (;;) {
    char spare = 0;
    // Once the buffer is full, one byte more tells a file that fits from
    // one that does not, without reading the rest of it.
    char* into = length < capacity ? buffer + length : &spare;
    const long got = readBytes(file, into, length < capacity ? capacity - length : 1);
    if (got < 0) {
      result = FILE_UNREADABLE;
      break;
    }
    if (got == 0) {
      result = static_cast<long>(length);
      break;
    }
    if (length == capacity) {
      result = FILE_TOO_LARGE;
      break;
    }
    length += static_cast<std::size_t>(got);
  }
  closeFile(file);
  return result;
}
