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
