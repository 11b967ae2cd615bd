// showbox: shows one message box, for the guide's pictures of boxes no scenario reaches.
//   showbox <caption> <flags, hex> <text as hex of its CP932 bytes>
// The caller takes caption, flags and text from the bench's table of every box
// (tests/e2e/texts.py), whose texts the release checks find in the built programs.
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc != 4)
        return 2;
    std::string text;
    const std::string hex = __argv[3];
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        text += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    UINT flags = static_cast<UINT>(std::strtoul(__argv[2], nullptr, 16));
    MessageBoxA(nullptr, text.c_str(), __argv[1], flags);
    return 0;
}
