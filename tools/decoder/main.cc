#include <cstdio>

#include "decoder_run.h"

int main(int argc, char** argv) { return tallowgate::run_decoder(argc, argv, stdout, stderr); }
