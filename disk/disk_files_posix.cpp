// The player's files on POSIX systems (and in the web edition's file
// system, which behaves like one).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "console/console.hpp"
#include "disk/disk_calls.hpp"
#include "disk/disk_files.hpp"

namespace disk {

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

long writeBytes(int file, const char* bytes, std::size_t length) {
  ssize_t wrote = 0;
  do {
    wrote = ::write(file, bytes, length);
  } while (wrote < 0 && errno == EINTR);
  return static_cast<long>(wrote);
}

bool putOnDisk(int file) { return ::fsync(file) == 0; }
bool closeFile(int file) { return ::close(file) == 0; }

#ifdef __EMSCRIPTEN__
// The randomness of the browser, or of Node.
bool systemNoise(unsigned char* noise, std::size_t length) {
  return ::getentropy(noise, length) == 0;
}
#else
bool systemNoise(unsigned char* noise, std::size_t length) {
  return ::getrandom(noise, length, GRND_NONBLOCK) == static_cast<ssize_t>(length);
}
#endif

unsigned long long momentNoise() {
  timespec monotonic{};
  timespec wall{};
  ::clock_gettime(CLOCK_MONOTONIC, &monotonic);
  ::clock_gettime(CLOCK_REALTIME, &wall);
  return (static_cast<unsigned long long>(monotonic.tv_sec) * 1000000000ULL +
          static_cast<unsigned long long>(monotonic.tv_nsec)) ^
         (static_cast<unsigned long long>(wall.tv_sec) * 1000000000ULL +
          static_cast<unsigned long long>(wall.tv_nsec)) *
             0x9E3779B97F4A7C15ULL ^
         static_cast<unsigned long long>(::getpid());
}

}  // namespace disk

using namespace disk;

// ---- Replacing a file, on POSIX systems.
//
// The new file is made without a name in the folder of the file it replaces
// (O_TMPFILE), written, put on the disk and read back, and only then named
// beside that file and moved over it in one step. So a game stopped while it
// writes leaves nothing behind. Where the file system cannot make a nameless
// file, it is written under its fresh name from the start. A game stopped
// between the naming and the move leaves that file behind; every later save
// in the folder removes this player's files of that form that are more than
// a minute old.

namespace {

constexpr int MOST_LINKS = 8;
constexpr std::size_t PATH_CAPACITY = 4096;

// A file's place: an open folder and the name in it.
struct Place {
  int folder = -1;
  const char* name = nullptr;
};

void removeLeftovers(const Place& place) {
  const int listing = ::openat(place.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return;
  DIR* entries = ::fdopendir(listing);
  if (entries == nullptr) {
    ::close(listing);
    return;
  }
  const time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(entries)) {
    if (!isLeftoverOf(place.name, entry->d_name)) continue;
    struct stat facts {};
    if (::fstatat(place.folder, entry->d_name, &facts, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(facts.st_mode) || facts.st_uid != ::geteuid()) continue;
    if (now - facts.st_mtime <= LEFTOVER_SECONDS) continue;
    ::unlinkat(place.folder, entry->d_name, 0);
  }
  ::closedir(entries);
}

// Where the bytes go: the file of that name, or, when it is a symbolic link
// of this player's, the file it points to (through at most MOST_LINKS
// links), so that the link stays a link. A link of somebody else's is never
// followed: it is replaced like a file, where the folder allows.
bool findPlace(const char* name, char* path, Place& place) {
  if (std::snprintf(path, PATH_CAPACITY, "%s", name) >= static_cast<int>(PATH_CAPACITY)) {
    return false;
  }
  for (int links = 0;; ++links) {
    struct stat facts {};
    if (::lstat(path, &facts) != 0) {
      if (errno != ENOENT) return false;
      break;  // a first save, or a link to a file not made yet
    }
    if (!S_ISLNK(facts.st_mode) || facts.st_uid != ::geteuid()) break;
    if (links == MOST_LINKS) return false;
    char target[PATH_CAPACITY];
    const ssize_t length = ::readlink(path, target, sizeof target - 1);
    if (length <= 0) return false;
    target[length] = '\0';
    // A relative link starts from the link's own folder.
    const char* slash = std::strrchr(path, '/');
    if (target[0] != '/' && slash != nullptr) {
      const int folderLength = static_cast<int>(slash - path) + 1;
      char joined[PATH_CAPACITY];
      const int made = std::snprintf(joined, sizeof joined, "%.*s%s", folderLength, path, target);
      if (made < 0 || made >= static_cast<int>(sizeof joined)) return false;
      std::memcpy(path, joined, static_cast<std::size_t>(made) + 1);
    } else {
      std::memcpy(path, target, static_cast<std::size_t>(length) + 1);
    }
  }
  char* slash = std::strrchr(path, '/');
  const char* folderName = ".";
  place.name = path;
  if (slash != nullptr) {
    *slash = '\0';
    folderName = slash == path ? "/" : path;
    place.name = slash + 1;
  }
  if (place.name[0] == '\0') return false;
  place.folder = ::open(folderName, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A folder the player may write in but not list.
  if (place.folder < 0) place.folder = ::open(folderName, O_PATH | O_DIRECTORY | O_CLOEXEC);
  return place.folder >= 0;
}

// The new file keeps the group and the permissions of the file it replaces,
// as far as the player may give them, and the player may always read it.
bool takeOverOwnership(int file, const Place& place) {
  struct stat fresh {};
  if (::fstat(file, &fresh) != 0) return false;
  mode_t mode = fresh.st_mode & 0777;
  struct stat old {};
  if (::fstatat(place.folder, place.name, &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode)) {
    if (old.st_gid != fresh.st_gid) (void)::fchown(file, static_cast<uid_t>(-1), old.st_gid);
    mode = old.st_mode & 0777;
  }
  mode |= S_IRUSR;
  return mode == (fresh.st_mode & 07777) || ::fchmod(file, mode) == 0;
}

bool fillFile(int file, const Place& place, const char* bytes, std::size_t length) {
  return writeAll(file, bytes, length) && takeOverOwnership(file, place) && putOnDisk(file);
}

// True when the player can open the file anew and it holds these bytes.
bool readsBack(int folder, const char* name, int follow, const char* bytes, std::size_t length) {
  const int file = ::openat(folder, name, O_RDONLY | follow | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) return false;
  bool same = true;
  char chunk[1024];
  std::size_t at = 0;
  for (;;) {
    const long got = readBytes(file, chunk, sizeof chunk);
    if (got < 0 || static_cast<std::size_t>(got) > length - at ||
        std::memcmp(chunk, bytes + at, static_cast<std::size_t>(got)) != 0) {
      same = false;
      break;
    }
    if (got == 0) break;
    at += static_cast<std::size_t>(got);
  }
  ::close(file);
  return same && at == length;
}

// A nameless file, written and on the disk, given a fresh name. NAMED;
// FAILED, with nothing left behind; or NO_NAMELESS_FILES, where this system
// or file system cannot make or name such a file.
enum class Nameless { NAMED, FAILED, NO_NAMELESS_FILES };

Nameless writeNameless(const Place& place, const char* bytes, std::size_t length, char* fresh,
                       std::size_t capacity) {
  if (::access("/proc/self/fd", X_OK) != 0) return Nameless::NO_NAMELESS_FILES;
  const int file = ::openat(place.folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (file < 0) return Nameless::NO_NAMELESS_FILES;
  Nameless result = Nameless::FAILED;
  // Read back and named through the process's own view of its open files,
  // which opens the file anew as the player.
  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", file);
  if (fillFile(file, place, bytes, length) && readsBack(AT_FDCWD, self, 0, bytes, length)) {
    for (int tries = 0; tries < 4; ++tries) {
      if (!makeFreshName(place.name, fresh, capacity)) break;
      if (::linkat(AT_FDCWD, self, place.folder, fresh, AT_SYMLINK_FOLLOW) == 0) {
        result = Nameless::NAMED;
        break;
      }
      if (errno != EEXIST) {
        result = Nameless::NO_NAMELESS_FILES;
        break;
      }
    }
  }
  ::close(file);
  return result;
}

// The same, written under its fresh name from the start.
bool writeNamed(const Place& place, const char* bytes, std::size_t length, char* fresh,
                std::size_t capacity) {
  int file = -1;
  for (int tries = 0; tries < 4 && file < 0; ++tries) {
    if (!makeFreshName(place.name, fresh, capacity)) return false;
    file =
        ::openat(place.folder, fresh, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (file < 0 && errno != EEXIST) return false;
  }
  if (file < 0) return false;
  bool written = fillFile(file, place, bytes, length);
  if (!closeFile(file)) written = false;
  written = written && readsBack(place.folder, fresh, O_NOFOLLOW, bytes, length);
  if (!written) ::unlinkat(place.folder, fresh, 0);
  return written;
}

}  // namespace

bool replaceDiskFile(const char* name, const char* bytes, std::size_t length) {
  char path[PATH_CAPACITY];
  Place place;
  if (!findPlace(name, path, place)) {
    if (place.folder >= 0) ::close(place.folder);
    return false;
  }
  removeLeftovers(place);
  char fresh[PATH_CAPACITY];
  const Nameless nameless = writeNameless(place, bytes, length, fresh, sizeof fresh);
  bool replaced =
      nameless == Nameless::NAMED || (nameless == Nameless::NO_NAMELESS_FILES &&
                                      writeNamed(place, bytes, length, fresh, sizeof fresh));
  if (replaced) {
    replaced = ::renameat(place.folder, fresh, place.folder, place.name) == 0;
    if (replaced) {
      // Put the new name on the disk too. The file has been replaced either way.
      ::fsync(place.folder);
    } else {
      ::unlinkat(place.folder, fresh, 0);
    }
  }
  ::close(place.folder);
  return replaced;
}
