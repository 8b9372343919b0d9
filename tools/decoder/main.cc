#include <cstdio>

#include "decoder_run.h"

#if defined(__SANITIZE_ADDRESS__)
#define DECODER_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DECODER_LEAK_CHECKED 1
#endif
#endif

#ifdef DECODER_LEAK_CHECKED
// ecCodes keeps the state of a message it could not finish in blocks nothing frees; the leak
// checker is not to take them for the decoder's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libeccodes.so\n"; }
#endif

int main(int argc, char** argv) { return tallowgate::run_decoder(argc, argv, stdout, stderr); }
