// Merges trust entries into gpg-agent's trustlist.txt as a managed block at its end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "root_list.h"

constexpr std::string_view kBeginMarker = "# BEGIN - Mozilla CA Certificate Store";
constexpr std::string_view kEndMarker = "# END - Mozilla CA Certificate Store";
constexpr std::string_view kUpdatePrefix = "# UPDATE: ";
// The previous update stamp is shown from a field of this size.
constexpr size_t kUpdateStampFieldSize = 1024;

// Empties, in place, the lines of the first managed block (from the first line that
// is the BEGIN marker in any letter case to the first exact END marker after it, or
// to the end) and gives the last update stamp found in it; empty when none.
std::string ClearManagedBlock(std::vector<std::string>& lines);

// The whole new file: the kept lines trimmed at both ends, every group of empty
// lines made exactly two, then two empty lines and the new managed block.
std::string BuildTrustListText(const std::vector<std::string>& lines, std::string_view updateStamp,
                               const TrustEntries& entries);
