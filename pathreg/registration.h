// The registry side of dornavet: reading an installation directory, writing and
// deleting the registration under HKEY_LOCAL_MACHINE\SOFTWARE\GNU\GnuPG.
#pragma once

#include "common/bytes.h"

#include <string>

// The key through which GnuPG 1.x announces itself, and GnuPG 2.2's own key.
extern const char kRegistrationKey[];
extern const char kGnuPG22Key[];

// A path field whose bytes behind the text are all zero: written to the registry whole.
struct PathField {
    char bytes[kPathFieldSize] = {};

    // Replaces the content; false (and the field left empty) when the text does not fit.
    bool Assign(const std::string& text);
    std::string Text() const { return bytes; }
};

// The "Install Directory" of HKEY_LOCAL_MACHINE\`subKey` without trailing backslash;
// empty when the key or value is missing or unreadable, or the text does not fit a
// path field. Never shows a message.
std::string ReadInstallDirectory(const char* subKey);

// Creates or opens the registration key and writes the whole field as REG_SZ, 260
// bytes long whatever the text's length. False when either call failed.
bool WriteRegistration(const PathField& gnupgDirectory);

// Deletes the registration key with all its values. False when the system refused.
bool DeleteRegistration();
