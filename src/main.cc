#include <string>
#include <vector>

#include "driver/run.h"
#include "platform/posix_platform.h"

int main(int argc, char** argv) {
  tallowgate::PosixPlatform platform;
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return tallowgate::run(&platform, args);
}
