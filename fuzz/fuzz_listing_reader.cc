// The listing reader on any listing, for every application code: the first
// byte chooses the code, the rest is grib_list.txt.
#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/command_line.h"
#include "driver/run_state.h"
#include "driver/stops.h"
#include "input/listing.h"
#include "platform/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tallowgate;
  if (size == 0) return 0;
  constexpr std::size_t kCodes = sizeof kAllAppCodes / sizeof kAllAppCodes[0];
  static RunState state;
  state.code = kAllAppCodes[data[0] % kCodes];
  FakePlatform platform;
  platform.files[std::string(kListingPath)] = std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    read_listing(&platform, &state);
    if (state.file_count > kMaxFiles) __builtin_trap();
  } catch (const IoError&) {
  } catch (const RunStop&) {
  }
  return 0;
}
