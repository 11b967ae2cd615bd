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

// Watches a root list arrive piece by piece and tells, with memory that does not grow
// with the list, whether GatherTrustEntries would find at least one trusted entry in
// the bytes fed so far. A download is kept only when it would and, since Mozilla's
// list ends with a line end, when the bytes end with one (see EndsWithLineEnd).
struct RootListProbe {
    bool found = false;
    bool ended = false;          // a NUL byte ended the text
    bool afterCarriageReturn = false;
    size_t lineLength = 0;
    std::string lineStart;       // the first bytes of the line, lower case
    std::string window;          // the last bytes of the line, upper case
    bool fingerprintLine = false;
    bool fingerprintHasText = false;
    bool emailLine = false;
    bool trustedLine = false;
    bool notTrustedLine = false;
    bool pendingFingerprint = false;
    int pendingClass = 0;        // 0 none, 1 trusted, 2 distrusted
    char lastByte = '\0';         // the last byte fed, whatever came before it

    void Feed(const char* data, size_t size);
    bool EndsWithLineEnd() const { return lastByte == '\n' || lastByte == '\r'; }

private:
    void EndLine();
};
