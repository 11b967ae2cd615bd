// Turns Mozilla's root list (certdata.txt) into the trust entries of the managed block.
#pragma once

#include <string>
#include <string_view>

// Each text is a run of entry lines ending in CR LF: "<fingerprint> S relax" for
// trusted roots and "!<fingerprint> S relax" for distrusted ones, in file order.
struct TrustEntries {
    std::string trusted;
    std::string distrusted;
};

// Scans the bytes of a root list. Every record (lines closed by an empty line)
// with a SHA-1 fingerprint line and an e-mail trust of trusted delegator or not
// trusted gives one entry, unless its fingerprint already occurs in the text
// gathered for that class. An empty `trusted` means the list is not usable.
TrustEntries GatherTrustEntries(std::string_view rootList);
