// dornavet's kind of run and the text rules it applies to what the registry holds;
// portable, so that the rules are tested natively.
#pragma once

#include <string>
#include <string_view>

enum class RunMode {
    Normal,             // no switch: check, register, then offer the catalogue removal
    RemoveRegistration, // -reg: delete the registration only
    RemoveLanguage,     // -lng: delete the Japanese message catalogue only
};

// The run mode from the C run time's argument vector (program name first): a switch
// counts only as the single argument, in any letter case of its ASCII letters.
RunMode ReadRunMode(int argc, const char* const* argv);

// The directory a registered text names: without one trailing backslash (the rule of
// PathRemoveBackslashA), and empty when what is left does not fit a path field, so
// that an over-long registration counts as none instead of being cut.
std::string DirectoryFromRegistry(std::string_view registered);

// The "bin" subfolder of a directory, or empty when its path does not fit a path field.
std::string BinFolderOf(std::string_view directory);

// The catalogue folder "..\share\locale\ja" beside the GnuPG directory, left
// unresolved and followed by the extra NUL that ends the shell's list of names: the
// returned text's size counts both NULs.
std::string CatalogueNameList(std::string_view gnupgDirectory);
