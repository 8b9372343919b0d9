// The decoder's costs: one value's text by append_g against printf's %g, the dump writer on a
// product-sized grid, and whole regional files decoded end to end.
#include <benchmark/benchmark.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "decoder_run.h"
#include "dump_writer.h"
#include "g_format.h"

namespace tallowgate {
namespace {

constexpr const char* kDataDir = DECODER_DATA_DIR;
constexpr std::size_t kValues = 1 << 16;

// Values like the products': temperatures in kelvin to 0.01 K, amounts mostly 0, anything at all.
std::vector<float> sample_values(int kind) {
  std::mt19937 random(7);
  std::vector<float> values(kValues);
  for (float& v : values) {
    if (kind == 0) {
      v = 230.0f + static_cast<float>(random() % 8000) * 0.01f;
    } else if (kind == 1) {
      v = random() % 4 != 0 ? 0.0f : static_cast<float>(random() % 100000) * 1e-4f;
    } else {
      do {
        v = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
      } while (!std::isfinite(v));
    }
  }
  return values;
}

const char* kind_name(int kind) {
  return kind == 0 ? "temperature" : kind == 1 ? "precipitation" : "random_bits";
}

void BM_AppendG(benchmark::State& state) {
  std::vector<float> values = sample_values(static_cast<int>(state.range(0)));
  char text[kGScratchChars];
  for (auto _ : state) {
    for (float v : values) {
      char* end = append_g(v, text);
      benchmark::DoNotOptimize(end);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
  state.SetLabel(kind_name(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_AppendG)->DenseRange(0, 2);

void BM_Snprintf(benchmark::State& state) {
  std::vector<float> values = sample_values(static_cast<int>(state.range(0)));
  char text[32];
  for (auto _ : state) {
    for (float v : values) {
      int n = std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
      benchmark::DoNotOptimize(n);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
  state.SetLabel(kind_name(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_Snprintf)->DenseRange(0, 2);

// The correctly rounded six digits std::to_chars gives, before any %g layout: a lower bound for
// a formatter built on it.
void BM_ToCharsDigitsOnly(benchmark::State& state) {
  std::vector<float> values = sample_values(static_cast<int>(state.range(0)));
  char text[32];
  for (auto _ : state) {
    for (float v : values) {
      auto result =
          std::to_chars(text, text + sizeof text, static_cast<double>(v), std::chars_format::scientific, 5);
      benchmark::DoNotOptimize(result.ptr);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
  state.SetLabel(kind_name(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ToCharsDigitsOnly)->DenseRange(0, 2);

// A regional 935 x 824 temperature grid through the dump writer, into /dev/null.
void BM_WriteRegionalField(benchmark::State& state) {
  GribField field;
  field.ni = 935;
  field.nj = 824;
  field.order.j_scans_positively = true;
  std::mt19937 random(11);
  field.values.resize(935 * 824);
  double walk = 280.0;
  for (double& v : field.values) {
    walk += static_cast<double>(static_cast<int>(random() % 201) - 100) * 1e-3;
    v = walk;
  }
  for (auto _ : state) {
    DumpWriter dump("/dev/null");
    dump.write_field(field);
    dump.close();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * field.values.size()));
}
BENCHMARK(BM_WriteRegionalField)->Unit(benchmark::kMillisecond);

// `wgrib2 -text` on one shared file, in process.
void decode_file(benchmark::State& state, const char* relative_path) {
  std::string file = std::string(kDataDir) + "/" + relative_path;
  if (!std::filesystem::exists(file)) {
    state.SkipWithError("the shared data folder is not there");
    return;
  }
  std::string dump = (std::filesystem::temp_directory_path() / "decoder_bench.dump").string();
  const char* argv[] = {"wgrib2", "-text", dump.c_str(), file.c_str()};
  std::FILE* out = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    if (run_decoder(4, argv, out, stderr) != 0) state.SkipWithError("the decoder failed");
  }
  std::fclose(out);
  std::filesystem::remove(dump);
}

void BM_DecodeRegionalTemperature(benchmark::State& state) {
  decode_file(state, "real/CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2");
}
BENCHMARK(BM_DecodeRegionalTemperature)->Unit(benchmark::kMillisecond);

void BM_DecodeRegionalPrecipitation(benchmark::State& state) {
  decode_file(state, "real/CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2");
}
BENCHMARK(BM_DecodeRegionalPrecipitation)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tallowgate

BENCHMARK_MAIN();
