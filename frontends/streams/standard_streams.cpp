#include "frontends/streams/standard_streams.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace {

void (*restoreScreen)() = nullptr;
// Set once output has failed: whatever the restoring still writes is dropped.
bool outputLost = false;

// Standard output has failed: the game stops here, as it is.
[[noreturn]] void stopForLostOutput(int error) {
  outputLost = true;
  if (restoreScreen != nullptr) restoreScreen();
  char message[160] = "tidewrack: the game's output could not be written: ";
  std::size_t length = std::strlen(message);
  const char* reason = std::strerror(error);
  while (*reason != '\0' && length < sizeof message - 2) message[length++] = *reason++;
  message[length++] = '\n';
#ifdef _WIN32
  (void)!::_write(2, message, static_cast<unsigned>(length));
#else
  (void)!::write(STDERR_FILENO, message, length);
#endif
  std::_Exit(OUTPUT_LOST_STATUS);
}

#ifndef _WIN32
// Standard input or output left non-blocking by whoever started the game:
// wait until it is ready rather than take it for the end.
bool waitUntilReady(int descriptor, short events) {
  if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
  pollfd ready{descriptor, events, 0};
  return ::poll(&ready, 1, -1) >= 0 || errno == EINTR;
}
#endif

}  // namespace

void whenOutputLost(void (*restore)()) { restoreScreen = restore; }

#ifdef _WIN32
// The C library's descriptors: standard input is switched to binary at
// start-up, so lines come in with their CR LF; output keeps text mode, so the
// screen gets the platform's line ends.
std::size_t readStandardInput(char* buffer, std::size_t capacity) {
  const unsigned chunk = capacity > 65536 ? 65536U : static_cast<unsigned>(capacity);
  for (;;) {
    int got = ::_read(0, buffer, chunk);
    if (got > 0) return static_cast<std::size_t>(got);
    if (got < 0 && errno == EINTR) continue;
    return 0;  // end of input, or input that can no longer be read
  }
}

void writeStandardOutput(const char* text, std::size_t length) {
  if (outputLost) return;
  while (length > 0) {
    const unsigned chunk = length > 65536 ? 65536U : static_cast<unsigned>(length);
    int wrote = ::_write(1, text, chunk);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) stopForLostOutput(wrote < 0 ? errno : EIO);
    text += wrote;
    length -= static_cast<std::size_t>(wrote);
  }
}
#else
std::size_t readStandardInput(char* buffer, std::size_t capacity) {
  for (;;) {
    ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
    if (got > 0) return static_cast<std::size_t>(got);
    if (got < 0 && (errno == EINTR || waitUntilReady(STDIN_FILENO, POLLIN))) continue;
    return 0;  // end of input, or input that can no longer be read
  }
}

void writeStandardOutput(const char* text, std::size_t length) {
  if (outputLost) return;
  while (length > 0) {
    ssize_t wrote = ::write(STDOUT_FILENO, text, length);
    if (wrote < 0 && (errno == EINTR || waitUntilReady(STDOUT_FILENO, POLLOUT))) continue;
    if (wrote <= 0) stopForLostOutput(wrote < 0 ? errno : EIO);
    text += wrote;
    length -= static_cast<std::size_t>(wrote);
  }
}
#endif
