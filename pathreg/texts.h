// Texts dornavet shows, stored as CP932 bytes; the two it shares with quelbrin live
// in common/texts.h.
#pragma once

namespace dornavet {

extern const char kTitle[];              // caption of every box and of the folder chooser
extern const char kMutexName[];
extern const char kTextOpening[];        // R3
extern const char kTextGnuPG1Installed[];   // R4
extern const char kTextAskRemoval[];     // R5, "%s": the registered directory
extern const char kTextRemovalFailed[];  // R6
extern const char kTextRemoved[];        // R7
extern const char kTextRegistered[];     // R8, "%s": the registered directory
extern const char kTextAskRemoveInvalid[];  // R9, "%s": the registered directory
extern const char kTextRemovedGoOn[];    // R10
extern const char kTextNoRegistration[]; // R11
extern const char kTextGnuPGNotFound[];  // R12
extern const char kTextAskRegister[];    // R13, "%s": the GnuPG directory
extern const char kTextRegisterFailed[]; // R14
extern const char kTextRegisterDone[];   // R15
extern const char kTextAskCatalogueRemoval[]; // L1
extern const char kTextCatalogueRemoved[];    // L2
extern const char kTextCatalogueRemovalFailed[]; // L3
extern const char kTextNoCatalogue[];    // L4

} // namespace dornavet
