// The shell's folder dialog, whose OK button is enabled only for folders that hold a
// required file or folder.
#include "folder_chooser.h"

#include "common/bytes.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace {

// Process-wide because the callback's only user data is the folder buffer's address;
// every call of ChooseFolder overwrites both before its dialog opens.
char gCaption[kPathFieldSize];
char gRequiredFile[kPathFieldSize];
// Set when the required file's name did not fit its buffer: no folder can hold it.
bool gRequiredFileTooLong = false;

// Owns the shell's COM apartment for the length of one dialog.
struct ComApartment {
    HRESULT result;

    ComApartment() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment()
    {
        // S_FALSE (already initialised on this thread) must be balanced too;
        // RPC_E_CHANGED_MODE must not.
        if (SUCCEEDED(result))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// Frees an item identifier list that the shell allocated.
struct ItemIdOwner {
    LPITEMIDLIST items;

    explicit ItemIdOwner(LPITEMIDLIST list) : items(list) {}
    ~ItemIdOwner() { CoTaskMemFree(items); }
    ItemIdOwner(const ItemIdOwner&) = delete;
    ItemIdOwner& operator=(const ItemIdOwner&) = delete;
};

void SetCaption(const char* caption)
{
    std::string_view fitting = CutToField(caption ? caption : "", kPathFieldSize);
    std::memset(gCaption, 0, sizeof gCaption);
    std::memcpy(gCaption, fitting.data(), fitting.size());
}

void SetRequiredFile(const char* requiredFile)
{
    std::string_view name(requiredFile ? requiredFile : "");
    std::memset(gRequiredFile, 0, sizeof gRequiredFile);
    gRequiredFileTooLong = !FitsPathField(name);
    if (!gRequiredFileTooLong)
        std::memcpy(gRequiredFile, name.data(), name.size());
}

// The item's file-system path without its trailing backslash (C:\ becomes C:);
// empty for an item that has none.
std::string FolderPathOf(LPCITEMIDLIST item)
{
    char path[kPathFieldSize] = {};
    if (item == nullptr || !SHGetPathFromIDListA(item, path))
        path[0] = '\0';
    std::string folder(path);
    StripTrailingBackslash(folder);
    return folder;
}

// True when the folder holds the required file (a folder of that name counts too).
// A candidate path that does not fit a path field counts as absent.
bool HoldsRequiredFile(const std::string& folder)
{
    if (gRequiredFileTooLong)
        return false;
    if (gRequiredFile[0] == '\0')
        return true;
    std::string candidate = FormatText("%s\\%s", {folder, gRequiredFile});
    return FitsPathField(candidate) && GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

bool ChooseFolder(char* folder, const char* title, const char* caption, const char* requiredFile, HWND owner)
{
    SetCaption(caption);
    SetRequiredFile(requiredFile);

    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = nullptr;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(folder);
    info.iImage = 0;

    ComApartment apartment;
    ItemIdOwner chosen(SHBrowseForFolderA(&info));
    std::string path = FolderPathOf(chosen.items);
    if (path.empty())
        return false;
    std::memcpy(folder, path.c_str(), path.size() + 1);
    return true;
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM parameter, LPARAM data)
{
    switch (message) {
    case BFFM_INITIALIZED:
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
        if (gCaption[0] != '\0')
            SetWindowTextA(window, gCaption);
        break;
    case BFFM_SELCHANGED: {
        std::string folder = FolderPathOf(reinterpret_cast<LPCITEMIDLIST>(parameter));
        SendMessageA(window, BFFM_ENABLEOK, 0, HoldsRequiredFile(folder) ? 1 : 0);
        break;
    }
    default:
        break;
    }
    return 0;
}
