#include "test_messages.h"

#include <eccodes.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "grib_field.h"

namespace tallowgate {
namespace {

struct Section {
  std::size_t offset;
  std::size_t length;
  int number;
};

std::vector<Section> sections_of(const Bytes& message) {
  std::vector<Section> sections;
  std::size_t at = 16;
  while (at + 4 <= message.size() && std::memcmp(message.data() + at, "7777", 4) != 0) {
    std::size_t length = std::size_t{message[at]} << 24 | std::size_t{message[at + 1]} << 16 |
                         std::size_t{message[at + 2]} << 8 | message[at + 3];
    sections.push_back({at, length, message[at + 4]});
    at += length;
  }
  return sections;
}

void set_total_length(Bytes* message) {
  std::uint64_t length = message->size();
  for (int i = 15; i >= 8; --i) {
    (*message)[static_cast<std::size_t>(i)] = static_cast<unsigned char>(length & 0xff);
    length >>= 8;
  }
}

void check(int error, const char* what) {
  EXPECT_EQ(error, CODES_SUCCESS) << what << ": " << codes_get_error_message(error);
}

}  // namespace

Bytes make_message(const TestGrid& grid) {
  codes_handle* h = codes_grib_handle_new_from_samples(nullptr, "GRIB2");
  if (h == nullptr) {
    ADD_FAILURE() << "ecCodes has no GRIB2 sample";
    return {};
  }
  if (grid.grid_template == 0) {
    check(codes_set_long(h, "Ni", grid.ni), "Ni");
    check(codes_set_long(h, "Nj", grid.nj), "Nj");
    check(codes_set_long(h, "scanningMode", grid.scanning_mode), "scanningMode");
  } else {
    check(codes_set_long(h, "gridDefinitionTemplateNumber", grid.grid_template), "template");
    check(codes_set_long(h, "numberOfDataPoints", static_cast<long>(grid.values.size())), "points");
  }
  check(codes_set_long(h, "dataDate", grid.date), "dataDate");
  check(codes_set_long(h, "dataTime", grid.time), "dataTime");
  // Complex packing repacks the values already in the message when it is chosen: the sample's own do
  // not fit the grid just set, so the grid's values go in first.
  if (grid.packing.starts_with("grid_complex")) {
    check(codes_set_double_array(h, "values", grid.values.data(), grid.values.size()), "values");
  }
  check(codes_set_string(h, "packingType", grid.packing.c_str(), nullptr), "packingType");
  if (grid.packing == "grid_ieee") check(codes_set_long(h, "precision", grid.ieee_precision), "precision");
  check(codes_set_long(h, "decimalScaleFactor", grid.decimal_scale), "decimalScaleFactor");
  if (grid.bitmap) {
    check(codes_set_long(h, "bitmapPresent", 1), "bitmapPresent");
    check(codes_set_double(h, "missingValue", kMissingValue), "missingValue");
  }
  check(codes_set_double_array(h, "values", grid.values.data(), grid.values.size()), "values");
  const void* message = nullptr;
  std::size_t length = 0;
  check(codes_get_message(h, &message, &length), "message");
  const unsigned char* bytes = static_cast<const unsigned char*>(message);
  Bytes copy(bytes, bytes + length);
  codes_handle_delete(h);
  return copy;
}

Bytes join_fields(const Bytes& first, const Bytes& second) {
  Bytes joined(first.begin(), first.end() - 4);
  for (const Section& s : sections_of(second)) {
    if (s.number >= 4) {
      auto from = second.begin() + static_cast<std::ptrdiff_t>(s.offset);
      joined.insert(joined.end(), from, from + static_cast<std::ptrdiff_t>(s.length));
    }
  }
  joined.insert(joined.end(), {'7', '7', '7', '7'});
  set_total_length(&joined);
  return joined;
}

Bytes with_section(const Bytes& message, int section,
                   const std::function<void(unsigned char* bytes)>& change) {
  Bytes changed = message;
  for (const Section& s : sections_of(changed)) {
    if (s.number == section) {
      change(changed.data() + s.offset);
      return changed;
    }
  }
  ADD_FAILURE() << "no section " << section;
  return changed;
}

Bytes replace_section(const Bytes& message, int section, int occurrence, const Bytes& replacement) {
  for (const Section& s : sections_of(message)) {
    if (s.number == section && --occurrence == 0) {
      auto at = message.begin() + static_cast<std::ptrdiff_t>(s.offset);
      Bytes replaced(message.begin(), at);
      replaced.insert(replaced.end(), replacement.begin(), replacement.end());
      replaced.insert(replaced.end(), at + static_cast<std::ptrdiff_t>(s.length), message.end());
      set_total_length(&replaced);
      return replaced;
    }
  }
  ADD_FAILURE() << "no section " << section;
  return message;
}

Bytes concatenate(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes text_bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace tallowgate
