// make_sample_products: writes directories of GRIB2 files that look like the downloads of the products the
// converter reads, for tests and demonstrations.
//
//   make_sample_products CODE OUTDIR [FILES]   the files of one application code, written into OUTDIR
//   make_sample_products all OUTDIR [FILES]    the files of all 18 codes, each code's in
//   OUTDIR/GRIB2/CODE/202508
//
// FILES is the number of files per code, 1 to 8 (default 4). The names, grids, times and values are those
// of sample_products.h and sample_values.h; one line per file written gives its name and Ni x Nj. The same
// command always writes the same bytes. Exit status 0 on success, 1 when a file cannot be written, 2 for
// a wrong command line.

#include <charconv>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "sample_products.h"
#include "sample_writer.h"

namespace {

int usage() {
  std::cerr << "usage: make_sample_products CODE OUTDIR [FILES]\n"
               "       make_sample_products all OUTDIR [FILES]\n"
               "FILES: files per code, 1 to "
            << tallowgate::kMaxSampleFiles << " (default " << tallowgate::kDefaultSampleFiles << ")\ncodes:";
  for (std::string_view code : tallowgate::sample_product_codes()) std::cerr << ' ' << code;
  std::cerr << '\n';
  return 2;
}

bool known_code(std::string_view code) {
  for (std::string_view known : tallowgate::sample_product_codes()) {
    if (known == code) return true;
  }
  return false;
}

bool write_one(std::string_view code, int count, const std::filesystem::path& directory) {
  std::string err;
  if (tallowgate::write_sample_product(code, count, directory, &std::cout, &err)) return true;
  std::cerr << "make_sample_products: " << err << '\n';
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) return usage();
  const std::string_view code = argv[1];
  const std::filesystem::path out_dir = argv[2];
  int count = tallowgate::kDefaultSampleFiles;
  if (argc == 4) {
    const std::string_view text = argv[3];
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (ec != std::errc() || end != text.data() + text.size() || count < 1 ||
        count > tallowgate::kMaxSampleFiles) {
      return usage();
    }
  }
  if (code == "all") {
    for (std::string_view each : tallowgate::sample_product_codes()) {
      if (!write_one(each, count, out_dir / tallowgate::sample_download_directory(each))) return 1;
    }
    return 0;
  }
  if (!known_code(code)) return usage();
  return write_one(code, count, out_dir) ? 0 : 1;
}
