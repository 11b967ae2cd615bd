// Texts both programs show, stored as CP932 bytes.
#pragma once

extern const char kTextMutexFailed[];
extern const char kTextAlreadyRunning[];
extern const char kTextChooseGpgsmFolder[];
