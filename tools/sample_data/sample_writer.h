#ifndef TALLOWGATE_SAMPLE_DATA_SAMPLE_WRITER_H_
#define TALLOWGATE_SAMPLE_DATA_SAMPLE_WRITER_H_

// GRIB2 encoding of the sample files on ecCodes.
//
// Every file holds one GRIB2 message from the Canadian centre (54) on its product's grid, scanned west to
// east and south to north, JPEG 2000 packed (12 bits, lossless for the sample values); where the product
// has one (SampleFile::bitmap), a bitmap leaves out the points of sample_missing(). Temperature is discipline
// 0, category 0, number 0 at 2 m above ground (level type 103), an instantaneous value at the forecast hour;
// precipitation is 0/1/8 at the surface (level type 1), an accumulation (statistical process 1) over the
// file's window ending at its valid time. Forecasts carry their run as reference time; analyses carry the
// start of their window, with the analysis time of the name as the end of the window. Nothing depends on the
// clock: the same file always encodes to the same bytes.

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "sample_products.h"

namespace tallowgate {

// Encodes `file` as one GRIB2 message into *message. Returns false, with the key ecCodes refused and its
// reason in *err, when the message cannot be built.
bool encode_sample_file(const SampleFile& file, std::string* message, std::string* err);

// Writes the `count` sample files of `code` into `directory`, creating it when missing and replacing files
// of the same names, and writes one line per file to *log: the name, two blanks, and "Ni x Nj". Returns
// false, with the reason in *err, for an unknown code or a count outside 1 to kMaxSampleFiles, or at the
// first file that cannot be encoded or written; files written before it stay on disk.
bool write_sample_product(std::string_view code, int count, const std::filesystem::path& directory,
                          std::ostream* log, std::string* err);

}  // namespace tallowgate

#endif  // TALLOWGATE_SAMPLE_DATA_SAMPLE_WRITER_H_
