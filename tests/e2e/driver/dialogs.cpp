// Win32 side of the driver: enumerating a process's dialogs, reading their controls, and
// answering them the way a click would (WM_COMMAND with BN_CLICKED from the button).
#include "dialogs.h"

#include "icon_match.h"

#include <commctrl.h>

namespace {

const int kMessageTextId = 0xFFFF;      // the static control MessageBox puts its text in
const int kFolderTreeId = 0x3741;         // the browse dialog's folder tree
const int kFolderInstructionId = 0x3742;  // the browse dialog's instruction text
const UINT kSetSelectionA = WM_USER + 102;  // BFFM_SETSELECTIONA
const DWORD kPollMs = 50;
const int kSelectAttempts = 4;
const DWORD kSelectRetryMs = 250;

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

// The last folder name of a path ("C:" for a drive root). A 0x5C byte that is the second
// byte of a CP932 character is no separator.
std::string LastComponent(const std::string& path) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            parts.back() += path.substr(i++, 2);
        } else if (path[i] == '\\') {
            parts.emplace_back();
        } else {
            parts.back() += path[i];
        }
    }
    while (parts.size() > 1 && parts.back().empty()) parts.pop_back();
    return parts.back();
}

// Whether a tree item's text names the folder: the same name, or a drive label holding "C:".
bool NamesItem(const std::string& itemText, const std::string& name) {
    if (lstrcmpiA(itemText.c_str(), name.c_str()) == 0) return true;
    return name.size() == 2 && name[1] == ':' && itemText.find(name) != std::string::npos;
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

std::string SelectedItemText(HWND dialog, HANDLE process) {
    HWND tree = GetDlgItem(dialog, kFolderTreeId);
    HTREEITEM item = tree ? reinterpret_cast<HTREEITEM>(
                                SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0))
                          : nullptr;
    if (!item) return "";
    // The tree reads and writes the record in its own process, so it lives there.
    struct Record {
        TVITEMA item;
        char text[MAX_PATH];
    };
    Record* remote = static_cast<Record*>(
        VirtualAllocEx(process, nullptr, sizeof(Record), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote) return "";
    Record local = {};
    local.item.mask = TVIF_TEXT;
    local.item.hItem = item;
    local.item.pszText = remote->text;
    local.item.cchTextMax = MAX_PATH;
    std::string text;
    if (WriteProcessMemory(process, remote, &local, sizeof local, nullptr) &&
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote)) &&
        ReadProcessMemory(process, remote, &local, sizeof local, nullptr)) {
        local.text[MAX_PATH - 1] = '\0';
        text = local.text;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

bool SelectFolder(HWND dialog, HANDLE process, const std::string& path, EnableOkWatch* watch,
                  FolderSelection& result, std::string& error) {
    SIZE_T size = path.size() + 1;
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote || !WriteProcessMemory(process, remote, path.c_str(), size, nullptr)) {
        if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        error = "cannot write the path into the program's memory";
        return false;
    }
    // BFFM_SETSELECTIONA's result does not come back through a dialog procedure, so the
    // selected item tells whether it worked. Wine's dialog compares the path with its tree
    // item by item, folder access times included: a folder whose access time changed since
    // the tree listed it is not found again (the runner dates folders so that it does not).
    const std::string wanted = LastComponent(path);
    for (int attempt = 0; attempt < kSelectAttempts; ++attempt) {
        if (attempt) Sleep(kSelectRetryMs);
        if (watch) watch->TakeNew();
        SendMessageA(dialog, kSetSelectionA, TRUE, reinterpret_cast<LPARAM>(remote));
        result.selectedItem = SelectedItemText(dialog, process);
        if (NamesItem(result.selectedItem, wanted)) break;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    Sleep(200);  // let the selection notifications settle before OK is read
    if (watch) result.enableOk = watch->TakeNew();
    HWND ok = GetDlgItem(dialog, IDOK);
    result.okEnabled = ok && IsWindowEnabled(ok);
    if (!NamesItem(result.selectedItem, wanted)) {
        error = "the folder dialog did not select the path";
        return false;
    }
    return true;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += kPollMs) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(kPollMs);
    }
    return false;
}
