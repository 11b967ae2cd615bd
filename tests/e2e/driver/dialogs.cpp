// Win32 side of the driver: enumerating a process's dialogs, reading their controls, and
// answering them the way a click would (WM_COMMAND with BN_CLICKED from the button).
#include "dialogs.h"

#include "icon_match.h"

namespace {

const int kMessageTextId = 0xFFFF;      // the static control MessageBox puts its text in
const int kFolderInstructionId = 0x3742;  // the browse dialog's instruction text
const UINT kSetSelectionA = WM_USER + 102;  // BFFM_SETSELECTIONA
const DWORD kPollMs = 50;

struct ButtonName {
    int id;
    const char* word;
};
const ButtonName kButtons[] = {
    {IDOK, "ok"},       {IDCANCEL, "cancel"}, {IDABORT, "abort"}, {IDRETRY, "retry"},
    {IDIGNORE, "ignore"}, {IDYES, "yes"},      {IDNO, "no"},
};

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

bool HasClass(HWND window, const char* name) {
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return lstrcmpiA(className, name) == 0;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && HasClass(window, "#32770"))
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK FindTree(HWND child, LPARAM param) {
    if (!HasClass(child, "SysTreeView32")) return TRUE;
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
}

std::string WindowText(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND dialog, int id) {
    char text[4096] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

HWND VisibleButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && IsWindowVisible(button) && HasClass(button, "Button") ? button : nullptr;
}

std::vector<std::string> ListButtons(HWND dialog) {
    std::vector<std::string> words;
    for (const ButtonName& button : kButtons)
        if (VisibleButton(dialog, button.id)) words.push_back(button.word);
    return words;
}

std::string SettledIcon(HWND dialog, DWORD settleMs) {
    bool painted = false;
    std::string icon = MatchIcon(dialog, painted);
    for (DWORD waited = 0; !painted && waited < settleMs; waited += kPollMs) {
        Sleep(kPollMs);
        icon = MatchIcon(dialog, painted);
    }
    return icon;
}

}  // namespace

std::vector<HWND> FindDialogs(DWORD processId) {
    DialogSearch search = {processId, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DialogReading ReadDialog(HWND dialog, DWORD settleMs) {
    DialogReading reading;
    EnumChildWindows(dialog, FindTree, reinterpret_cast<LPARAM>(&reading.folder));
    reading.caption = WindowText(dialog);
    if (reading.folder) {
        reading.text = ItemText(dialog, kFolderInstructionId);
        HWND ok = GetDlgItem(dialog, IDOK);
        reading.okEnabled = ok && IsWindowEnabled(ok);
    } else {
        reading.text = ItemText(dialog, kMessageTextId);
        reading.buttons = ListButtons(dialog);
        reading.icon = SettledIcon(dialog, settleMs);
    }
    return reading;
}

bool Press(HWND dialog, const std::string& answer, std::string& error) {
    if (answer == "close") {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return true;
    }
    for (const ButtonName& button : kButtons) {
        if (answer != button.word) continue;
        HWND control = VisibleButton(dialog, button.id);
        if (!control) {
            error = "the dialog has no " + answer + " button";
            return false;
        }
        if (!IsWindowEnabled(control)) {
            error = "the " + answer + " button is disabled";
            return false;
        }
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
        return true;
    }
    error = "no button is called " + answer;
    return false;
}

bool SelectFolder(HWND dialog, HANDLE process, const std::string& path, bool& okEnabled,
                  std::string& error) {
    SIZE_T size = path.size() + 1;
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) {
        error = "VirtualAllocEx failed";
        return false;
    }
    bool written = WriteProcessMemory(process, remote, path.c_str(), size, nullptr) != FALSE;
    if (written)
        SendMessageA(dialog, kSetSelectionA, TRUE, reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (!written) {
        error = "WriteProcessMemory failed";
        return false;
    }
    Sleep(200);  // the selection notification reaches the program's callback by message
    HWND ok = GetDlgItem(dialog, IDOK);
    okEnabled = ok && IsWindowEnabled(ok);
    return true;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += kPollMs) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(kPollMs);
    }
    return false;
}
