#include <memory>

#include "driver/run.h"
#include "platform/system_platform.h"

int main(int argc, char** argv) {
  const std::unique_ptr<tallowgate::Platform> platform = tallowgate::make_system_platform();
  return tallowgate::run(platform.get(), tallowgate::command_line_arguments(argc, argv));
}
