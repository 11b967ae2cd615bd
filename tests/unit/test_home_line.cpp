// The home directory taken from the output of `gpgsm --version`.
#include <gtest/gtest.h>

#include <string>

#include "trustreg/home_line.h"

using namespace std::string_literals;

namespace {

const std::string kHyo = "\x95\x5C"; // 表, second byte 0x5C

// What gpgsm 2.2 prints for --version, around the home line under test.
std::string VersionOutput(const std::string& homeLine)
{
    return "gpgsm (GnuPG) 2.2.41\n"
           "libgcrypt 1.8.10\n"
           "libksba 1.6.3\n"
           "Copyright (C) 2022 g10 Code GmbH\n"
           "\n" +
           homeLine +
           "\n"
           "Supported algorithms:\n"
           "Cipher: 3DES, AES128, AES192, AES256\n";
}

struct Row {
    const char* name;
    std::string output;
    std::string expected;
};

} // namespace

TEST(ReadHomeDirectory, TakesTheFirstHomeLine)
{
    const Row rows[] = {
        {"forward slashes and a trailing slash", "Home: D:/gpg/home/\r\n", "D:\\gpg\\home"},
        {"drive root keeps its backslash", "Home:C:/\r\n", "C:\\"},
        {"drive root with blanks after it", "Home: C:/  \r\n", "C:\\"},
        {"tab and blanks around", "Home:\t  E:\\keys  \r\n", "E:\\keys"},
        {"nothing after the prefix", "Home:\r\n", ""},
        {"only blanks after the prefix", "Home:  \t \r\n", ""},
        {"after several other lines", VersionOutput("Home: C:/Users/u/AppData/Roaming/gnupg"),
         "C:\\Users\\u\\AppData\\Roaming\\gnupg"},
        {"the first of two home lines", "Home: C:/first\nHome: C:/second\n", "C:\\first"},
        {"an empty first home line still decides", "Home:\nHome: C:/second\n", ""},
        {"blank before Home: is no home line", " Home: C:/x\n", ""},
        {"lower-case home: is no home line", "home: C:/x\n", ""},
        {"upper-case HOME: is no home line", "HOME: C:/x\n", ""},
        {"Home: inside a line is no home line", "xHome: C:/x\n", ""},
        {"a later real home line after a lower-case one", "home: C:/x\nHome: C:/y\n", "C:\\y"},
        {"no home line at all", VersionOutput("Homedir unknown"), ""},
        {"empty output", "", ""},
        {"control bytes around the value", "Home:\x01\x1F\tC:/x\x0B\x0C\r\n"s, "C:\\x"},
        {"lone CR line ends", "gpgsm (GnuPG) 2.2.41\rHome: C:/x\rnext", "C:\\x"},
        {"LF line ends", "gpgsm (GnuPG) 2.2.41\nHome: C:/x\nnext", "C:\\x"},
        {"last line without a line end", "gpgsm\r\nHome: C:/x/", "C:\\x"},
        {"NUL ends the text before the home line", "gpgsm\n\0Home: C:/x\n"s, ""},
        {"NUL ends the home line", "Home: C:/x\0/y\n"s, "C:\\x"},
        {"only one of two trailing separators is removed", "Home: D:/gpg//\n", "D:\\gpg\\"},
        {"blanks inside the value stay", "Home: C:/Program Files/gnupg home\n", "C:\\Program Files\\gnupg home"},
        {"folder ending in a trail-byte backslash", "Home: C:/Users/" + kHyo + "\n", "C:\\Users\\" + kHyo},
        {"the same with a trailing slash", "Home: C:/Users/" + kHyo + "/\n", "C:\\Users\\" + kHyo},
        {"UNC home", "Home: //server/share/gnupg/\n", "\\\\server\\share\\gnupg"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, ReadHomeDirectory(row.output))
            << row.name << ": expected \"" << row.expected << "\", got \"" << ReadHomeDirectory(row.output) << "\"";
}

TEST(ReadHomeDirectory, RefusesAHomeThatDoesNotFitAPathFieldRatherThanCuttingIt)
{
    const std::string longest = "C:\\" + std::string(256, 'h'); // 259 bytes: fits with its NUL
    const std::string tooLong = longest + "h";                   // 260 bytes
    const std::string huge = "C:\\" + std::string(4997, 'h');    // 5,000 bytes
    const Row rows[] = {
        {"259 bytes fit", "Home: " + longest + "\n", longest},
        {"259 bytes after the blanks are trimmed", "Home:    " + longest + "   \n", longest},
        {"260 bytes are refused", "Home: " + tooLong + "\n", ""},
        {"5,000 bytes are refused", "Home: " + huge + "\n", ""},
        {"a long first home line refuses, a later one does not count", "Home: " + huge + "\nHome: C:/x\n", ""},
    };
    for (const Row& row : rows) {
        std::string home = ReadHomeDirectory(row.output);
        EXPECT_EQ(row.expected, home) << row.name << ": expected " << row.expected.size() << " bytes, got "
                                      << home.size();
    }
}
