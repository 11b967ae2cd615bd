// boxprobe: the bench's own check of boxdriver. Shows one message box per argument (its
// MessageBoxA flags in hex), writes the button ids it got back to boxprobe.answers in the
// current folder, and exits with -1, so a case can tell the driver reads and answers right.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string answers;
    for (int i = 1; i < __argc; ++i) {
        UINT flags = static_cast<UINT>(std::strtoul(__argv[i], nullptr, 16));
        std::string text = std::string("probe ") + __argv[i];
        int id = MessageBoxA(nullptr, text.c_str(), "boxprobe", flags);
        answers += (answers.empty() ? "" : " ") + std::to_string(id);
    }
    if (FILE* file = std::fopen("boxprobe.answers", "wb")) {
        std::fputs(answers.c_str(), file);
        std::fclose(file);
    }
    return -1;
}
