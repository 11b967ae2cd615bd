// Turns Mozilla's root list (certdata.txt) into the trust entries of the managed block.
#include "root_list.h"

#include "../common/bytes.h"
#include "substring_index.h"

namespace {

constexpr std::string_view kFingerprintPrefix = "# fingerprint (sha1):";
constexpr std::string_view kEntrySuffix = " S relax\r\n";

enum class TrustClass { None, Trusted, Distrusted };

// One class's gathered text with the index that makes its duplicate test cheap.
struct GatheredText {
    std::string& text;
    SubstringIndex index;

    void Add(std::string_view prefix, std::string_view fingerprint)
    {
        size_t start = text.size();
        text.append(prefix).append(fingerprint).append(kEntrySuffix);
        index.Append(std::string_view(text).substr(start));
    }
};

} // namespace

TrustEntries GatherTrustEntries(std::string_view rootList)
{
    TrustEntries entries;
    GatheredText trusted{entries.trusted, {}};
    GatheredText distrusted{entries.distrusted, {}};
    std::string fingerprint;
    TrustClass pending = TrustClass::None;

    LineReader reader(rootList);
    std::string_view line;
    while (reader.Next(line)) {
        if (line.empty()) {
            // The duplicate test searches the whole gathered text, so a fingerprint
            // that is part of a longer one (or of "S relax") counts as present.
            if (!fingerprint.empty() && pending == TrustClass::Trusted &&
                !trusted.index.Contains(fingerprint))
                trusted.Add("", fingerprint);
            else if (!fingerprint.empty() && pending == TrustClass::Distrusted &&
                     !distrusted.index.Contains(fingerprint))
                distrusted.Add("!", fingerprint);
            fingerprint.clear();
            pending = TrustClass::None;
            continue;
        }
        std::string upper = ToUpperAscii(line);
        if (upper.find("EMAIL_PROTECTION") != std::string::npos) {
            if (upper.find("TRUSTED_DELEGATOR") != std::string::npos)
                pending = TrustClass::Trusted;
            else if (upper.find("NOT_TRUSTED") != std::string::npos)
                pending = TrustClass::Distrusted;
        }
        if (line.size() >= kFingerprintPrefix.size() &&
            ToLowerAscii(line.substr(0, kFingerprintPrefix.size())) == kFingerprintPrefix)
            fingerprint = Trim(line.substr(kFingerprintPrefix.size()));
    }
    return entries;
}

void RootListProbe::EndLine()
{
    if (lineLength == 0) {
        if (pendingFingerprint && pendingClass == 1)
            found = true;
        pendingFingerprint = false;
        pendingClass = 0;
    } else {
        if (emailLine && trustedLine)
            pendingClass = 1;
        else if (emailLine && notTrustedLine)
            pendingClass = 2;
        if (fingerprintLine)
            pendingFingerprint = fingerprintHasText;
    }
    lineLength = 0;
    lineStart.clear();
    window.clear();
    fingerprintLine = fingerprintHasText = emailLine = trustedLine = notTrustedLine = false;
}

void RootListProbe::Feed(const char* data, size_t size)
{
    constexpr size_t kWindowSize = 17; // the longest marker, "TRUSTED_DELEGATOR"
    auto windowEndsWith = [this](std::string_view marker) {
        return window.size() >= marker.size() &&
               std::string_view(window).substr(window.size() - marker.size()) == marker;
    };
    if (size > 0)
        lastByte = data[size - 1];
    for (size_t i = 0; i < size && !ended && !found; ++i) {
        char c = data[i];
        if (c == '\0') {
            ended = true;
            break;
        }
        if (c == '\n' && afterCarriageReturn) {
            afterCarriageReturn = false;
            continue;
        }
        afterCarriageReturn = c == '\r';
        if (c == '\r' || c == '\n') {
            EndLine();
            continue;
        }
        ++lineLength;
        if (lineStart.size() < kFingerprintPrefix.size()) {
            lineStart += ToLowerAscii(std::string_view(&c, 1));
            fingerprintLine = lineStart == kFingerprintPrefix;
        } else if (fingerprintLine && static_cast<unsigned char>(c) > 0x20) {
            fingerprintHasText = true;
        }
        if (window.size() == kWindowSize)
            window.erase(0, 1);
        window += ToUpperAscii(std::string_view(&c, 1));
        emailLine = emailLine || windowEndsWith("EMAIL_PROTECTION");
        trustedLine = trustedLine || windowEndsWith("TRUSTED_DELEGATOR");
        notTrustedLine = notTrustedLine || windowEndsWith("NOT_TRUSTED");
    }
}
