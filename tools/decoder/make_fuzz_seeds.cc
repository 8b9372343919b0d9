// Writes the decoder fuzz targets' seed files: small GRIB2 messages made with ecCodes from its GRIB2
// sample, of every packing the products use, the scanning modes, bitmaps, a constant field, two
// fields and two messages, and for the scanner junk and a GRIB1 header before a message.
//
//   make_fuzz_seeds CORPUS_DIR    (writes CORPUS_DIR/fuzz_decoder_fields/ and .../fuzz_decoder_scan/)

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "grib_field.h"
#include "test_messages.h"

namespace tallowgate {
namespace {

struct Seed {
  const char* target;
  const char* name;
  Bytes bytes;
};

std::vector<Seed> make_seeds() {
  const double x = kMissingValue;
  const std::vector<double> masked = {x, 2.5, 3, 4, 5, 6, 7, 8, 9, 10, 11, x};
  const std::vector<double> temperatures = {271.5, 272.25, 273.0, 273.5, 274.75, 275.0,
                                            276.5, 277.25, 278.0, 279.5, 280.0,  281.25};
  const Bytes simple = make_message({.decimal_scale = 2, .values = temperatures});
  const Bytes ccsds_bitmap = make_message({.packing = "grid_ccsds", .values = masked, .bitmap = true});
  const Bytes two_fields =
      join_fields(make_message({.values = masked, .bitmap = true}),
                  make_message({.packing = "grid_jpeg",
                                .values = {x, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, x},
                                .bitmap = true}));
  const Bytes two_messages =
      concatenate({make_message({.time = 0}), make_message({.packing = "grid_jpeg", .time = 600})});
  const Bytes grib1_header = text_bytes(std::string("GRIB\0\0\x40\x01", 8));

  const char* fields = "fuzz_decoder_fields";
  const char* scan = "fuzz_decoder_scan";
  return {
      {fields, "simple_scan_0",
       make_message({.scanning_mode = 0, .decimal_scale = 2, .values = temperatures})},
      {fields, "simple_scan_64", simple},
      {fields, "simple_scan_192",
       make_message({.scanning_mode = 192, .decimal_scale = 2, .values = temperatures})},
      {fields, "simple_bitmap", make_message({.values = masked, .bitmap = true})},
      {fields, "jpeg_bitmap", make_message({.packing = "grid_jpeg", .values = masked, .bitmap = true})},
      {fields, "jpeg_constant_d2",
       make_message({.packing = "grid_jpeg", .decimal_scale = 2, .values = std::vector<double>(12, 273.15)})},
      {fields, "jpeg_zero", make_message({.packing = "grid_jpeg", .values = std::vector<double>(12, 0.0)})},
      {fields, "ccsds_bitmap", ccsds_bitmap},
      {fields, "ieee32", make_message({.packing = "grid_ieee", .values = temperatures})},
      {fields, "ieee64", make_message({.packing = "grid_ieee", .ieee_precision = 2, .values = temperatures})},
      {fields, "complex",
       make_message({.packing = "grid_complex", .decimal_scale = 2, .values = temperatures})},
      {fields, "complex_sd_bitmap",
       make_message({.packing = "grid_complex_spatial_differencing", .values = masked, .bitmap = true})},
      {fields, "two_fields", two_fields},
      {fields, "two_messages", two_messages},
      {scan, "simple_scan_64", simple},
      {scan, "ccsds_bitmap", ccsds_bitmap},
      {scan, "two_fields", two_fields},
      {scan, "two_messages", two_messages},
      {scan, "junk_then_message", concatenate({text_bytes("header line\n\x01\x02GRI"), simple})},
      {scan, "grib1_then_message", concatenate({grib1_header, text_bytes(std::string(56, '\0')), simple})},
      {scan, "garbage", text_bytes("plain text, no weather in it\n")},
  };
}

bool write_file(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace
}  // namespace tallowgate

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds CORPUS_DIR\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  // The message builder reports an ecCodes refusal as a test failure; outside a test it is recorded
  // on the program's own result, checked before anything is written.
  const std::vector<tallowgate::Seed> seeds = tallowgate::make_seeds();
  if (::testing::UnitTest::GetInstance()->Failed()) {
    std::fprintf(stderr, "make_fuzz_seeds: ecCodes refused a message\n");
    return 1;
  }
  for (const tallowgate::Seed& seed : seeds) {
    const std::filesystem::path dir = root / seed.target;
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = dir / (std::string(seed.name) + ".grib2");
    if (!tallowgate::write_file(path, seed.bytes)) {
      std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
