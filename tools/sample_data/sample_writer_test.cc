#include "sample_writer.h"

#include <eccodes.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sample_products.h"
#include "sample_values.h"

namespace tallowgate {
namespace {

namespace fs = std::filesystem;

struct HandleDeleter {
  void operator()(codes_handle* handle) const { codes_handle_delete(handle); }
};
using Handle = std::unique_ptr<codes_handle, HandleDeleter>;

Handle read_message(const fs::path& path) {
  FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return nullptr;
  int err = 0;
  Handle handle(codes_handle_new_from_file(nullptr, in, PRODUCT_GRIB, &err));
  std::fclose(in);
  return handle;
}

long get_long(codes_handle* handle, const char* key) {
  long value = -1;
  EXPECT_EQ(codes_get_long(handle, key, &value), CODES_SUCCESS) << key;
  return value;
}

double get_double(codes_handle* handle, const char* key) {
  double value = -1;
  EXPECT_EQ(codes_get_double(handle, key, &value), CODES_SUCCESS) << key;
  return value;
}

std::string get_string(codes_handle* handle, const char* key) {
  char value[128] = {};
  size_t length = sizeof value;
  EXPECT_EQ(codes_get_string(handle, key, value, &length), CODES_SUCCESS) << key;
  return value;
}

std::vector<double> get_values(codes_handle* handle) {
  size_t count = 0;
  EXPECT_EQ(codes_get_size(handle, "values", &count), CODES_SUCCESS);
  std::vector<double> values(count);
  EXPECT_EQ(codes_get_double_array(handle, "values", values.data(), &count), CODES_SUCCESS);
  return values;
}

long date_number(const SampleTime& t) { return t.year * 10000L + t.month * 100L + t.day; }

class SampleWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    // A directory of its own: two checkouts testing on one machine must not
    // write into each other's sample files.
    std::string pattern = (fs::temp_directory_path() / "sample_data_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    dir_ = root_ / "product";
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path root_;
  fs::path dir_;
};

// One code per grid, with the bitmap and without, temperature and precipitation: every file is where its
// name says, decodes to exactly the values of sample_value(), and carries the product's keys.
TEST_F(SampleWriterTest, WritesEachFamilyAsTheProductsFiles) {
  const struct {
    std::string_view code;
    int count;
    std::string_view grid_type;
    long ni, nj;
    bool bitmap;
  } cases[] = {
      {"capa15", 2, "polar_stereographic", 492, 398, true},
      {"capa10", 1, "polar_stereographic", 934, 823, true},
      {"capa", 3, "polar_stereographic", 935, 824, true},
      {"regT", 1, "polar_stereographic", 935, 824, true},
      {"hreP", 2, "polar_stereographic", 765, 570, false},
      {"glbT", 1, "regular_ll", 2400, 1201, false},
      {"RDPS-PCP-FC", 2, "rotated_ll", 600, 560, false},
      {"RDPS-TMP-HC", 1, "rotated_ll", 600, 560, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const fs::path dir = dir_ / std::string(c.code);
    std::ostringstream log;
    std::string err;
    ASSERT_TRUE(write_sample_product(c.code, c.count, dir, &log, &err)) << err;

    std::string expected_log;
    for (const SampleFile& file : sample_files(c.code, c.count)) {
      SCOPED_TRACE(file.name);
      expected_log += file.name + "  " + std::to_string(c.ni) + " x " + std::to_string(c.nj) + "\n";
      Handle h = read_message(dir / file.name);
      ASSERT_TRUE(h);
      EXPECT_EQ(get_long(h.get(), "edition"), 2);
      EXPECT_EQ(get_long(h.get(), "centre"), 54);
      EXPECT_EQ(get_string(h.get(), "gridType"), c.grid_type);
      EXPECT_EQ(get_long(h.get(), "Ni"), c.ni);
      EXPECT_EQ(get_long(h.get(), "Nj"), c.nj);
      EXPECT_EQ(get_long(h.get(), "scanningMode"), 64);
      EXPECT_EQ(get_string(h.get(), "packingType"), "grid_jpeg");
      EXPECT_EQ(get_long(h.get(), "bitmapPresent"), c.bitmap ? 1 : 0);

      const bool temperature = file.family.variable == SampleVariable::kAirTemperature;
      EXPECT_EQ(get_long(h.get(), "discipline"), 0);
      EXPECT_EQ(get_long(h.get(), "parameterCategory"), temperature ? 0 : 1);
      EXPECT_EQ(get_long(h.get(), "parameterNumber"), temperature ? 0 : 8);
      EXPECT_EQ(get_long(h.get(), "typeOfFirstFixedSurface"), temperature ? 103 : 1);
      EXPECT_EQ(get_long(h.get(), "level"), temperature ? 2 : 0);
      EXPECT_EQ(get_long(h.get(), "productDefinitionTemplateNumber"), temperature ? 0 : 8);
      if (!temperature) {
        EXPECT_EQ(get_long(h.get(), "typeOfStatisticalProcessing"), 1);
      }

      const SampleTime reference = sample_time(file.reference_hour);
      const SampleTime valid = sample_time(file.step());
      EXPECT_EQ(get_long(h.get(), "dataDate"), date_number(reference));
      EXPECT_EQ(get_long(h.get(), "dataTime"), reference.hour * 100L);
      EXPECT_EQ(get_long(h.get(), "validityDate"), date_number(valid));
      EXPECT_EQ(get_long(h.get(), "validityTime"), valid.hour * 100L);
      EXPECT_EQ(get_long(h.get(), "endStep"), file.forecast_hour);
      EXPECT_EQ(get_long(h.get(), "startStep"), file.forecast_hour - file.accumulation_hours);
      EXPECT_EQ(get_long(h.get(), "significanceOfReferenceTime"), file.analysis ? 0 : 1);

      const std::vector<double> values = get_values(h.get());
      ASSERT_EQ(values.size(), static_cast<size_t>(c.ni * c.nj));
      const double missing = get_double(h.get(), "missingValue");
      long mismatches = 0, missing_seen = 0;
      for (int j = 0; j < c.nj; ++j) {
        for (int i = 0; i < c.ni; ++i) {
          const double got =
              values[static_cast<size_t>(j) * static_cast<size_t>(c.ni) + static_cast<size_t>(i)];
          const bool masked = c.bitmap && sample_missing(file.family.grid, i, j);
          missing_seen += got == missing ? 1 : 0;
          const double want =
              masked ? missing : static_cast<double>(sample_value(file.family, i, j, file.step()));
          if (got != want && ++mismatches <= 3) ADD_FAILURE() << "value at " << i << "," << j << ": " << got;
        }
      }
      EXPECT_EQ(mismatches, 0);
      EXPECT_EQ(missing_seen, c.bitmap ? 2 * 16 * 8 : 0);
    }
    EXPECT_EQ(log.str(), expected_log);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), c.count);
  }
}

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(SampleWriterTest, SameCommandWritesTheSameBytes) {
  std::ostringstream log;
  std::string err;
  ASSERT_TRUE(write_sample_product("capa15", 2, dir_ / "first", &log, &err)) << err;
  ASSERT_TRUE(write_sample_product("capa15", 2, dir_ / "second", &log, &err)) << err;
  const std::vector<SampleFile> files = sample_files("capa15", 2);
  for (const SampleFile& file : files) {
    SCOPED_TRACE(file.name);
    const std::string first = read_bytes(dir_ / "first" / file.name);
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, read_bytes(dir_ / "second" / file.name));
  }
  EXPECT_NE(read_bytes(dir_ / "first" / files[0].name), read_bytes(dir_ / "first" / files[1].name));
}

TEST_F(SampleWriterTest, RefusesUnknownCodeAndWritesNothing) {
  std::ostringstream log;
  std::string err;
  EXPECT_FALSE(write_sample_product("regt", 4, dir_, &log, &err));
  EXPECT_NE(err.find("regt"), std::string::npos);
  EXPECT_FALSE(write_sample_product("regT", 0, dir_, &log, &err));
  EXPECT_FALSE(fs::exists(dir_));
  EXPECT_EQ(log.str(), "");
}

// Polar-stereographic position of a point on the 6371229 m sphere, true at 60 N, metres from the pole.
void polar_xy(double latitude, double longitude, double orientation, double* x, double* y) {
  constexpr double kRadius = 6371229.0;
  const double degree = std::acos(-1.0) / 180.0;
  const double r = kRadius * (1.0 + std::sin(60.0 * degree)) * std::tan((90.0 - latitude) / 2.0 * degree);
  *x = r * std::sin((longitude - orientation) * degree);
  *y = -r * std::cos((longitude - orientation) * degree);
}

// The r2c headers of the CaPA analyses place the grid's first point (the western column, southern row) at
// xOrigin and its northern edge at yOrigin, yCount cells higher.
TEST_F(SampleWriterTest, CapaGridsStartWhereTheirHeadersSay) {
  const struct {
    std::string_view code;
    double x_origin, y_origin, cell;
  } cases[] = {
      {"capa10", -4551441.5, 915682.125, 10000.0},
      {"capa15", -2610655.5, 8.808181, 15000.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    std::string message, err;
    ASSERT_TRUE(encode_sample_file(sample_files(c.code, 1).front(), &message, &err)) << err;
    Handle h(codes_handle_new_from_message_copy(nullptr, message.data(), message.size()));
    ASSERT_TRUE(h);
    EXPECT_EQ(get_double(h.get(), "DxInMetres"), c.cell);
    EXPECT_EQ(get_double(h.get(), "LaDInDegrees"), 60.0);
    double x = 0, y = 0;
    polar_xy(get_double(h.get(), "latitudeOfFirstGridPointInDegrees"),
             get_double(h.get(), "longitudeOfFirstGridPointInDegrees"),
             get_double(h.get(), "orientationOfTheGridInDegrees"), &x, &y);
    EXPECT_NEAR(x, c.x_origin, 1.0);
    EXPECT_NEAR(y + static_cast<double>(get_long(h.get(), "Ny")) * c.cell, c.y_origin, 1.0);
  }
}

#ifdef SAMPLE_REAL_PRODUCTS_DIR
// The regional, HRDPS east and global grids are those of the real products, key for key.
TEST_F(SampleWriterTest, GridsMatchTheRealProducts) {
  const struct {
    std::string_view code;
    std::string_view real_file;
  } cases[] = {
      {"regT", "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2"},
      {"capa", "CMC_RDPA_APCP-024-0100cutoff_SFC_0_ps10km_2023121806_000.grib2"},
      {"hreT", "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2"},
      {"glbT", "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2"},
  };
  const char* keys[] = {"gridDefinitionTemplateNumber",
                        "shapeOfTheEarth",
                        "Ni",
                        "Nj",
                        "latitudeOfFirstGridPoint",
                        "longitudeOfFirstGridPoint",
                        "resolutionAndComponentFlags",
                        "scanningMode",
                        "LaD",
                        "orientationOfTheGrid",
                        "Dx",
                        "Dy",
                        "latitudeOfLastGridPoint",
                        "longitudeOfLastGridPoint",
                        "iDirectionIncrement",
                        "jDirectionIncrement",
                        "projectionCentreFlag"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    Handle real = read_message(fs::path(SAMPLE_REAL_PRODUCTS_DIR) / std::string(c.real_file));
    if (!real) GTEST_SKIP() << "no real product files at " << SAMPLE_REAL_PRODUCTS_DIR;
    std::string message, err;
    ASSERT_TRUE(encode_sample_file(sample_files(c.code, 1).front(), &message, &err)) << err;
    Handle sample(codes_handle_new_from_message_copy(nullptr, message.data(), message.size()));
    ASSERT_TRUE(sample);
    for (const char* key : keys) {
      long real_value = 0;
      if (codes_get_long(real.get(), key, &real_value) != CODES_SUCCESS) continue;  // not in this template
      SCOPED_TRACE(key);
      EXPECT_EQ(get_long(sample.get(), key), real_value);
    }
  }
}
#endif

}  // namespace
}  // namespace tallowgate
