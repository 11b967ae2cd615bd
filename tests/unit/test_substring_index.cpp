// The index that answers "does this text occur in everything appended so far".
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "trustreg/substring_index.h"

using namespace std::string_literals;

TEST(SubstringIndex, FindsExactlyTheSubstringsOfTheAppendedText)
{
    struct Row {
        const char* name;
        std::vector<std::string> appended;
        std::string query;
        bool expected;
    };
    const Row rows[] = {
        {"empty query in an empty index", {}, "", true},
        {"anything in an empty index", {}, "a", false},
        {"empty query", {"abc"}, "", true},
        {"whole text", {"abc"}, "abc", true},
        {"inner part", {"abcd"}, "bc", true},
        {"longer than the text", {"abc"}, "abcd", false},
        {"letters in another order", {"abc"}, "ca", false},
        {"across two appends", {"ab", "cd"}, "bc", true},
        {"across three appends", {"a", "b", "c"}, "abc", true},
        {"only after a later append", {"ab", "ab"}, "ba", true},
        {"repeated letter", {"aaaa"}, "aaaa", true},
        {"one too many of a repeated letter", {"aaaa"}, "aaaaa", false},
        {"self-similar text", {"abaababaab"}, "babaa", true},
        {"self-similar text, absent", {"abaababaab"}, "bb", false},
        {"NUL bytes", {"a\0b"s}, "\0b"s, true},
        {"high bytes are not signed", {"\x80\xFF"}, "\xFF", true},
        {"high byte absent", {"\x80\xFE"}, "\xFF", false},
        {"entry line", {"00:11:22 S relax\r\n"}, "22 S rel", true},
        {"across entry lines", {"00:11 S relax\r\n", "22:33 S relax\r\n"}, "\r\n22", true},
    };
    for (const Row& row : rows) {
        SubstringIndex index;
        for (const std::string& piece : row.appended)
            index.Append(piece);
        EXPECT_EQ(row.expected, index.Contains(row.query)) << row.name;
    }
}

// Random texts over small alphabets, where repeats (and so the automaton's
// cloned states) are frequent: after every append, every short query gives the
// same answer as a plain search of the gathered text.
TEST(SubstringIndex, AgreesWithAPlainSearchOnRandomTexts)
{
    std::mt19937 random(20240315);
    const std::string alphabets[] = {"ab", "abc", "0:1 S", "\0\xFF\x80"s};
    int mismatches = 0;
    for (const std::string& alphabet : alphabets) {
        for (int round = 0; round < 40; ++round) {
            SubstringIndex index;
            std::string gathered;
            int appends = 1 + static_cast<int>(random() % 6);
            for (int a = 0; a < appends; ++a) {
                std::string piece;
                size_t length = random() % 12;
                for (size_t i = 0; i < length; ++i)
                    piece += alphabet[random() % alphabet.size()];
                index.Append(piece);
                gathered += piece;
                for (int q = 0; q < 60; ++q) {
                    std::string query;
                    size_t queryLength = random() % 7;
                    for (size_t i = 0; i < queryLength; ++i)
                        query += alphabet[random() % alphabet.size()];
                    bool expected = gathered.find(query) != std::string::npos;
                    if (index.Contains(query) != expected && ++mismatches <= 10)
                        ADD_FAILURE() << "text \"" << gathered << "\", query \"" << query << "\": expected "
                                      << expected << ", got " << !expected;
                }
                // Every substring that is really there is found.
                for (size_t start = 0; start < gathered.size(); ++start)
                    for (size_t length = 1; start + length <= gathered.size() && length <= 8; ++length)
                        if (!index.Contains(gathered.substr(start, length)) && ++mismatches <= 10)
                            ADD_FAILURE() << "text \"" << gathered << "\": missed \"" << gathered.substr(start, length)
                                          << "\"";
            }
        }
    }
    EXPECT_EQ(0, mismatches);
}

namespace {

// Settings under which the window sets answer every lookup without line ends,
// however many lengths come and however many windows they hold.
SubstringIndex::Settings WindowSetsOnly(uint32_t tagMask)
{
    SubstringIndex::Settings settings;
    settings.tagMask = tagMask;
    settings.maxLengths = 1000;
    settings.windowsPerTextByte = 1000;
    return settings;
}

std::string Printable(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

} // namespace

// A lookup lies within one line, so a query may only be found where it stands
// whole between two line ends; across lines, across appends and inside the
// entry shape ("FP S relax" CR LF) the answers are those of a plain search.
TEST(SubstringIndex, WindowsStayWithinTheirLines)
{
    struct Row {
        const char* name;
        std::vector<std::string> appended;
        std::string query;
        bool expected;
    };
    const std::vector<std::string> entries = {"AA:BB:CC S relax\r\n", "!DD:EE S relax\r\n"};
    const Row rows[] = {
        {"a whole fingerprint", entries, "AA:BB:CC", true},
        {"part of a longer fingerprint", entries, "BB:C", true},
        {"part of S relax", entries, "relax", true},
        {"a fingerprint and S relax", entries, "CC S re", true},
        {"the ! of a distrusted entry", entries, "!DD", true},
        {"a line's end joined to the next line's start", entries, "relax!DD", false},
        {"the same with a blank between", entries, "relax !DD", false},
        {"the first line's start", entries, "AA", true},
        {"the last line's end", entries, "EE S relax", true},
        {"the last line's end and more", entries, "EE S relaxx", false},
        {"a line split over appends", {"AA:B", "B:CC S re", "lax\r\n"}, "A:BB:CC S rel", true},
        {"a window ending exactly at an append", {"xyAB", "CD\r\n"}, "yAB", true},
        {"a window starting exactly at an append", {"xyAB", "CD\r\n"}, "CD", true},
        {"lone CR ends a line", {"ab\rcd"}, "bc", false},
        {"lone LF ends a line", {"ab\ncd"}, "bc", false},
        {"a line after a lone CR", {"ab\rcd"}, "cd", true},
        {"an unfinished last line", {"ab\r\ncdef"}, "def", true},
        {"a query longer than every line", {"abc\r\ndef\r\n"}, "abcd", false},
        {"a query that holds a line end", entries, "relax\r\n!DD", true},
    };
    for (const Row& row : rows) {
        for (const SubstringIndex::Settings& settings : {SubstringIndex::Settings{}, WindowSetsOnly(0)}) {
            // Asked after every piece, so that the window set of the query's length
            // is built early and then fed by the later appends.
            SubstringIndex index(settings);
            std::string gathered;
            for (const std::string& piece : row.appended) {
                index.Append(piece);
                gathered += piece;
                EXPECT_EQ(gathered.find(row.query) != std::string::npos, index.Contains(row.query))
                    << row.name << " after \"" << Printable(gathered) << "\" (tag mask " << settings.tagMask << ")";
            }
            EXPECT_EQ(row.expected, index.Contains(row.query)) << row.name << " (tag mask " << settings.tagMask << ")";
        }
    }
}

// Random lines over a small alphabet, appended in pieces that end anywhere, with
// lookups of many lengths after every piece: the same answers as a plain search.
// Each configuration names the path it drives: the window sets alone with full,
// shrunk or no tags (every window of a length then collides with every other),
// the default limits that move to the automaton part way, and a limit of lengths
// crossed early so that most appends go to the automaton.
TEST(SubstringIndex, AgreesWithAPlainSearchAcrossLinesLengthsAndCollisions)
{
    struct Config {
        const char* name;
        SubstringIndex::Settings settings;
        bool windowSetsOnly;
    };
    auto twoLengths = [](uint32_t tagMask) {
        SubstringIndex::Settings settings;
        settings.maxLengths = 2;
        settings.tagMask = tagMask;
        return settings;
    };
    const Config configs[] = {
        {"window sets, full tags", WindowSetsOnly(0xFFFFFFFFu), true},
        {"window sets, 2-bit tags", WindowSetsOnly(3), true},
        {"window sets, one tag", WindowSetsOnly(0), true},
        {"default limits", SubstringIndex::Settings{}, false},
        {"two lengths", twoLengths(0xFFFFFFFFu), false},
        {"two lengths, 1-bit tags", twoLengths(1), false},
    };
    const std::string alphabet = "AB:0 Sx!\r\n\r\n"; // line ends often enough for short lines
    std::mt19937 random(20240316);
    for (const Config& config : configs) {
        int mismatches = 0;
        int movedToAutomaton = 0;
        for (int round = 0; round < 60; ++round) {
            SubstringIndex index(config.settings);
            std::string gathered;
            for (int a = 0; a < 25; ++a) {
                std::string piece;
                size_t length = random() % 10;
                for (size_t i = 0; i < length; ++i)
                    piece += alphabet[random() % alphabet.size()];
                index.Append(piece);
                gathered += piece;
                for (int q = 0; q < 12; ++q) {
                    std::string query;
                    if (random() % 2 && !gathered.empty()) {
                        // A part of the text, most of them present.
                        size_t start = random() % gathered.size();
                        query = gathered.substr(start, 1 + random() % 14);
                        if (random() % 4 == 0)
                            query.back() = alphabet[random() % alphabet.size()];
                    } else {
                        size_t queryLength = 1 + random() % 14;
                        for (size_t i = 0; i < queryLength; ++i)
                            query += alphabet[random() % 8]; // no line ends
                    }
                    if (config.windowSetsOnly && query.find_first_of("\r\n") != std::string::npos)
                        continue;
                    bool expected = gathered.find(query) != std::string::npos;
                    if (index.Contains(query) != expected && ++mismatches <= 10)
                        ADD_FAILURE() << config.name << ": text \"" << Printable(gathered) << "\", query \""
                                      << Printable(query) << "\": expected " << expected << ", got " << !expected;
                }
            }
            movedToAutomaton += index.AnswersFromAutomaton() ? 1 : 0;
        }
        EXPECT_EQ(0, mismatches) << config.name;
        // Each configuration really took the path it is there for.
        if (config.windowSetsOnly)
            EXPECT_EQ(0, movedToAutomaton) << config.name;
        else
            EXPECT_EQ(60, movedToAutomaton) << config.name;
    }
}

// The index moves to the automaton when a lookup needs one length more than the
// limit, when the window sets would hold more windows than the text has bytes,
// or when a lookup holds a line end; what was appended before the move, and what
// comes after it, is found as before. One length, however long the text, stays.
TEST(SubstringIndex, MovesToTheAutomatonOnlyWhenItMust)
{
    struct Row {
        const char* name;
        std::vector<std::string> queries; // asked in turn after the first half of the text
        bool moved;
    };
    // Entry lines of 14 bytes with distinct numbers: a window set of length L holds
    // 13 - L windows a line, so two short lengths hold more windows than bytes.
    std::string first;
    std::string second;
    for (int i = 0; i < 200; ++i)
        (i < 100 ? first : second) += std::to_string(1000 + i * 7) + " S relax\r\n";
    const Row rows[] = {
        {"one length", {"1007 S", "1693 S", "9999 S"}, false},
        {"four lengths", {"1007 S relax", "007 S relax", "07 S relax", "1007 S re"}, false},
        {"five lengths", {"1007 S relax", "007 S relax", "07 S relax", "1007 S re", "1014 S r"}, true},
        {"a line end in the lookup", {"relax\r\n1007"}, true},
        {"two short lengths hold too many windows", {"1", "10"}, true},
    };
    for (const Row& row : rows) {
        SubstringIndex index;
        index.Append(first);
        for (const std::string& query : row.queries)
            EXPECT_EQ(first.find(query) != std::string::npos, index.Contains(query)) << row.name << ": " << query;
        index.Append(second);
        EXPECT_EQ(row.moved, index.AnswersFromAutomaton()) << row.name;
        // Every entry of both halves is found after the appends, and no near miss.
        const std::string all = first + second;
        for (int i = 0; i < 200; ++i) {
            std::string fingerprint = std::to_string(1000 + i * 7);
            std::string absent = std::to_string(1000 + i * 7 + 1) + " S";
            EXPECT_TRUE(index.Contains(fingerprint + " S")) << row.name << ": " << fingerprint;
            EXPECT_FALSE(index.Contains(absent)) << row.name << ": " << absent;
        }
        for (const std::string& query : row.queries)
            EXPECT_EQ(all.find(query) != std::string::npos, index.Contains(query)) << row.name << ": " << query;
    }
}

// Thousands of entries make a window set grow many times over: every fingerprint
// stays findable through each growth, with full tags and with tags so short that
// hundreds of windows share each one, and fingerprints one byte off are not found.
TEST(SubstringIndex, FindsEveryEntryThroughGrowthAndSharedTags)
{
    const uint32_t tagMasks[] = {0xFFFFFFFFu, 0xFFu};
    for (uint32_t tagMask : tagMasks) {
        SubstringIndex index(WindowSetsOnly(tagMask));
        std::mt19937 random(7);
        std::vector<std::string> fingerprints;
        static const char kHex[] = "0123456789ABCDEF";
        for (int i = 0; i < 3000; ++i) {
            std::string fingerprint;
            for (int pair = 0; pair < 8; ++pair) {
                if (pair)
                    fingerprint += ':';
                fingerprint += kHex[random() % 16];
                fingerprint += kHex[random() % 16];
            }
            // The lookup comes first, as for a record: the set of this length then
            // already exists when the entry goes in.
            EXPECT_FALSE(index.Contains(fingerprint)) << fingerprint;
            index.Append(fingerprint + " S relax\r\n");
            fingerprints.push_back(fingerprint);
        }
        int missed = 0;
        int falseHits = 0;
        for (std::string& fingerprint : fingerprints) {
            missed += index.Contains(fingerprint) ? 0 : 1;
            fingerprint.back() = fingerprint.back() == 'Z' ? 'Y' : 'Z';
            falseHits += index.Contains(fingerprint) ? 1 : 0;
        }
        EXPECT_EQ(0, missed) << "tag mask " << tagMask;
        EXPECT_EQ(0, falseHits) << "tag mask " << tagMask;
        EXPECT_FALSE(index.AnswersFromAutomaton());
    }
}
