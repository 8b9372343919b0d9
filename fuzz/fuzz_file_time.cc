// The file-name time reader on any name, for every application code: the
// first byte chooses the code, the rest is the file list's entry.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "driver/command_line.h"
#include "driver/run_state.h"
#include "driver/stops.h"
#include "input/file_time.h"
#include "platform/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tallowgate;
  if (size == 0) return 0;
  constexpr std::size_t kCodes = sizeof kAllAppCodes / sizeof kAllAppCodes[0];
  static RunState state;
  state.code = kAllAppCodes[data[0] % kCodes];
  state.file_index = 1;
  state.file_count = 1;
  state.FLN[0].assign(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  FakePlatform platform;
  try {
    extract_file_time(&platform, &state);
  } catch (const IoError&) {
  } catch (const RunStop&) {
  }
  return 0;
}
