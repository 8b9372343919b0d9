// The listing reader on any listing, for every application code: the first
// byte chooses the code, the rest is grib_list.txt.
#include <cstddef>
#include <cstdint>
#include <string>

#include "input/listing.h"
#include "platform/fake_platform.h"
#include "run/app_code.h"
#include "run/run_state.h"
#include "run/stops.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tallowgate;
  if (size == 0) return 0;
  static RunState state;
  state.code = kAppCodes[data[0] % kAppCodeCount].code;
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
