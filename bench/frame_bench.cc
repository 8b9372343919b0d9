// The hot path of a conversion on the regional 10 km grid (935 x 824 values):
// a decoder dump read from a real file into the grid store, and the frame
// written from it, through the platform the program uses.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "grid/dump_reader.h"
#include "platform/posix_platform.h"
#include "r2c/frame.h"
#include "run/run_state.h"

namespace tallowgate {
namespace {

constexpr int kColumns = 935;
constexpr int kRows = 824;
constexpr double kValues = double{kColumns} * kRows;
const Text<20> kDump = "temp_20250824006.txt";

// A precipitation dump as the decoder writes it (printf %g, 6 significant
// digits): mostly dry cells, missing points as 9.999e+20, light to heavy rain.
const std::string& dump_text() {
  static const std::string text = [] {
    std::string t = std::to_string(kColumns) + " " + std::to_string(kRows) + "\n";
    std::uint32_t seed = 12345;
    char value[32];
    for (int n = 0; n < kColumns * kRows; ++n) {
      seed = seed * 1664525u + 1013904223u;
      const std::uint32_t r = seed >> 8;
      if (r % 100 < 55) {
        t += "0\n";
        continue;
      }
      if (r % 100 < 60) {
        t += "9.999e+20\n";
        continue;
      }
      const double mm = static_cast<double>(r % 1000000) / 1000000.0;
      std::snprintf(value, sizeof value, "%g\n", mm * mm * 60.0);
      t += value;
    }
    return t;
  }();
  return text;
}

// Runs in a scratch directory of its own, where the dumps are written.
class Scratch {
 public:
  Scratch() {
    dir_ = std::filesystem::temp_directory_path() /
           ("tallowgate_bench_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
  }
  ~Scratch() {
    std::filesystem::current_path(dir_.parent_path());
    std::filesystem::remove_all(dir_);
  }
  void write_dump() const {
    std::ofstream out(dir_ / std::string(kDump.trimmed()), std::ios::binary);
    out << dump_text();
  }

 private:
  std::filesystem::path dir_;
};

void prepare(Platform* platform, RunState* state) {
  state->code = AppCode::kRegP;
  state->file_year = 2025;
  state->file_month = 8;
  state->file_day = 24;
  state->file_hour = 6;
  state->file_index = 1;
  std::string err;
  state->output = platform->open_output("frame.r2c", &err);
}

// Seconds per value, shown by the library with its unit prefix (n for ns).
void report(benchmark::State& state) {
  state.counters["per_value"] = benchmark::Counter(
      kValues, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The real platform with a silent console.
class QuietPlatform : public PosixPlatform {
 public:
  void write_out(std::string_view) override {}
};

void BM_ReadDump(benchmark::State& bench) {
  Scratch scratch;
  QuietPlatform platform;
  RunState state;
  prepare(&platform, &state);
  for (auto _ : bench) {
    bench.PauseTiming();
    scratch.write_dump();
    bench.ResumeTiming();
    if (read_dump(kDump, &platform, &state) != DumpOutcome::kComplete) bench.SkipWithError("dump not read");
  }
  state.output->discard();
  report(bench);
}

void BM_WriteFrame(benchmark::State& bench) {
  Scratch scratch;
  QuietPlatform platform;
  RunState state;
  prepare(&platform, &state);
  scratch.write_dump();
  read_dump(kDump, &platform, &state);
  for (auto _ : bench) {
    state.file_hour = 6;
    write_frame(&platform, &state);
  }
  state.output->discard();
  report(bench);
}

void BM_ReadCapAndWrite(benchmark::State& bench) {
  Scratch scratch;
  QuietPlatform platform;
  RunState state;
  prepare(&platform, &state);
  for (auto _ : bench) {
    bench.PauseTiming();
    scratch.write_dump();
    state.file_hour = 6;
    bench.ResumeTiming();
    read_dump(kDump, &platform, &state);
    write_frame(&platform, &state);
    write_end_frame(&state);
  }
  state.output->discard();
  report(bench);
}

BENCHMARK(BM_ReadDump)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCapAndWrite)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tallowgate

BENCHMARK_MAIN();
