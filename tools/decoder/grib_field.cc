#include "grib_field.h"

#include <cmath>
#include <cstring>

#include "decoder_fatal.h"

namespace tallowgate {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& problem) {
  throw DecoderFatal{what + ": " + problem};
}

[[noreturn]] void fail_eccodes(const std::string& what, const char* doing, int error) {
  fail(what, std::string(doing) + ": " + codes_get_error_message(error));
}

bool has_number(codes_handle* handle, const char* key) {
  int error = 0;
  return codes_is_defined(handle, key) != 0 && codes_is_missing(handle, key, &error) == 0 &&
         error == CODES_SUCCESS;
}

long long_or(codes_handle* handle, const char* key, long fallback) {
  long value = 0;
  return codes_get_long(handle, key, &value) == CODES_SUCCESS ? value : fallback;
}

// 10^exponent by repeated squaring of 10 or of 1/10, rounded as wgrib2 rounds it.
double power_of_ten(long exponent) {
  double base = exponent < 0 ? 1.0 / 10.0 : 10.0;
  unsigned long left = static_cast<unsigned long>(exponent < 0 ? -exponent : exponent);
  double result = 1.0;
  while (left != 0) {
    if ((left & 1) != 0) result *= base;
    base *= base;
    left >>= 1;
  }
  return result;
}

bool has_packing(codes_handle* handle, const char* packing_type) {
  char packing[64] = {};
  std::size_t length = sizeof packing;
  if (codes_get_string(handle, "packingType", packing, &length) != CODES_SUCCESS) return false;
  return std::strcmp(packing, packing_type) == 0;
}

// ecCodes decodes 32-bit IEEE subnormals exactly, as m x 2^-149.
void read_subnormals_as_normal(std::vector<double>* values) {
  constexpr double kSmallestNormal = 0x1p-126;
  for (double& value : *values) {
    double magnitude = std::fabs(value);
    if (magnitude != 0 && magnitude < kSmallestNormal) {
      value = std::copysign(std::ldexp(0x1p23 + std::ldexp(magnitude, 149), -150), value);
    }
  }
}

}  // namespace

void decode_field(codes_handle* handle, const std::string& what, GribField* field) {
  std::size_t count = 0;
  int error = codes_get_size(handle, "values", &count);
  if (error != CODES_SUCCESS) fail_eccodes(what, "cannot count its values", error);
  if (has_number(handle, "Ni") && has_number(handle, "Nj")) {
    field->ni = long_or(handle, "Ni", 0);
    field->nj = long_or(handle, "Nj", 0);
    if (field->ni <= 0 || field->nj <= 0 ||
        static_cast<std::uint64_t>(field->ni) * static_cast<std::uint64_t>(field->nj) != count) {
      fail(what, "a grid of " + std::to_string(field->ni) + " x " + std::to_string(field->nj) +
                     " points holds " + std::to_string(count) + " values");
    }
  } else {
    field->ni = static_cast<std::int64_t>(count);
    field->nj = 1;
  }
  field->order = {
      .i_scans_negatively = long_or(handle, "iScansNegatively", 0) != 0,
      .j_scans_positively = long_or(handle, "jScansPositively", 0) != 0,
      .j_points_are_consecutive = long_or(handle, "jPointsAreConsecutive", 0) != 0,
      .alternative_row_scanning = long_or(handle, "alternativeRowScanning", 0) != 0,
  };

  error = codes_set_double(handle, "missingValue", kMissingValue);
  if (error != CODES_SUCCESS) fail_eccodes(what, "cannot set the missing value", error);
  field->values.resize(count);
  if (count > 0) {
    std::size_t got = count;
    error = codes_get_double_array(handle, "values", field->values.data(), &got);
    if (error != CODES_SUCCESS) fail_eccodes(what, "cannot decode its values", error);
    if (got != count) {
      fail(what, "decoded " + std::to_string(got) + " of its " + std::to_string(count) + " values");
    }
  }

  if (long_or(handle, "precision", 0) == 1 && has_packing(handle, "grid_ieee")) {
    read_subnormals_as_normal(&field->values);
  }
  long scale = long_or(handle, "decimalScaleFactor", 0);
  if (scale != 0 && long_or(handle, "bitsPerValue", -1) == 0 && has_packing(handle, "grid_ccsds")) {
    double reference = 0;
    error = codes_get_double(handle, "referenceValue", &reference);
    if (error != CODES_SUCCESS) fail_eccodes(what, "cannot read its reference value", error);
    double constant = reference * power_of_ten(-scale);
    for (double& value : field->values) {
      if (value != kMissingValue) value = constant;
    }
  }

  field->date = long_or(handle, "dataDate", 0);
  field->hour = long_or(handle, "dataTime", 0) / 100;
}

}  // namespace tallowgate
