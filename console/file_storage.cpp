#include "console/file_storage.hpp"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "console/console.hpp"

namespace {

// ---- The few file operations the player's files need, on each platform.
// Files are read and written as bytes.

#ifdef _WIN32

int openForReading(const char* name) { return ::_open(name, _O_RDONLY | _O_BINARY); }

bool isPlainFile(int file) {
  struct _stat facts {};
  return ::_fstat(file, &facts) == 0 && (facts.st_mode & _S_IFMT) == _S_IFREG;
}

long readBytes(int file, char* buffer, std::size_t capacity) {
  return ::_read(file, buffer, static_cast<unsigned>(capacity));
}

int createNewFile(const char* name) {
  return ::_open(name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

long writeBytes(int file, const char* bytes, std::size_t length) {
  return ::_write(file, bytes, static_cast<unsigned>(length));
}

// The file's attributes stay Windows' own business.
bool takeOverPermissions(int, const char*) { return true; }
bool putOnDisk(int file) { return ::_commit(file) == 0; }
bool closeFile(int file) { return ::_close(file) == 0; }
void removeFile(const char* name) { ::_unlink(name); }
long processNumber() { return static_cast<long>(::_getpid()); }

bool moveOver(const char* fresh, const char* target) {
  return ::MoveFileExA(fresh, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

#else

// Without waiting for a writer, should the file be a pipe.
int openForReading(const char* name) { return ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC); }

bool isPlainFile(int file) {
  struct stat facts {};
  return ::fstat(file, &facts) == 0 && S_ISREG(facts.st_mode);
}

long readBytes(int file, char* buffer, std::size_t capacity) {
  ssize_t got = 0;
  do {
    got = ::read(file, buffer, capacity);
  } while (got < 0 && errno == EINTR);
  return static_cast<long>(got);
}

int createNewFile(const char* name) {
  return ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

long writeBytes(int file, const char* bytes, std::size_t length) {
  ssize_t wrote = 0;
  do {
    wrote = ::write(file, bytes, length);
  } while (wrote < 0 && errno == EINTR);
  return static_cast<long>(wrote);
}

// A new file keeps the permissions of the one it replaces, read-only
// included; a first one has those of any new file.
bool takeOverPermissions(int file, const char* target) {
  struct stat old {};
  if (::stat(target, &old) != 0 || !S_ISREG(old.st_mode)) return true;
  return ::fchmod(file, old.st_mode & 0777) == 0;
}

bool putOnDisk(int file) { return ::fsync(file) == 0; }
bool closeFile(int file) { return ::close(file) == 0; }
void removeFile(const char* name) { ::unlink(name); }
long processNumber() { return static_cast<long>(::getpid()); }

bool moveOver(const char* fresh, const char* target) {
  if (::rename(fresh, target) != 0) return false;
  // Put the new name on the disk too. The file has been replaced either way.
  const int folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

#endif

bool writeAll(int file, const char* bytes, std::size_t length) {
  while (length > 0) {
    const long wrote = writeBytes(file, bytes, length);
    if (wrote <= 0) return false;
    bytes += wrote;
    length -= static_cast<std::size_t>(wrote);
  }
  return true;
}

}  // namespace

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

bool replaceDiskFile(const char* name, const char* bytes, std::size_t length) {
  char fresh[4096];
  const int made = std::snprintf(fresh, sizeof fresh, "%s.%ld.new", name, processNumber());
  if (made < 0 || static_cast<std::size_t>(made) >= sizeof fresh) return false;
  int file = createNewFile(fresh);
  if (file < 0 && errno == EEXIST) {
    // Left behind by a game that stopped while saving, under this number.
    removeFile(fresh);
    file = createNewFile(fresh);
  }
  if (file < 0) return false;
  bool written =
      writeAll(file, bytes, length) && takeOverPermissions(file, name) && putOnDisk(file);
  if (!closeFile(file)) written = false;
  if (written && moveOver(fresh, name)) return true;
  removeFile(fresh);
  return false;
}
