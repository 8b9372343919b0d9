#include "sample_writer.h"

#include <eccodes.h>

#include <fstream>
#include <memory>
#include <system_error>
#include <vector>

namespace tallowgate {

namespace {

// Angles in millionths of a degree and lengths in millimetres, as section 3 stores them, so each row can
// be checked against grib_dump of a real file.
struct PolarGrid {
  SampleGrid grid;
  long nx, ny;
  long first_latitude, first_longitude;
  long true_latitude, orientation;
  long spacing;
};

constexpr PolarGrid kPolarGrids[] = {
    // grid                       Nx   Ny   first point             LaD       LoV        Dx = Dy
    {SampleGrid::kRegional10km, 935, 824, 18145030, 217107456, 60000000, 249000000, 10000000},
    // The CaPA 10 km grid starts at the regional grid's first point, one column and one row smaller.
    {SampleGrid::kCapa10km, 934, 823, 18145030, 217107456, 60000000, 249000000, 10000000},
    // The CaPA 15 km grid's first point lies 2610655.5 m west and 5969991.2 m south of the pole.
    {SampleGrid::kCapa15km, 492, 398, 32548976, 225380416, 60000000, 249000000, 15000000},
    {SampleGrid::kHrdpsEast, 765, 570, 38701700, 268656832, 60000000, 280000000, 2500000},
};

struct LatLonGrid {
  SampleGrid grid;
  long ni, nj;
  long first_latitude, first_longitude;
  long last_latitude, last_longitude;
  long increment;
  bool rotated;
  long south_pole_latitude, south_pole_longitude;
};

constexpr LatLonGrid kLatLonGrids[] = {
    // grid                  Ni    Nj    first point            last point            Di = Dj  rotated  south
    // pole
    {SampleGrid::kGlobal, 2400, 1201, -90000000, 180000000, 90000000, 179850000, 150000, false, 0, 0},
    // The RDPS rotation (south pole at 36.08852 S, 245.305142 E); in rotated coordinates the grid runs
    // from 38 S to 45.85 N and from 31.76 W to 58.09 E, which covers North America.
    {SampleGrid::kRotated, 600, 560, -38000000, 328240000, 45850000, 58090000, 150000, true, -36088520,
     245305142},
};

constexpr long kBitsPerValue = 12;
constexpr double kMissingValue = 9999.0;

struct HandleDeleter {
  void operator()(codes_handle* handle) const { codes_handle_delete(handle); }
};
using Handle = std::unique_ptr<codes_handle, HandleDeleter>;

// Sets keys in order and keeps the first refusal, so a message is built in one straight run and checked once.
class KeySetter {
 public:
  explicit KeySetter(codes_handle* handle) : handle_(handle) {}

  void set(const char* key, long value) {
    if (error_.empty()) note(key, codes_set_long(handle_, key, value));
  }
  void set_double(const char* key, double value) {
    if (error_.empty()) note(key, codes_set_double(handle_, key, value));
  }
  void set_string(const char* key, const char* value) {
    if (!error_.empty()) return;
    size_t length = std::char_traits<char>::length(value);
    note(key, codes_set_string(handle_, key, value, &length));
  }
  void set_values(const std::vector<double>& values) {
    if (error_.empty())
      note("values", codes_set_double_array(handle_, "values", values.data(), values.size()));
  }
  const std::string& error() const { return error_; }

 private:
  void note(const char* key, int status) {
    if (status == CODES_SUCCESS) return;
    error_ = std::string(key) + ": " + codes_get_error_message(status);
  }

  codes_handle* handle_;
  std::string error_;
};

long date_number(const SampleTime& time) { return time.year * 10000L + time.month * 100L + time.day; }

void set_grid(SampleGrid grid, KeySetter* keys) {
  for (const PolarGrid& row : kPolarGrids) {
    if (row.grid != grid) continue;
    keys->set("gridDefinitionTemplateNumber", 20);
    keys->set("shapeOfTheEarth", 6);
    keys->set("Nx", row.nx);
    keys->set("Ny", row.ny);
    keys->set("latitudeOfFirstGridPoint", row.first_latitude);
    keys->set("longitudeOfFirstGridPoint", row.first_longitude);
    keys->set("resolutionAndComponentFlags", 8);
    keys->set("LaD", row.true_latitude);
    keys->set("orientationOfTheGrid", row.orientation);
    keys->set("Dx", row.spacing);
    keys->set("Dy", row.spacing);
    keys->set("projectionCentreFlag", 0);
    keys->set("scanningMode", 64);
    return;
  }
  for (const LatLonGrid& row : kLatLonGrids) {
    if (row.grid != grid) continue;
    keys->set("gridDefinitionTemplateNumber", row.rotated ? 1 : 0);
    keys->set("shapeOfTheEarth", 6);
    keys->set("Ni", row.ni);
    keys->set("Nj", row.nj);
    keys->set("basicAngleOfTheInitialProductionDomain", 0);
    keys->set("latitudeOfFirstGridPoint", row.first_latitude);
    keys->set("longitudeOfFirstGridPoint", row.first_longitude);
    keys->set("resolutionAndComponentFlags", 48);
    keys->set("latitudeOfLastGridPoint", row.last_latitude);
    keys->set("longitudeOfLastGridPoint", row.last_longitude);
    keys->set("iDirectionIncrement", row.increment);
    keys->set("jDirectionIncrement", row.increment);
    keys->set("scanningMode", 64);
    if (row.rotated) {
      keys->set("latitudeOfSouthernPole", row.south_pole_latitude);
      keys->set("longitudeOfSouthernPole", row.south_pole_longitude);
    }
    return;
  }
}

void set_product(const SampleFile& file, KeySetter* keys) {
  const bool temperature = file.family.variable == SampleVariable::kAirTemperature;
  keys->set("productDefinitionTemplateNumber", temperature ? 0 : 8);
  keys->set("discipline", 0);
  keys->set("parameterCategory", temperature ? 0 : 1);
  keys->set("parameterNumber", temperature ? 0 : 8);
  keys->set("typeOfGeneratingProcess", file.analysis ? 0 : 2);
  keys->set("typeOfFirstFixedSurface", temperature ? 103 : 1);
  keys->set("scaleFactorOfFirstFixedSurface", 0);
  keys->set("scaledValueOfFirstFixedSurface", temperature ? 2 : 0);
  keys->set("typeOfSecondFixedSurface", 255);
  keys->set("indicatorOfUnitOfTimeRange", 1);
  if (temperature) {
    keys->set("forecastTime", file.forecast_hour);
    return;
  }
  keys->set("typeOfStatisticalProcessing", 1);
  keys->set("indicatorOfUnitForTimeIncrement", 1);
  const std::string range =
      std::to_string(file.forecast_hour - file.accumulation_hours) + "-" + std::to_string(file.forecast_hour);
  keys->set_string("stepRange", range.c_str());
}

std::vector<double> grid_values(const SampleFile& file) {
  const SampleGridSize size = sample_grid_size(file.family.grid);
  std::vector<double> values;
  values.reserve(static_cast<size_t>(size.ni) * static_cast<size_t>(size.nj));
  for (int j = 0; j < size.nj; ++j) {
    for (int i = 0; i < size.ni; ++i) {
      values.push_back(file.bitmap && sample_missing(file.family.grid, i, j)
                           ? kMissingValue
                           : static_cast<double>(sample_value(file.family, i, j, file.step())));
    }
  }
  return values;
}

}  // namespace

bool encode_sample_file(const SampleFile& file, std::string* message, std::string* err) {
  Handle handle(codes_grib_handle_new_from_samples(nullptr, "GRIB2"));
  if (!handle) {
    *err = "ecCodes has no GRIB2 sample";
    return false;
  }
  KeySetter keys(handle.get());
  const SampleTime reference = sample_time(file.reference_hour);
  keys.set("centre", 54);
  keys.set("subCentre", 0);
  keys.set("tablesVersion", 4);
  keys.set("significanceOfReferenceTime", file.analysis ? 0 : 1);
  keys.set("dataDate", date_number(reference));
  keys.set("dataTime", reference.hour * 100L);
  keys.set("productionStatusOfProcessedData", 0);
  keys.set("typeOfProcessedData", file.analysis ? 0 : 1);
  set_grid(file.family.grid, &keys);
  set_product(file, &keys);
  keys.set_string("packingType", "grid_jpeg");
  keys.set("bitmapPresent", file.bitmap ? 1 : 0);
  keys.set("bitsPerValue", kBitsPerValue);
  keys.set_double("missingValue", kMissingValue);
  keys.set_values(grid_values(file));
  if (!keys.error().empty()) {
    *err = keys.error();
    return false;
  }
  const void* bytes = nullptr;
  size_t length = 0;
  if (int status = codes_get_message(handle.get(), &bytes, &length); status != CODES_SUCCESS) {
    *err = codes_get_error_message(status);
    return false;
  }
  message->assign(static_cast<const char*>(bytes), length);
  return true;
}

bool write_sample_product(std::string_view code, int count, const std::filesystem::path& directory,
                          std::ostream* log, std::string* err) {
  const std::vector<SampleFile> files = sample_files(code, count);
  if (files.empty()) {
    *err = "no sample files for code \"" + std::string(code) + "\" and count " + std::to_string(count);
    return false;
  }
  std::error_code fs_error;
  std::filesystem::create_directories(directory, fs_error);
  if (fs_error) {
    *err = directory.string() + ": " + fs_error.message();
    return false;
  }
  const SampleGridSize size = sample_grid_size(files.front().family.grid);
  std::string message;
  for (const SampleFile& file : files) {
    if (!encode_sample_file(file, &message, err)) {
      *err = file.name + ": " + *err;
      return false;
    }
    const std::filesystem::path path = directory / file.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(message.data(), static_cast<std::streamsize>(message.size()));
    out.close();
    if (!out) {
      *err = path.string() + ": cannot be written";
      return false;
    }
    *log << file.name << "  " << size.ni << " x " << size.nj << '\n';
  }
  return true;
}

}  // namespace tallowgate
