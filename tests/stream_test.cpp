// How the line reaches stdout: one write per piece, one flush per call, in
// the host's buffering mode; failures ignored; concurrent callers lose nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#ifdef _WIN32
#  include <io.h>
#else
#  include <sys/time.h>
#  include <unistd.h>
#endif

#include "capture.h"
#include "tavik.h"

namespace {

using tavik_test::bar_line;
using tavik_test::capture_stdout;

#if TAVIK_TEST_RECORDS_WRITES  // glibc's fopencookie() records the writes
// A stand-in for stdout that records every write the C library makes, or fails it.
class RecordingStdout {
 public:
  explicit RecordingStdout(int buffering, std::size_t buffer_size = BUFSIZ) {
    cookie_io_functions_t io{};
    io.write = &RecordingStdout::record;
    stream_ = fopencookie(this, "w", io);
    // glibc sizes a buffer it allocates itself as it likes; this one is exact.
    setvbuf(stream_, buffering == _IONBF ? nullptr : buffer_, buffering, std::min(buffer_size, sizeof buffer_));
    host_stdout_ = stdout;
    stdout = stream_;
  }
  ~RecordingStdout() {
    stdout = host_stdout_;
    std::fclose(stream_);
  }
  RecordingStdout(const RecordingStdout&) = delete;
  RecordingStdout& operator=(const RecordingStdout&) = delete;

  std::vector<std::string> writes;  // every write attempted
  int fail_with = 0;                // when set, writes fail with this errno...
  std::size_t failures_from = 0;    // ...from this write on

 private:
  static ssize_t record(void* self, const char* data, std::size_t size) {
    auto* recorder = static_cast<RecordingStdout*>(self);
    recorder->writes.emplace_back(data, size);
    if (recorder->fail_with != 0 && recorder->writes.size() > recorder->failures_from) {
      errno = recorder->fail_with;
      return -1;
    }
    return static_cast<ssize_t>(size);
  }

  char buffer_[BUFSIZ];
  std::FILE* stream_;
  std::FILE* host_stdout_;
};

TEST(Stream, BufferedStdoutGetsOneFlushPerCallEndingTheLine) {
  for (const int buffering : {_IOFBF, _IOLBF}) {
    std::vector<std::string> writes;
    {
      RecordingStdout out(buffering);  // NOLINT(misc-const-correctness): its stream writes to it
      print_progress_bar(1, 2);
      print_progress_bar(3, 2);
      writes = out.writes;
    }
    const std::vector<std::string> expected = {bar_line(20, 20, "50"), bar_line(60, 0, "150")};
    EXPECT_EQ(writes, expected) << "buffering mode " << buffering;
  }
}

TEST(Stream, UnbufferedStdoutGetsEveryPieceAsItsOwnWrite) {
  std::vector<std::string> writes;
  {
    RecordingStdout out(_IONBF);  // NOLINT(misc-const-correctness): its stream writes to it
    print_progress_bar(1, 2);
    writes = out.writes;
  }
  std::vector<std::string> expected = {"["};
  expected.insert(expected.end(), 20, "=");
  expected.emplace_back(">");
  expected.insert(expected.end(), 20, " ");
  expected.emplace_back("] 50%");
  expected.emplace_back("\r");
  EXPECT_EQ(writes, expected);
}

TEST(Stream, LineLongerThanTheBufferArrivesWholeAndFlushed) {
  std::string arrived;
  std::string last_write;
  {
    RecordingStdout out(_IOFBF, 8);
    print_progress_bar(10, 1);
    ASSERT_FALSE(out.writes.empty());
    for (const std::string& write : out.writes) arrived += write;
    last_write = out.writes.back();
  }
  EXPECT_EQ(arrived, bar_line(400, 0, "1000"));
  EXPECT_EQ(last_write.back(), '\r');
}

// Failures from the first write, and from the middle of a line that spills
// out of a small buffer: the call returns, and what got out is the start of
// the line.
TEST(Stream, FailedWritesAndFlushesAreIgnored) {
  const std::string line = bar_line(400, 0, "1000");
  for (const int error : {EIO, ENOSPC, EPIPE, EINTR}) {
    for (const int buffering : {_IOFBF, _IOLBF, _IONBF}) {
      for (const std::size_t failures_from : {0u, 3u}) {
        std::vector<std::string> writes;
        {
          RecordingStdout out(buffering, 8);
          out.fail_with = error;
          out.failures_from = failures_from;
          print_progress_bar(10, 1);
          writes = out.writes;
        }
        SCOPED_TRACE("errno " + std::to_string(error) + ", buffering " + std::to_string(buffering) +
                     ", failing from write " + std::to_string(failures_from));
        ASSERT_GT(writes.size(), failures_from) << "the failing write was never attempted";
        std::string got_out;
        for (std::size_t i = 0; i < failures_from; ++i) got_out += writes[i];
        EXPECT_EQ(line.compare(0, got_out.size(), got_out), 0) << "not the start of the line: " << got_out;
      }
    }
  }
}
#endif  // TAVIK_TEST_RECORDS_WRITES

// A call leaves the descriptor table as it found it (on Windows each call
// duplicates descriptor 1 to ask its mode), so that a host that redraws
// thousands of times keeps descriptors for itself.
TEST(Stream, CallsLeaveNoDescriptorOpen) {
  int lowest_free_before = -1;
  int lowest_free_after = -1;
  capture_stdout([&] {
    lowest_free_before = dup(1);
    close(lowest_free_before);
    for (int i = 0; i < 100; ++i) print_progress_bar(1, 2);
    lowest_free_after = dup(1);
    close(lowest_free_after);
  });
  ASSERT_GE(lowest_free_before, 0);
  EXPECT_EQ(lowest_free_after, lowest_free_before);
}

void draw_a_few_lines() {
  print_progress_bar(1, 2);
  print_progress_bar(10, 1);
  print_progress_bar(0, 0);
}

void point_stdout_at(int descriptor) {
  if (descriptor < 0 || dup2(descriptor, 1) < 0) std::_Exit(3);
}

// Draws with stdout in one broken state after another, ending with the one
// that cannot be undone, and exits 0 if every call returned. It announces each
// state on stderr, so a crash names its culprit.
[[noreturn]] void draw_into_every_broken_stdout() {
#ifdef _WIN32
  std::fputs("stdout on NUL\n", stderr);
  point_stdout_at(open("NUL", _O_WRONLY));
#else
  std::fputs("stdout on /dev/full\n", stderr);
  point_stdout_at(open("/dev/full", O_WRONLY));
#endif
  draw_a_few_lines();

  std::fputs("stdout on a pipe with no reader\n", stderr);
  int ends[2];
#ifdef _WIN32
  if (_pipe(ends, 4096, _O_BINARY) != 0) std::_Exit(3);
#else
  std::signal(SIGPIPE, SIG_IGN);
  if (pipe(ends) != 0) std::_Exit(3);
#endif
  close(ends[0]);
  point_stdout_at(ends[1]);
  draw_a_few_lines();

#ifndef _WIN32
  std::fputs("a signal interrupting a write blocked on a full pipe\n", stderr);
  int full[2];
  if (pipe(full) != 0) std::_Exit(3);
  fcntl(full[1], F_SETFL, O_NONBLOCK);
  while (write(full[1], "x", 1) == 1) {
  }
  fcntl(full[1], F_SETFL, 0);
  point_stdout_at(full[1]);
  struct sigaction on_alarm = {};
  on_alarm.sa_handler = [](int) {};  // no SA_RESTART: the blocked write fails with EINTR
  sigaction(SIGALRM, &on_alarm, nullptr);
  const itimerval every_10ms{{0, 10000}, {0, 10000}};
  setitimer(ITIMER_REAL, &every_10ms, nullptr);
  draw_a_few_lines();
  const itimerval stop{};
  setitimer(ITIMER_REAL, &stop, nullptr);
#endif

  std::fputs("descriptor 1 closed\n", stderr);
#ifdef _WIN32
  // The UCRT sends a write to a closed descriptor (the host's or the
  // library's) to the invalid-parameter handler, whose default ends the
  // process; a host that wants to survive one installs a handler that returns.
  _set_invalid_parameter_handler([](const wchar_t*, const wchar_t*, const wchar_t*, unsigned, std::uintptr_t) {});
#endif
  close(1);
  draw_a_few_lines();

  std::fputs("stdout closed\n", stderr);
  std::fclose(stdout);
  draw_a_few_lines();
  std::exit(0);  // not _Exit: coverage data is written at exit
}

// A single child process: starting one is slow under emulation.
TEST(StreamDeathTest, ReturnsNormallyWhateverStateStdoutIsIn) {
  EXPECT_EXIT(draw_into_every_broken_stdout(), ::testing::ExitedWithCode(0), "");
}

// How a host can have set up its stdout: a byte stream, or on Windows one of
// the C run-time's text modes, some of which take wide characters only.
struct StreamForm {
  const char* name;
  int mode;
  bool wide;   // the host writes wide characters
  bool utf16;  // and they arrive as UTF-16LE
};
#ifdef _WIN32
constexpr StreamForm kTextForm = {"text", _O_TEXT, false, false};
constexpr StreamForm kUtf16Form = {"UTF-16 text", _O_U16TEXT, true, true};
constexpr StreamForm kStreamForms[] = {kTextForm, kUtf16Form};
#else
constexpr StreamForm kStreamForms[] = {{"bytes", 0, false, false}};
#endif

void use_stream_form(const StreamForm& form) {
#ifdef _WIN32
  _setmode(1, form.mode);
#else
  (void)form;
#endif
}

void host_writes(const StreamForm& form, const char* ascii) {
  if (form.wide) {
    for (; *ascii != '\0'; ++ascii) std::fputwc(static_cast<wchar_t>(*ascii), stdout);
  } else {
    std::fputs(ascii, stdout);
  }
}

// The ASCII text of what reached the descriptor, with '?' for anything that
// is not ASCII in the stream's encoding.
std::string ascii_text(const StreamForm& form, const std::string& bytes) {
  if (!form.utf16) return bytes;
  std::string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += bytes[i + 1] == '\0' && bytes[i] != '\0' ? bytes[i] : '?';
  }
  if (bytes.size() % 2 != 0) text += '?';
  return text;
}

#ifdef _WIN32
// Whatever mode the host set for its stdout, the line arrives in that mode's
// encoding, in its place among the host's text, and the mode stays the host's.
TEST(Stream, WindowsTextModesGetTheLineInTheirOwnEncoding) {
  const StreamForm forms[] = {kTextForm,
                              {"binary", _O_BINARY, false, false},
                              {"UTF-8 text", _O_U8TEXT, true, false},
                              kUtf16Form,
                              {"wide text", _O_WTEXT, true, true}};
  for (const StreamForm& form : forms) {
    int mode_as_reported = 0;
    int mode_on_return = 0;
    const std::string written = capture_stdout([&] {
      use_stream_form(form);
      mode_as_reported = _setmode(1, form.mode);
      host_writes(form, "A");
      print_progress_bar(1, 2);
      mode_on_return = _setmode(1, form.mode);
      host_writes(form, "B");
      std::fflush(stdout);
    });
    EXPECT_EQ(ascii_text(form, written), "A" + bar_line(20, 20, "50") + "B") << form.name;
    EXPECT_EQ(mode_on_return, mode_as_reported) << form.name;
  }
}

// The mode is asked on every call, never remembered: a host may change it
// between two bars.
TEST(Stream, WindowsModeChangedBetweenTwoBarsIsFollowed) {
  const std::string written = capture_stdout([] {
    _setmode(1, _O_BINARY);
    print_progress_bar(1, 2);
    _setmode(1, _O_U16TEXT);
    print_progress_bar(3, 2);
    _setmode(1, _O_BINARY);
    print_progress_bar(1, 1);
  });
  std::string utf16;
  for (const char c : bar_line(60, 0, "150")) {
    utf16 += c;
    utf16 += '\0';
  }
  EXPECT_EQ(written, bar_line(20, 20, "50") + utf16 + bar_line(40, 0, "100"));
}

// With the descriptor table full the mode cannot be asked, and the line
// still arrives in a text mode's own encoding: wide characters are taken in
// every mode, bytes are not (the UCRT ends a process that writes bytes to a
// stream in a Unicode mode).
TEST(Stream, WindowsTextModesGetTheLineWhenNoDescriptorIsFree) {
  for (const StreamForm& form : kStreamForms) {
    const std::string written = capture_stdout([&] {
      use_stream_form(form);
      std::vector<int> taken;
      for (int descriptor; (descriptor = _dup(1)) >= 0;) taken.push_back(descriptor);
      print_progress_bar(1, 2);
      for (const int descriptor : taken) _close(descriptor);
    });
    EXPECT_EQ(ascii_text(form, written), bar_line(20, 20, "50")) << form.name;
  }
}
#endif

// Pieces from concurrent calls may interleave, but every byte arrives, and
// each closing text, written in one piece, arrives in one run. On Windows the
// same holds in UTF-16 mode, where every call looks up the stream's mode.
TEST(Threads, ConcurrentCallersAndHostWritesLoseNoByte) {
  const struct {
    float start;
    float end;
    std::string line;
    std::string closing;
  } calls[] = {
      {1, 2, bar_line(20, 20, "50"), "] 50%"},
      {1, 3, bar_line(14, 26, "33"), "] 33%"},
      {3, 2, bar_line(60, 0, "150"), "] 150%"},
      {0, 0, bar_line(0, 40, "-2147483648"), "] -2147483648%"},
  };
  constexpr int kCallers = 4;
  constexpr int kCallsEach = 2000;
  const std::string host_text = "host|";

  for (const StreamForm& form : kStreamForms) {
    SCOPED_TRACE(form.name);
    const auto draw_and_write_at_once = [&] {
      use_stream_form(form);
      std::vector<std::thread> threads;
      threads.reserve(kCallers + 1);
      for (int t = 0; t < kCallers; ++t) {
        threads.emplace_back([&, t] {
          for (int i = 0; i < kCallsEach; ++i) {
            const auto& call = calls[(t + i) % 4];
            print_progress_bar(call.start, call.end);
          }
        });
      }
      threads.emplace_back([&] {
        for (int i = 0; i < kCallsEach; ++i) host_writes(form, host_text.c_str());
        std::fflush(stdout);
      });
      for (auto& thread : threads) thread.join();
    };
    const std::string written = ascii_text(form, capture_stdout(draw_and_write_at_once));

    std::string expected;
    for (int i = 0; i < kCallers * kCallsEach; ++i) expected += calls[i % 4].line;
    for (int i = 0; i < kCallsEach; ++i) expected += host_text;
    std::string sorted_written = written;
    std::sort(sorted_written.begin(), sorted_written.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted_written, expected) << "bytes were lost, added or changed";

    for (const auto& call : calls) {
      std::size_t runs = 0;
      for (std::size_t at = written.find(call.closing); at != std::string::npos;
           at = written.find(call.closing, at + 1)) {
        ++runs;
      }
      EXPECT_EQ(runs, static_cast<std::size_t>(kCallers * kCallsEach / 4)) << call.closing;
    }
  }
}

}  // namespace
