// Helpers shared by the tests: what the library writes, read back at the
// file-descriptor level, and the line a given bar should produce.
#ifndef TAVIK_TESTS_CAPTURE_H
#define TAVIK_TESTS_CAPTURE_H

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#  ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#  endif
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <fcntl.h>
#  include <io.h>
#  include <windows.h>
#else
#  include <unistd.h>
#endif

namespace tavik_test {

// Stops the whole test program: a test that cannot capture cannot judge.
inline void require(bool succeeded, const char* what) {
  if (!succeeded) {
    std::fprintf(stderr, "capture_stdout: %s failed\n", what);
    std::abort();
  }
}

// A read-write scratch file, removed when closed.
inline std::FILE* open_scratch_file() {
#ifdef _WIN32
  // Not tmpfile(): Microsoft's C run-times create its file in the root of the
  // current drive, which an ordinary account may not write to.
  char folder[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  require(length != 0 && length < sizeof folder, "GetTempPathA");
  char path[MAX_PATH];
  require(GetTempFileNameA(folder, "tvk", 0, path) != 0, "GetTempFileNameA");
  std::FILE* file = std::fopen(path, "w+bD");  // D: deleted when closed
#else
  std::FILE* file = std::tmpfile();
#endif
  require(file != nullptr, "opening a scratch file");
  return file;
}

// Runs `body` with file descriptor 1 redirected into a scratch file and
// returns every byte that reached the descriptor. It deliberately does not
// flush stdout afterwards: bytes the library left in the buffer are missing.
template <class Body>
std::string capture_stdout(Body&& body) {
  std::fflush(stdout);
  std::FILE* sink = open_scratch_file();
  const int saved_stdout = dup(1);
  require(saved_stdout >= 0, "dup of descriptor 1");
  require(dup2(fileno(sink), 1) >= 0, "dup2 of the scratch file onto descriptor 1");
#ifdef _WIN32
  // Keep descriptor 1 in text mode, as a console program's stdout is, so that
  // any newline translation by the C run-time would show in the bytes.
  require(_setmode(1, _O_TEXT) != -1, "_setmode of descriptor 1");
#endif
  body();
  require(dup2(saved_stdout, 1) >= 0, "dup2 restoring descriptor 1");
  require(close(saved_stdout) == 0, "close of the saved descriptor");

  std::string bytes;
  require(std::fseek(sink, 0, SEEK_SET) == 0, "seeking to the start of the scratch file");
  char chunk[65536];
  // Until a short read: at the end of the file, or on an error.
  for (std::size_t got = sizeof chunk; got == sizeof chunk;) {
    got = std::fread(chunk, 1, sizeof chunk, sink);
    bytes.append(chunk, got);
  }
  require(!std::ferror(sink), "reading the scratch file");
  require(std::fclose(sink) == 0, "closing the scratch file");
  return bytes;
}

// The exact bytes of one call: "[", the filled cells, the head, the blanks,
// the closing text and the carriage return.
inline std::string bar_line(std::size_t filled, std::size_t blanks, const std::string& percentage) {
  return "[" + std::string(filled, '=') + ">" + std::string(blanks, ' ') + "] " + percentage + "%\r";
}

}  // namespace tavik_test

#endif  // TAVIK_TESTS_CAPTURE_H
