// Removal of GnuPG 2.2's Japanese message catalogue, the last step of a dornavet run.
#pragma once

#include "pathreg/run_mode.h"

#include <string>

// Offers to delete "..\share\locale\ja" beside the GnuPG directory and reports the
// outcome; a missing catalogue is reported only in a RemoveLanguage run. Whatever
// happens here, the run ends with exit code 0.
void RemoveJapaneseCatalogue(const std::string& gnupgDirectory, RunMode mode);
