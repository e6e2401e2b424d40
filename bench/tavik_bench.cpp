// Cost of one print_progress_bar call, next to two references measured in the
// same run and the same buffering mode of stdout:
//   floor:    one fwrite of the finished line and a fflush, the least any
//             flushing progress bar can cost;
//   baseline: the same line drawn naively, one printf per piece.
// stdout goes to /dev/null; the report goes to stderr, ending in a table of
// median ratios.
//
//   tavik_bench [benchmark flags]              single-threaded host
//   tavik_bench --threaded [benchmark flags]   two threads calling at once
//
// The two are separate processes because glibc's stdio starts locking its
// streams for good once a process has created a thread.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <utility>

#include "bar_layout.h"
#include "tavik.h"

namespace {

struct Buffering {
  const char* name;
  int mode;
};
constexpr Buffering kBufferings[] = {{"full", _IOFBF}, {"line", _IOLBF}, {"none", _IONBF}};

struct Progress {
  float start;
  float end;
  int percentage;
};
constexpr Progress kProgress[] = {{0, 1, 0}, {1, 2, 50}, {1, 1, 100}, {10, 1, 1000}};

char stdout_buffer[BUFSIZ];

void set_stdout_buffering(int mode) {
  std::fflush(stdout);
  std::setvbuf(stdout, mode == _IONBF ? nullptr : stdout_buffer, mode, sizeof stdout_buffer);
}

std::string finished_line(int percentage) {
  const std::uint32_t filled = tavik::filled_cells(percentage);
  return "[" + std::string(filled, '=') + ">" + std::string(tavik::blank_cells(filled), ' ') + "] " +
         std::to_string(percentage) + "%\r";
}

void floor_progress_bar(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

// The obvious way to write the bar, for comparison.
void baseline_progress_bar(float start, float end) {
  const int percentage = static_cast<int>(start / end * 100);
  std::printf("[");
  int cell = 0;
  for (; cell < percentage / 2.5; ++cell) std::printf("=");
  std::printf(">");
  for (; cell < 40; ++cell) std::printf(" ");
  std::printf("] %d%%", percentage);
  std::printf("\r");
  std::fflush(stdout);
}

std::string case_name(const char* kind, const Buffering& buffering, int percentage) {
  return std::string(kind) + "/" + buffering.name + "/" + std::to_string(percentage) + "%";
}

template <class Draw>
void add_case(const std::string& name, int mode, int threads, Draw draw) {
  auto* benchmark = benchmark::RegisterBenchmark(name.c_str(), [mode, draw](benchmark::State& state) {
    if (state.thread_index() == 0) set_stdout_buffering(mode);
    for (auto _ : state) draw();
  });
  benchmark->UseRealTime();
  if (threads > 1) benchmark->Threads(threads);
}

void register_cases(bool threaded) {
  for (const Buffering& buffering : kBufferings) {
    for (const Progress& progress : kProgress) {
      if (threaded && progress.percentage != 50) continue;
      const int threads = threaded ? 2 : 1;
      const std::string line = finished_line(progress.percentage);
      add_case(case_name("library", buffering, progress.percentage), buffering.mode, threads,
               [progress] { print_progress_bar(progress.start, progress.end); });
      add_case(case_name("floor", buffering, progress.percentage), buffering.mode, threads,
               [line] { floor_progress_bar(line); });
      add_case(case_name("baseline", buffering, progress.percentage), buffering.mode, threads,
               [progress] { baseline_progress_bar(progress.start, progress.end); });
    }
  }
}

// Whether a run stopped on an error: Google Benchmark 1.8 replaced the field
// error_occurred (Debian 12's 1.7) with skipped (Debian 13's 1.9).
template <typename Run>
auto run_failed(const Run& run, int /*prefer this one*/) -> decltype(run.skipped != 0) {
  return run.skipped != 0;
}
template <typename Run>
bool run_failed(const Run& run, long /*else this one*/) {
  return run.error_occurred;
}

// The console report, then a table of medians (or of single runs) and ratios.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  SummaryReporter() : ConsoleReporter(isatty(2) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if ((median || single) && !run_failed(run, 0)) {
        nanoseconds_[run.run_name.function_name] = run.GetAdjustedRealTime() * to_ns(run.time_unit);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::FILE* out = stderr;
    std::fprintf(out, "\n%-16s %12s %10s %12s %11s %14s\n", "case", "library ns", "floor ns", "baseline ns", "÷ floor",
                 "÷ baseline");
    for (const Buffering& buffering : kBufferings) {
      for (const Progress& progress : kProgress) {
        const std::string suffix = std::string("/") + buffering.name + "/" + std::to_string(progress.percentage) + "%";
        const double library = find("library" + suffix);
        const double floor = find("floor" + suffix);
        const double baseline = find("baseline" + suffix);
        if (library <= 0 || floor <= 0 || baseline <= 0) continue;
        std::fprintf(out, "%-16s %12.1f %10.1f %12.1f %11.3f %14.3f\n", suffix.c_str() + 1, library, floor, baseline,
                     library / floor, library / baseline);
      }
      // 1000 percent draws 401 cells where 100 percent draws 41.
      const double at_100 = find(std::string("library/") + buffering.name + "/100%");
      const double at_1000 = find(std::string("library/") + buffering.name + "/1000%");
      if (at_100 > 0 && at_1000 > 0) {
        std::fprintf(out, "%-16s %12.2f ns per cell beyond 41\n", buffering.name, (at_1000 - at_100) / 360.0);
      }
    }
  }

 private:
  static double to_ns(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kSecond:
        return 1e9;
      case benchmark::kMillisecond:
        return 1e6;
      case benchmark::kMicrosecond:
        return 1e3;
      default:
        return 1.0;
    }
  }
  double find(const std::string& name) const {
    for (const auto& [key, value] : nanoseconds_) {
      if (key == name || key.rfind(name + "/", 0) == 0) return value;
    }
    return 0;
  }
  std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  bool threaded = false;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--threaded") == 0) {
      threaded = true;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  // The drawn lines go to /dev/null; the report to stderr.
  const int null_device = open("/dev/null", O_WRONLY);
  if (null_device < 0 || dup2(null_device, 1) < 0) return 1;
  close(null_device);

  register_cases(threaded);
  SummaryReporter reporter;
  reporter.SetOutputStream(&std::cerr);
  reporter.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
