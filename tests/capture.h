// Helpers shared by the tests: what the library writes, read back at the
// file-descriptor level, and the line a given bar should produce.
#ifndef TAVIK_TESTS_CAPTURE_H
#define TAVIK_TESTS_CAPTURE_H

#include <cstdio>
#include <string>

#ifdef _WIN32
#  include <fcntl.h>
#  include <io.h>
#else
#  include <unistd.h>
#endif

namespace tavik_test {

// Runs `body` with file descriptor 1 redirected into a temporary file and
// returns every byte that reached the descriptor. It deliberately does not
// flush stdout afterwards: bytes the library left in the buffer are missing.
template <class Body>
std::string capture_stdout(Body&& body) {
  std::fflush(stdout);
  std::FILE* sink = std::tmpfile();
  const int saved_stdout = dup(1);
  dup2(fileno(sink), 1);
#ifdef _WIN32
  // Keep descriptor 1 in text mode, as a console program's stdout is, so that
  // any newline translation by the C run-time would show in the bytes.
  _setmode(1, _O_TEXT);
#endif
  body();
  dup2(saved_stdout, 1);
  close(saved_stdout);

  std::string bytes;
  std::rewind(sink);
  char chunk[65536];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, sink)) != 0;) {
    bytes.append(chunk, got);
  }
  std::fclose(sink);
  return bytes;
}

// The exact bytes of one call: "[", the filled cells, the head, the blanks,
// the closing text and the carriage return.
inline std::string bar_line(std::size_t filled, std::size_t blanks, const std::string& percentage) {
  return "[" + std::string(filled, '=') + ">" + std::string(blanks, ' ') + "] " + percentage + "%\r";
}

}  // namespace tavik_test

#endif  // TAVIK_TESTS_CAPTURE_H
