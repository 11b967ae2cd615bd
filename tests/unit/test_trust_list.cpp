// The trust list merge: emptying the old managed block, and the new text with its
// empty-line normalisation and the new block at the end.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "trustreg/trust_list.h"

namespace {

const std::string kBegin = "# BEGIN - Mozilla CA Certificate Store";
const std::string kEnd = "# END - Mozilla CA Certificate Store";

// The trust list that a new file is made from: 13 lines, 698 bytes.
const std::string kTemplate =
    "# This is the list of trusted keys.  Comment lines, like this one, as\r\n"
    "# well as empty lines are ignored.  Lines have a length limit but this\r\n"
    "# is not a serious limitation as the format of the entries is fixed and\r\n"
    "# checked by gpg-agent.  A non-comment line starts with optional white\r\n"
    "# space, followed by the SHA-1 fingerpint in hex, followed by a flag\r\n"
    "# which may be one of 'P', 'S' or '*' and optionally followed by a list of\r\n"
    "# other flags.  The fingerprint may be prefixed with a '!' to mark the\r\n"
    "# key as not trusted.  You should give the gpg-agent a HUP or run the\r\n"
    "# command \"gpgconf --reload gpg-agent\" after changing this file.\r\n"
    "\r\n"
    "\r\n"
    "# Include the default trust list\r\n"
    "include-default\r\n";

const TrustEntries kEntries = {
    "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33 S relax\r\n",
    "!01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67 S relax\r\n",
};
const char kStamp[] = "2024/03/15 12:34:56";

// The managed block as it is written, every line ending with CR LF.
std::string Block(const std::string& stamp, const TrustEntries& entries = kEntries)
{
    return kBegin + "\r\n# UPDATE: " + stamp + "\r\n" + entries.trusted + entries.distrusted + kEnd + "\r\n";
}

struct Merged {
    std::string previousStamp;
    std::string text;
};

// What a run does between loading the file and saving it.
Merged Merge(const std::string& file, const std::string& stamp = kStamp, const TrustEntries& entries = kEntries)
{
    std::vector<std::string> lines = SplitLines(file);
    Merged merged;
    merged.previousStamp = ClearManagedBlock(lines);
    merged.text = BuildTrustListText(lines, stamp, entries);
    return merged;
}

std::string Visible(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n\n";
        else if (c < 0x20 || c >= 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "<%02X>", c);
            out += buffer;
        } else
            out += static_cast<char>(c);
    }
    return out;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    std::string out;
    size_t start = 0;
    for (size_t at; (at = text.find(from, start)) != std::string::npos; start = at + from.size())
        out.append(text, start, at - start).append(to);
    out.append(text, start, std::string::npos);
    return out;
}

// The new text, built literally by the string operations that define it.
std::string ModelBuild(const std::vector<std::string>& lines, const std::string& stamp, const TrustEntries& entries)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 0x20)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20)
        --last;
    text = text.substr(first, last - first);
    text = ReplaceAll(text, "\r\n\r\n", "\r\n\r\n\r\n");
    while (text.find("\r\n\r\n\r\n\r\n") != std::string::npos)
        text = ReplaceAll(text, "\r\n\r\n\r\n\r\n", "\r\n\r\n\r\n");
    return text + "\r\n\r\n\r\n" + kBegin + "\r\n# UPDATE: " + stamp + "\r\n" + entries.trusted + entries.distrusted +
           kEnd + "\r\n";
}

// The old block emptied line by line, as the merge describes it.
std::string ModelClear(std::vector<std::string>& lines)
{
    std::string stamp;
    size_t i = 0;
    while (i < lines.size() && !EqualsIgnoringCase(lines[i], kBegin))
        ++i;
    for (; i < lines.size(); ++i) {
        if (lines[i].compare(0, 10, "# UPDATE: ") == 0)
            stamp = lines[i].substr(10);
        if (lines[i] == kEnd) {
            lines[i].clear();
            break;
        }
        lines[i].clear();
    }
    return stamp;
}

} // namespace

TEST(TrustListTemplate, HasItsFixedSize)
{
    EXPECT_EQ(698u, kTemplate.size());
}

// The program's own copy, from which its resource is made, is the same text.
TEST(TrustListTemplate, ProgramsCopyIsTheTemplate)
{
    std::ifstream file(ORVAK_SOURCE_DIR "/trustreg/trustlist.txt", std::ios::binary);
    ASSERT_TRUE(file) << "trustreg/trustlist.txt is missing";
    std::string copy((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kTemplate, copy) << "expected:\n" << Visible(kTemplate) << "got:\n" << Visible(copy);
}

TEST(BuildTrustListText, FirstRegistrationOfTheTemplateGivesTheWorkedExample)
{
    Merged merged = Merge(kTemplate);
    EXPECT_EQ("", merged.previousStamp);
    // Lines 1 to 13 are the template; lines 14 and 15 are empty; then the block.
    const std::string expected = kTemplate + "\r\n\r\n" + kBegin + "\r\n# UPDATE: " + kStamp + "\r\n" +
                                 "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33 S relax\r\n" +
                                 "!01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67 S relax\r\n" + kEnd +
                                 "\r\n";
    EXPECT_EQ(expected, merged.text) << "expected:\n" << Visible(expected) << "got:\n" << Visible(merged.text);
    EXPECT_EQ(20u, SplitLines(merged.text).size());
}

TEST(BuildTrustListText, ReRegistrationGivesTheSameBytesApartFromTheStamp)
{
    const std::string first = Merge(kTemplate).text;
    Merged second = Merge(first, "2024/05/01 8:00:00");
    EXPECT_EQ(kStamp, second.previousStamp);
    EXPECT_EQ(kTemplate + "\r\n\r\n" + Block("2024/05/01 8:00:00"), second.text) << Visible(second.text);
    // And a third time, with the same stamp, nothing moves at all.
    Merged third = Merge(second.text, "2024/05/01 8:00:00");
    EXPECT_EQ(second.text, third.text);
}

TEST(BuildTrustListText, WithoutDistrustedEntriesTheEndMarkerFollowsTheLastTrustedEntry)
{
    TrustEntries onlyTrusted = {"AA S relax\r\nBB S relax\r\n", ""};
    EXPECT_EQ("x\r\n\r\n\r\n" + kBegin + "\r\n# UPDATE: s\r\nAA S relax\r\nBB S relax\r\n" + kEnd + "\r\n",
              Merge("x", "s", onlyTrusted).text);
}

TEST(MergeTrustList, StatesOfTheFileAndEdgeCases)
{
    struct Row {
        const char* name;
        std::string file;
        std::string previousStamp;
        std::string text;
    };
    const std::string freshStart = "\r\n\r\n\r\n" + Block(kStamp);
    const std::string tail = "\r\n\r\n\r\n" + Block(kStamp);
    const Row rows[] = {
        {"empty file: three empty lines, then the block", "", "", freshStart},
        {"only whitespace", " \r\n\t\r\n\r\n  ", "", freshStart},
        {"only an earlier block: three empty lines first", Block("old"), "old", freshStart},
        {"only an earlier block with LF line ends", ReplaceAll(Block("old"), "\r\n", "\n"), "old", freshStart},
        {"no BEGIN marker", "a\r\nb\r\n", "", "a\r\nb" + tail},
        {"lines before the block", "a\r\n" + Block("old"), "old", "a" + tail},
        {"user lines after the block move before the new one", "a\r\n\r\n" + Block("old") + "b\r\n", "old",
         "a\r\n\r\n\r\nb" + tail},
        {"the same between larger groups of empty lines", "a\r\n\r\n\r\n\r\n" + Block("old") + "\r\n\r\n\r\nb", "old",
         "a\r\n\r\n\r\nb" + tail},
        {"block without an update line", "a\r\n" + kBegin + "\r\nX S relax\r\n" + kEnd + "\r\n", "", "a" + tail},
        {"BEGIN marker in small letters is found",
         "a\r\n# begin - mozilla ca certificate store\r\n# UPDATE: old\r\nX S relax\r\n" + kEnd + "\r\nb\r\n", "old",
         "a\r\n\r\n\r\nb" + tail},
        {"END marker in small letters does not end the block",
         "a\r\n" + kBegin + "\r\n# UPDATE: old\r\nX S relax\r\n# end - mozilla ca certificate store\r\nb\r\n", "old",
         "a" + tail},
        {"END marker with a trailing blank does not end the block",
         "a\r\n" + kBegin + "\r\n# UPDATE: old\r\n" + kEnd + " \r\nb\r\n", "old", "a" + tail},
        {"END marker with a leading blank does not end the block",
         "a\r\n" + kBegin + "\r\n# UPDATE: old\r\n " + kEnd + "\r\nb\r\n", "old", "a" + tail},
        {"no END marker: everything after BEGIN goes", "a\r\n" + kBegin + "\r\n# UPDATE: old\r\nX\r\nb", "old",
         "a" + tail},
        {"BEGIN marker with a trailing blank is not found",
         kBegin + " \r\n# UPDATE: old\r\nX S relax\r\n" + kEnd + "\r\n", "",
         kBegin + " \r\n# UPDATE: old\r\nX S relax\r\n" + kEnd + tail},
        {"an END marker before the BEGIN marker stays", kEnd + "\r\n" + kBegin + "\r\nX\r\n", "", kEnd + tail},
        {"two blocks: only the first is replaced", "a\r\n" + Block("one") + "b\r\n" + Block("two"), "one",
         "a\r\n\r\n\r\nb\r\n" + Block("two") + "\r\n\r\n" + Block(kStamp)},
        {"update line before the block is ignored and stays", "# UPDATE: outside\r\n" + kBegin + "\r\n" + kEnd, "",
         "# UPDATE: outside" + tail},
        {"update line after the block is ignored and stays", Block("old") + "# UPDATE: after\r\n", "old",
         "# UPDATE: after" + tail},
        {"update line without the blank after the colon", kBegin + "\r\n# UPDATE:2024/01/01\r\n" + kEnd, "",
         freshStart},
        {"update line in small letters", kBegin + "\r\n# update: 2024/01/01\r\n" + kEnd, "", freshStart},
        {"update line with an empty value", kBegin + "\r\n# UPDATE: \r\n" + kEnd, "", freshStart},
        {"two update lines: the later one wins", kBegin + "\r\n# UPDATE: one\r\n# UPDATE: two\r\n" + kEnd, "two",
         freshStart},
        {"two update lines: a later empty one wins", kBegin + "\r\n# UPDATE: one\r\n# UPDATE: \r\n" + kEnd, "",
         freshStart},
        {"update value is taken as it stands", kBegin + "\r\n# UPDATE:  x \r\n" + kEnd, " x ", freshStart},
        {"three or more empty lines become two", "a\r\n\r\n\r\n\r\n\r\nb\r\n", "", "a\r\n\r\n\r\nb" + tail},
        {"a single empty line becomes two", "a\r\n\r\nb", "", "a\r\n\r\n\r\nb" + tail},
        {"two empty lines stay two", "a\r\n\r\n\r\nb", "", "a\r\n\r\n\r\nb" + tail},
        {"blank-only lines are text", "a\r\n \r\nb\r\n\t\r\nc", "", "a\r\n \r\nb\r\n\t\r\nc" + tail},
        {"blanks around the whole text go, inner ones stay", "  \t a  \r\n  b  \r\n  ", "", "a  \r\n  b" + tail},
        {"LF and lone CR line ends become CR LF", "a\nb\rc\n\n\nd", "", "a\r\nb\r\nc\r\n\r\n\r\nd" + tail},
        {"full-width blanks are not trimmed", "\x81\x40" "a\x81\x40", "", "\x81\x40" "a\x81\x40" + tail},
        {"NUL ends the file", std::string("a\r\n\0b\r\n", 7), "", "a" + tail},
    };
    for (const Row& row : rows) {
        Merged merged = Merge(row.file);
        EXPECT_EQ(row.previousStamp, merged.previousStamp) << row.name;
        EXPECT_EQ(row.text, merged.text) << row.name << "\nexpected:\n"
                                         << Visible(row.text) << "got:\n"
                                         << Visible(merged.text);
    }
}

TEST(ClearManagedBlock, EmptiesTheBlockLinesInPlace)
{
    struct Row {
        const char* name;
        std::vector<std::string> lines;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"block between lines", {"a", kBegin, "# UPDATE: s", "X S relax", kEnd, "b"}, {"a", "", "", "", "", "b"}},
        {"no BEGIN marker", {"a", "# UPDATE: s", kEnd}, {"a", "# UPDATE: s", kEnd}},
        {"no END marker", {"a", kBegin, "X", "b"}, {"a", "", "", ""}},
        {"second block untouched", {kBegin, kEnd, kBegin, "X", kEnd}, {"", "", kBegin, "X", kEnd}},
        {"second BEGIN inside the first block", {kBegin, "X", kBegin, "Y", kEnd, "b"}, {"", "", "", "", "", "b"}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> lines = row.lines;
        ClearManagedBlock(lines);
        EXPECT_EQ(row.expected, lines) << row.name;
    }
}

// Many generated files, merged by the real code and by the literal model: the
// same previous stamp and the same bytes. Then the output, merged again, gives
// itself back whenever its new block is its first.
TEST(MergeTrustList, AgreesWithTheLiteralModelOnGeneratedFiles)
{
    const std::string pieces[] = {
        "a", "b c", " ", "\t", "\x81\x40", "\r\n", "\r\n", "\r\n\r\n", "\n", "\r", "\n\r",
        kBegin, "# begin - mozilla ca certificate store", kEnd, kEnd + " ", "# UPDATE: ", "# UPDATE: old",
        "# UPDATE:x", "X S relax",
    };
    std::mt19937 random(31);
    int mismatches = 0;
    for (int round = 0; round < 4000 && mismatches < 5; ++round) {
        std::string file;
        int count = static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i)
            file += pieces[random() % std::size(pieces)];
        TrustEntries entries = {round % 3 ? "T" + std::to_string(round) + " S relax\r\n" : "",
                                round % 2 ? "!D S relax\r\n" : ""};

        std::vector<std::string> modelLines = SplitLines(file);
        std::string modelStamp = ModelClear(modelLines);
        std::string expected = ModelBuild(modelLines, "s", entries);
        Merged merged = Merge(file, "s", entries);
        if ((modelStamp != merged.previousStamp || expected != merged.text) && ++mismatches)
            ADD_FAILURE() << "file:\n"
                          << Visible(file) << "\nexpected stamp \"" << modelStamp << "\", got \""
                          << merged.previousStamp << "\"\nexpected:\n"
                          << Visible(expected) << "got:\n"
                          << Visible(merged.text);

        // When the new block is the first one in the output (the kept text can
        // hold a later block, or a marker that only the trim made whole),
        // merging again replaces exactly it.
        int beginLines = 0;
        for (const std::string& line : SplitLines(merged.text))
            beginLines += EqualsIgnoringCase(line, kBegin) ? 1 : 0;
        if (beginLines != 1)
            continue;
        Merged again = Merge(merged.text, "s", entries);
        if ((again.text != merged.text || again.previousStamp != "s") && ++mismatches)
            ADD_FAILURE() << "merging the output of\n" << Visible(file) << "\nagain changed it:\n" << Visible(merged.text) << "became:\n"
                          << Visible(again.text);
    }
    EXPECT_EQ(0, mismatches);
}

// The normalisation alone, on line lists that a file could not produce (lines
// holding CR or LF themselves): still the literal string replacements.
TEST(BuildTrustListText, NormalisesLikeTheLiteralReplacementsOnAnyLines)
{
    const std::string pieces[] = {"", "", "", "a", " ", "\r", "\n", "\r\n", "\n\r", "\x81\x40"};
    std::mt19937 random(97);
    int mismatches = 0;
    for (int round = 0; round < 4000 && mismatches < 5; ++round) {
        std::vector<std::string> lines(random() % 12);
        for (std::string& line : lines)
            for (int i = static_cast<int>(random() % 3); i > 0; --i)
                line += pieces[random() % std::size(pieces)];
        std::string expected = ModelBuild(lines, "s", kEntries);
        std::string got = BuildTrustListText(lines, "s", kEntries);
        if (expected != got && ++mismatches)
            ADD_FAILURE() << "expected:\n" << Visible(expected) << "got:\n" << Visible(got);
    }
    EXPECT_EQ(0, mismatches);
}
