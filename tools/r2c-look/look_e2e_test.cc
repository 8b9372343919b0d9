#include "r2c_scan.h"
