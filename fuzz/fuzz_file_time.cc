// The file-name time reader on any name, for every application code: the
// first byte chooses the code, the rest is the file list's entry.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "input/file_time.h"
#include "platform/fake_platform.h"
#include "run/app_code.h"
#include "run/run_state.h"
#include "run/stops.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tallowgate;
  if (size == 0) return 0;
  static RunState state;
  state.code = kAppCodes[data[0] % kAppCodeCount].code;
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
