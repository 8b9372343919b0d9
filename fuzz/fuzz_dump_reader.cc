// The dump reader on any dump: counts, values, over-long lines and a grid
// store sized by the first good dump, with the operator's pauses answered
// at once by the end of standard input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "grid/dump_reader.h"
#include "platform/fake_platform.h"
#include "run/run_state.h"
#include "run/stops.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tallowgate;
  const Text<20> dump("temp_20250824012.txt");
  FakePlatform platform;
  platform.files[std::string(dump.trimmed())] = std::string(reinterpret_cast<const char*>(data), size);
  static RunState state;
  // A fresh grid store now and then, so that first dumps are tried as often
  // as later ones.
  if (size % 2 == 0) state.VAL = GridStore();
  try {
    const DumpOutcome outcome = read_dump(dump, &platform, &state);
    // A good or incomplete dump is deleted; a bad one stays.
    if ((outcome == DumpOutcome::kBad) != platform.file_exists(dump.trimmed())) __builtin_trap();
  } catch (const IoError&) {
  } catch (const RunStop&) {
  }
  return 0;
}
