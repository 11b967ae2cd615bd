// The stages of a quelbrin run: what each is given and what it gives back. Every
// stage shows its own boxes; Stopped means it has done so or the user declined.
#pragma once

#include <string>

#include "root_list.h"

enum class StageResult { GoOn, Stopped };

// Finds the folder holding gpgsm.exe (.ini file, own folder, registry, or the user)
// and remembers it in the .ini file beside the executable.
StageResult LocateGnuPG(const std::string& modulePath, const std::string& programDirectory,
                        std::string& gnupgDirectory);

// Learns the home directory from `gpgsm --version`, through quelbrin.tmp.
StageResult ReadGnuPGHome(const std::string& gnupgDirectory, const std::string& programDirectory,
                          std::string& homeDirectory);

// Makes sure certdata.txt lies in the program directory, downloading it when asked.
StageResult EnsureRootList(const std::string& programDirectory);

// Reads certdata.txt into trust entries.
StageResult ParseRootList(const std::string& programDirectory, TrustEntries& entries);

// Merges the entries into trustlist.txt in the home directory after the user agrees.
StageResult WriteTrustList(const std::string& homeDirectory, const TrustEntries& entries);

// Starts a command hidden, its output and errors into `outputPath`, and waits for it.
// False when it cannot be started.
bool RunCaptured(const std::string& commandLine, const std::string& workingDirectory,
                 const std::string& outputPath);

// Runs `gpgconf --reload gpg-agent` from the GnuPG directory and waits for it. False
// when it cannot be started; its exit code plays no role.
bool ReloadGpgAgent(const std::string& gnupgDirectory);
