// The root list parser: records, the two line tests, the duplicate test and the
// real root list.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "trustreg/root_list.h"

using namespace std::string_literals;

namespace {

const char kFp1[] = "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33";
const char kFp2[] = "01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67";
const char kFp3[] = "FE:DC:BA:98:76:54:32:10:FE:DC:BA:98:76:54:32:10:FE:DC:BA:98";

const char kEmailTrusted[] = "CKA_TRUST_EMAIL_PROTECTION CK_TRUST CKT_NSS_TRUSTED_DELEGATOR";
const char kEmailNotTrusted[] = "CKA_TRUST_EMAIL_PROTECTION CK_TRUST CKT_NSS_NOT_TRUSTED";
const char kEmailMustVerify[] = "CKA_TRUST_EMAIL_PROTECTION CK_TRUST CKT_NSS_MUST_VERIFY_TRUST";
const char kServerTrusted[] = "CKA_TRUST_SERVER_AUTH CK_TRUST CKT_NSS_TRUSTED_DELEGATOR";
const char kServerNotTrusted[] = "CKA_TRUST_SERVER_AUTH CK_TRUST CKT_NSS_NOT_TRUSTED";

std::string Sha1(const std::string& fingerprint) { return "# Fingerprint (SHA1): " + fingerprint; }

// Lines joined with LF, each followed by its line end.
std::string Text(const std::vector<std::string>& lines, const std::string& lineEnd = "\n")
{
    std::string text;
    for (const std::string& line : lines)
        text += line + lineEnd;
    return text;
}

std::string Trusted(const std::string& fingerprint) { return fingerprint + " S relax\r\n"; }
std::string Distrusted(const std::string& fingerprint) { return "!" + fingerprint + " S relax\r\n"; }

struct Row {
    const char* name;
    std::string rootList;
    std::string trusted;
    std::string distrusted;
};

void ExpectRows(const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        TrustEntries entries = GatherTrustEntries(row.rootList);
        EXPECT_EQ(row.trusted, entries.trusted) << row.name << " (trusted entries)";
        EXPECT_EQ(row.distrusted, entries.distrusted) << row.name << " (distrusted entries)";
    }
}

// The parser's rules as a plain model: an upper-case and a lower-case copy of
// every line, and the duplicate test as a search of the text gathered so far.
TrustEntries ModelGather(const std::string& rootList)
{
    TrustEntries entries;
    std::string text = rootList.substr(0, rootList.find('\0'));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    std::string fingerprint;
    int pending = 0; // 0 none, 1 trusted, 2 distrusted
    for (const std::string& line : lines) {
        if (line.empty()) {
            if (!fingerprint.empty() && pending == 1 && entries.trusted.find(fingerprint) == std::string::npos)
                entries.trusted += fingerprint + " S relax\r\n";
            if (!fingerprint.empty() && pending == 2 && entries.distrusted.find(fingerprint) == std::string::npos)
                entries.distrusted += "!" + fingerprint + " S relax\r\n";
            fingerprint.clear();
            pending = 0;
            continue;
        }
        std::string upper = line, lower = line;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        if (upper.find("EMAIL_PROTECTION") != std::string::npos) {
            if (upper.find("TRUSTED_DELEGATOR") != std::string::npos)
                pending = 1;
            else if (upper.find("NOT_TRUSTED") != std::string::npos)
                pending = 2;
        }
        if (lower.rfind("# fingerprint (sha1):", 0) == 0) {
            std::string rest = line.substr(21);
            size_t first = 0, last = rest.size();
            while (first < last && static_cast<unsigned char>(rest[first]) <= 0x20)
                ++first;
            while (last > first && static_cast<unsigned char>(rest[last - 1]) <= 0x20)
                --last;
            fingerprint = rest.substr(first, last - first);
        }
    }
    return entries;
}

} // namespace

TEST(GatherTrustEntries, WorkedExamples)
{
    const std::vector<std::string> trustedRecord = {Sha1(kFp1), "CKA_CLASS CK_OBJECT_CLASS CKO_NSS_TRUST",
                                                    kServerTrusted, kEmailTrusted, ""};
    const std::vector<std::string> distrustedRecord = {Sha1(kFp2), kEmailNotTrusted, ""};
    const std::vector<std::string> mustVerifyRecord = {Sha1(kFp3), kServerTrusted, kEmailMustVerify, ""};
    const std::vector<std::string> certificateRecord = {Sha1(kFp1), "CKA_CLASS CK_OBJECT_CLASS CKO_CERTIFICATE", ""};
    std::vector<std::string> all;
    for (const auto* record : {&certificateRecord, &distrustedRecord, &mustVerifyRecord, &trustedRecord})
        all.insert(all.end(), record->begin(), record->end());
    ExpectRows({
        {"trusted delegator", Text(trustedRecord), Trusted(kFp1), ""},
        {"not trusted", Text(distrustedRecord), "", Distrusted(kFp2)},
        {"must verify gives nothing", Text(mustVerifyRecord), "", ""},
        {"no e-mail trust line gives nothing", Text(certificateRecord), "", ""},
        {"all four in one file", Text(all), Trusted(kFp1), Distrusted(kFp2)},
    });
}

TEST(GatherTrustEntries, RecordsAreClosedOnlyByAnEmptyLine)
{
    ExpectRows({
        {"empty file", "", "", ""},
        {"record at the end of the file gives nothing", Sha1(kFp1) + "\n" + kEmailTrusted, "", ""},
        {"record with a line end but no empty line gives nothing", Text({Sha1(kFp1), kEmailTrusted}), "", ""},
        {"one empty line closes it", Text({Sha1(kFp1), kEmailTrusted, ""}), Trusted(kFp1), ""},
        {"a blank-only line does not close a record",
         Text({Sha1(kFp1), kEmailTrusted, " ", Sha1(kFp2), kEmailNotTrusted, ""}), "", Distrusted(kFp2)},
        {"a tab-only line does not close a record", Text({Sha1(kFp1), kEmailTrusted, "\t", Sha1(kFp2), ""}),
         Trusted(kFp2), ""},
        {"an empty line forgets the class", Text({kEmailTrusted, "", Sha1(kFp1), ""}), "", ""},
        {"an empty line forgets the fingerprint", Text({Sha1(kFp1), "", kEmailTrusted, ""}), "", ""},
        {"CR LF line ends", Text({Sha1(kFp1), kEmailTrusted, "", Sha1(kFp2), kEmailNotTrusted, ""}, "\r\n"),
         Trusted(kFp1), Distrusted(kFp2)},
        {"lone CR line ends", Text({Sha1(kFp1), kEmailTrusted, "", Sha1(kFp2), kEmailNotTrusted, ""}, "\r"),
         Trusted(kFp1), Distrusted(kFp2)},
        {"NUL before the closing empty line ends the scan",
         Sha1(kFp1) + "\n" + kEmailTrusted + "\n\0\n"s + Sha1(kFp2) + "\n" + kEmailTrusted + "\n\n", "", ""},
        {"NUL after the closing empty line",
         Sha1(kFp1) + "\n" + kEmailTrusted + "\n\n\0"s + Sha1(kFp2) + "\n" + kEmailTrusted + "\n\n", Trusted(kFp1),
         ""},
        {"entries in the order their records end",
         Text({Sha1(kFp3), kEmailTrusted, "", Sha1(kFp1), kEmailTrusted, "", Sha1(kFp2), kEmailTrusted, ""}),
         Trusted(kFp3) + Trusted(kFp1) + Trusted(kFp2), ""},
    });
}

TEST(GatherTrustEntries, LineTests)
{
    ExpectRows({
        {"e-mail trust line before the fingerprint line", Text({kEmailTrusted, Sha1(kFp1), ""}), Trusted(kFp1), ""},
        {"e-mail trust line in small letters",
         Text({Sha1(kFp1), "cka_trust_email_protection ck_trust ckt_nss_trusted_delegator", ""}), Trusted(kFp1), ""},
        {"not trusted in mixed case",
         Text({Sha1(kFp1), "Cka_Trust_Email_Protection CK_TRUST ckt_nss_Not_Trusted", ""}), "", Distrusted(kFp1)},
        {"server trust lines play no role", Text({Sha1(kFp1), kServerTrusted, ""}), "", ""},
        {"not trusted for servers plays no role", Text({Sha1(kFp1), kEmailTrusted, kServerNotTrusted, ""}),
         Trusted(kFp1), ""},
        {"a later must-verify line keeps the class", Text({Sha1(kFp1), kEmailTrusted, kEmailMustVerify, ""}),
         Trusted(kFp1), ""},
        {"a later not-trusted line wins", Text({Sha1(kFp1), kEmailTrusted, kEmailNotTrusted, ""}), "",
         Distrusted(kFp1)},
        {"trusted delegator wins within one line", Text({Sha1(kFp1), "EMAIL_PROTECTION NOT_TRUSTED TRUSTED_DELEGATOR", ""}),
         Trusted(kFp1), ""},
        {"a later fingerprint line wins", Text({Sha1(kFp1), kEmailTrusted, Sha1(kFp2), ""}), Trusted(kFp2), ""},
        {"fingerprint prefix in capitals", Text({"# FINGERPRINT (SHA1): " + std::string(kFp1), kEmailTrusted, ""}),
         Trusted(kFp1), ""},
        {"fingerprint line in small letters keeps the value's case",
         Text({"# fingerprint (sha1):   ab:cd  ", kEmailTrusted, ""}), Trusted("ab:cd"), ""},
        {"no blank needed after the colon", Text({"# Fingerprint (SHA1):AB:CD", kEmailTrusted, ""}), Trusted("AB:CD"),
         ""},
        {"tabs and control bytes around the value", Text({"# Fingerprint (SHA1):\t\x01" "AB\x1F", kEmailTrusted, ""}),
         Trusted("AB"), ""},
        {"blank before the #", Text({" " + Sha1(kFp1), kEmailTrusted, ""}), "", ""},
        {"no blank after the #", Text({"#Fingerprint (SHA1): " + std::string(kFp1), kEmailTrusted, ""}), "", ""},
        {"nothing after the colon", Text({"# Fingerprint (SHA1):", kEmailTrusted, ""}), "", ""},
        {"only blanks after the colon", Text({"# Fingerprint (SHA1):    ", kEmailTrusted, ""}), "", ""},
        {"an empty fingerprint line replaces an earlier one", Text({Sha1(kFp1), "# Fingerprint (SHA1): ", kEmailTrusted, ""}),
         "", ""},
        {"SHA-256 line is ignored", Text({Sha1(kFp1), "# Fingerprint (SHA-256): 0A:0B", kEmailTrusted, ""}),
         Trusted(kFp1), ""},
        {"SHA-256 line alone gives nothing", Text({"# Fingerprint (SHA-256): 0A:0B", kEmailTrusted, ""}), "", ""},
        {"one line passing both tests",
         Text({"# Fingerprint (SHA1): AB EMAIL_PROTECTION TRUSTED_DELEGATOR", ""}),
         Trusted("AB EMAIL_PROTECTION TRUSTED_DELEGATOR"), ""},
        {"fingerprint bytes are carried over as they are", Text({Sha1("\x95\x5C:zz"), kEmailTrusted, ""}),
         Trusted("\x95\x5C:zz"), ""},
    });
}

TEST(GatherTrustEntries, DuplicateTestIsASubstringSearchWithinTheClass)
{
    ExpectRows({
        {"same fingerprint trusted twice", Text({Sha1(kFp1), kEmailTrusted, "", Sha1(kFp1), kEmailTrusted, ""}),
         Trusted(kFp1), ""},
        {"same fingerprint distrusted twice",
         Text({Sha1(kFp2), kEmailNotTrusted, "", Sha1(kFp2), kEmailNotTrusted, ""}), "", Distrusted(kFp2)},
        {"trusted and distrusted: one entry in each",
         Text({Sha1(kFp1), kEmailTrusted, "", Sha1(kFp1), kEmailNotTrusted, "", Sha1(kFp1), kEmailTrusted, ""}),
         Trusted(kFp1), Distrusted(kFp1)},
        {"distrusted first, then trusted",
         Text({Sha1(kFp2), kEmailNotTrusted, "", Sha1(kFp2), kEmailTrusted, ""}), Trusted(kFp2), Distrusted(kFp2)},
        {"part of a longer trusted fingerprint", Text({Sha1(kFp1), kEmailTrusted, "", Sha1("AA:BB:CC"), kEmailTrusted, ""}),
         Trusted(kFp1), ""},
        {"a longer fingerprint after its part is added",
         Text({Sha1("AA:BB:CC"), kEmailTrusted, "", Sha1(kFp1), kEmailTrusted, ""}),
         Trusted("AA:BB:CC") + Trusted(kFp1), ""},
        {"part of a longer distrusted fingerprint",
         Text({Sha1(kFp2), kEmailNotTrusted, "", Sha1("45:67:89"), kEmailNotTrusted, ""}), "", Distrusted(kFp2)},
        {"part of S relax", Text({Sha1(kFp1), kEmailTrusted, "", Sha1("relax"), kEmailTrusted, ""}), Trusted(kFp1),
         ""},
        {"spanning a fingerprint and S relax", Text({Sha1(kFp1), kEmailTrusted, "", Sha1("33 S"), kEmailTrusted, ""}),
         Trusted(kFp1), ""},
        {"the ! of a distrusted entry", Text({Sha1(kFp2), kEmailNotTrusted, "", Sha1("!01"), kEmailNotTrusted, ""}),
         "", Distrusted(kFp2)},
        {"a part found only in the other class is added",
         Text({Sha1(kFp1), kEmailTrusted, "", Sha1("AA:BB"), kEmailNotTrusted, ""}), Trusted(kFp1),
         Distrusted("AA:BB")},
        {"not found across the end of one entry and the next",
         Text({Sha1("AB"), kEmailTrusted, "", Sha1("CD"), kEmailTrusted, "", Sha1("x\nCD"), kEmailTrusted, ""}),
         Trusted("AB") + Trusted("CD"), ""},
        {"found only with a case difference is not found",
         Text({Sha1("ab:cd"), kEmailTrusted, "", Sha1("AB:CD"), kEmailTrusted, ""}), Trusted("ab:cd") + Trusted("AB:CD"),
         ""},
    });
}

TEST(GatherTrustEntries, AllNotTrustedLeavesTheTrustedTextEmpty)
{
    TrustEntries entries =
        GatherTrustEntries(Text({Sha1(kFp1), kEmailNotTrusted, "", Sha1(kFp2), kEmailNotTrusted, ""}));
    EXPECT_EQ("", entries.trusted);
    EXPECT_EQ(Distrusted(kFp1) + Distrusted(kFp2), entries.distrusted);
}

// Generated root lists over a vocabulary of lines chosen to make records merge,
// repeat and overlap: the parser and the plain model agree on every one.
TEST(GatherTrustEntries, AgreesWithAPlainModelOnGeneratedRootLists)
{
    const std::string vocabulary[] = {
        "",
        "",
        " ",
        "\t",
        Sha1("AB"),
        Sha1("AB:CD"),
        Sha1("B:C"),
        Sha1("CD:AB"),
        Sha1("S"),
        Sha1("relax"),
        Sha1(" "),
        "# fingerprint (sha1): ab",
        " # Fingerprint (SHA1): AB",
        "# Fingerprint (SHA-256): AB",
        kEmailTrusted,
        kEmailNotTrusted,
        kEmailMustVerify,
        kServerTrusted,
        "cka_trust_email_protection ckt_nss_not_trusted",
        "CKA_LABEL UTF8 \"Some Root\"",
    };
    const std::string lineEnds[] = {"\n", "\r\n", "\r"};
    std::mt19937 random(7);
    int mismatches = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string rootList;
        int lines = static_cast<int>(random() % 40);
        for (int i = 0; i < lines; ++i)
            rootList += vocabulary[random() % std::size(vocabulary)] + lineEnds[random() % std::size(lineEnds)];
        if (random() % 10 == 0)
            rootList.insert(random() % (rootList.size() + 1), 1, '\0');
        TrustEntries expected = ModelGather(rootList);
        TrustEntries got = GatherTrustEntries(rootList);
        if ((expected.trusted != got.trusted || expected.distrusted != got.distrusted) && ++mismatches <= 5)
            ADD_FAILURE() << "root list:\n"
                          << rootList << "\nexpected trusted:\n"
                          << expected.trusted << "got:\n"
                          << got.trusted << "expected distrusted:\n"
                          << expected.distrusted << "got:\n"
                          << got.distrusted;
    }
    EXPECT_EQ(0, mismatches);
}

TEST(GatherTrustEntries, RealRootList)
{
    std::ifstream file(ORVAK_ROOT_LIST_FIXTURE, std::ios::binary);
    if (!file)
        GTEST_SKIP() << "no root list at " << ORVAK_ROOT_LIST_FIXTURE;
    std::string rootList((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(1338403u, rootList.size());

    TrustEntries entries = GatherTrustEntries(rootList);
    TrustEntries expected = ModelGather(rootList);
    EXPECT_EQ(expected.trusted, entries.trusted);
    EXPECT_EQ(expected.distrusted, entries.distrusted);

    // Every entry is a SHA-1 fingerprint as Mozilla writes it: 20 upper-case
    // hexadecimal byte pairs joined by colons.
    auto checkLines = [](const std::string& text, const std::string& prefix, size_t& count) {
        size_t start = 0;
        count = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            ASSERT_NE(std::string::npos, end);
            std::string line = text.substr(start, end - start);
            ASSERT_EQ(prefix.size() + 59 + 8, line.size()) << line;
            EXPECT_EQ(prefix, line.substr(0, prefix.size())) << line;
            EXPECT_EQ(" S relax", line.substr(prefix.size() + 59)) << line;
            for (size_t i = 0; i < 59; ++i) {
                char c = line[prefix.size() + i];
                bool ok = i % 3 == 2 ? c == ':' : ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
                EXPECT_TRUE(ok) << line;
            }
            ++count;
            start = end + 2;
        }
    };
    size_t trusted = 0, distrusted = 0;
    checkLines(entries.trusted, "", trusted);
    checkLines(entries.distrusted, "!", distrusted);
    // The roots trusted for e-mail number in the dozens; a parser that missed
    // the e-mail test or the record rule would be far off.
    EXPECT_GT(trusted, 50u);
    EXPECT_LT(trusted, 200u);
    std::printf("real root list: %zu trusted, %zu distrusted entries\n", trusted, distrusted);
}
