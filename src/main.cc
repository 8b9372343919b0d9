#include <memory>
#include <string>
#include <vector>

#include "driver/run.h"
#include "platform/system_platform.h"

int main(int argc, char** argv) {
  const std::unique_ptr<tallowgate::Platform> platform = tallowgate::make_system_platform();
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return tallowgate::run(platform.get(), args);
}
