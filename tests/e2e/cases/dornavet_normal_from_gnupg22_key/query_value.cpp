// Test helper: reads one value under HKEY_LOCAL_MACHINE with RegQueryValueExA, as the
// programs do (no registry-view flag), and prints its type, its length and its bytes.
#include <windows.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: query_value <key under HKLM> <value name>\n");
        return 2;
    }
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[1], 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) {
        std::printf("open failed %ld\n", status);
        return 1;
    }
    // Larger than any value the programs write or accept, so one read is enough.
    std::vector<BYTE> data(4096);
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    status = RegQueryValueExA(key, argv[2], nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        std::printf("query failed %ld\n", status);
        return 1;
    }
    std::printf("type %lu\nlength %lu\nhex ", type, size);
    for (DWORD i = 0; i < size; ++i)
        std::printf("%02x", data[i]);
    std::printf("\n");
    return 0;
}
