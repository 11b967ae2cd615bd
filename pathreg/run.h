// dornavet's whole run, from the instance mutex to the exit code.
#pragma once

#include "pathreg/run_mode.h"

// Carries out one run of the given kind and returns the process exit code, 0 or -1.
int RunPathRegistrar(RunMode mode);
