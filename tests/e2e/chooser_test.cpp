// The folder chooser in this process under the real shell dialog: a driver thread reads
// and answers each dialog; the callback is also called directly with a window of the
// test's own that records the messages it is sent. Exits non-zero on any failure.
#include "common/folder_chooser.h"

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Control ids of the shell's folder dialog (the same in Windows and Wine).
constexpr int kTreeId = 0x3741;
constexpr int kInstructionId = 0x3742;
// The driver waits this long for a dialog to show before it gives the run up.
constexpr DWORD kDialogWaitMilliseconds = 180000;
constexpr size_t kFolderSize = 260;

// Folders under C:\ only: Wine's selection by path gives up silently when a parent
// folder changes meanwhile, which happens under Z:\tmp.
const std::string kRoot = "C:\\orvak_chooser";
const std::string kHolder = kRoot + "\\gpg";         // holds gpgsm.exe
const std::string kEmpty = kRoot + "\\empty";        // holds nothing
const std::string kSubfolder = kRoot + "\\subdir";   // holds a folder named gpgsm.exe
const std::string kTable = kRoot + "\\\x95\x5C";     // 表: its second byte is 0x5C
const std::string kRootFile = "orvak_chooser_root.txt"; // lies in C:\ itself
const char kTitleProbe[] = "Choose the probe folder";

int gPassed = 0;
int gFailed = 0;

// Bytes outside printable ASCII as \xNN, so that a row's output reads the same anywhere.
std::string Printable(const std::string& bytes)
{
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            text.push_back(static_cast<char>(c));
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        }
    }
    return text;
}

void Check(const std::string& row, const char* what, const std::string& expected, const std::string& got)
{
    bool ok = expected == got;
    ok ? ++gPassed : ++gFailed;
    std::printf("%s %s: %s: expected \"%s\", got \"%s\"\n", ok ? "ok  " : "FAIL", row.c_str(), what,
                Printable(expected).c_str(), Printable(got).c_str());
    std::fflush(stdout);
}

// A folder of `length` bytes in all, under the root: "C:\orvak_chooser\aaa...".
std::string FolderOfLength(size_t length, char fill)
{
    return kRoot + "\\" + std::string(length - kRoot.size() - 1, fill);
}

// The folders and files the rows use: the path, and whether it is a folder.
struct Fixture {
    std::string path;
    bool folder;
};

std::vector<Fixture> Fixtures()
{
    // Candidates "%s\gpgsm.exe" of 259 and 260 bytes: the first fits a path field.
    const std::string fits = FolderOfLength(249, 'f');
    const std::string tooLong = FolderOfLength(250, 'l');
    return {
        {kRoot, true},
        {kHolder, true},
        {kHolder + "\\gpgsm.exe", false},
        {kEmpty, true},
        {kSubfolder, true},
        {kSubfolder + "\\gpgsm.exe", true},
        {kTable, true},
        {kTable + "\\gpgsm.exe", false},
        {"C:\\" + kRootFile, false},
        {fits, true},
        {fits + "\\gpgsm.exe", false},
        {tooLong, true},
        {tooLong + "\\gpgsm.exe", false},
    };
}

bool MakeFixture(const Fixture& fixture)
{
    if (fixture.folder)
        return CreateDirectoryA(fixture.path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    HANDLE file = CreateFileA(fixture.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Dates a folder as last read an hour ahead. Wine's dialog compares a path with its tree
// item by item, access times included; under relatime, listing a folder written since its
// last read changes its access time, and the dialog then loses that folder by path.
bool DateAhead(const std::string& folder)
{
    HANDLE handle = CreateFileA(folder.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER later;
    later.LowPart = now.dwLowDateTime;
    later.HighPart = now.dwHighDateTime;
    later.QuadPart += 3600ULL * 10000000ULL; // one hour in 100-ns steps
    FILETIME ahead = {later.LowPart, later.HighPart};
    bool dated = SetFileTime(handle, nullptr, &ahead, nullptr);
    CloseHandle(handle);
    return dated;
}

bool MakeFixtures()
{
    for (const Fixture& fixture : Fixtures()) {
        if (!MakeFixture(fixture) || (fixture.folder && !DateAhead(fixture.path))) {
            std::printf("FAIL cannot make %s (error %lu)\n", Printable(fixture.path).c_str(), GetLastError());
            return false;
        }
    }
    return true;
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    if (window)
        GetWindowTextA(window, text, sizeof text);
    return text;
}

// The label of the tree item that is selected now, or "" when none is.
std::string SelectedLabel(HWND tree)
{
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item)
        return std::string();
    char label[MAX_PATH] = {};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = label;
    data.cchTextMax = sizeof label;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return label;
}

// What the driver does with one dialog, and what it saw there.
struct DriverJob {
    DWORD dialogThread = 0;
    bool confirm = false;
    std::string select; // selected by path before confirming; empty: none
    bool found = false;
    std::string caption;
    std::string instruction;
    std::string openedOn; // label of the item selected when the dialog showed
};

BOOL CALLBACK TakeVisibleDialog(HWND window, LPARAM found)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND WaitForDialog(DWORD thread)
{
    for (DWORD waited = 0; waited < kDialogWaitMilliseconds; waited += 50) {
        HWND dialog = nullptr;
        EnumThreadWindows(thread, TakeVisibleDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog)
            return dialog;
        Sleep(50);
    }
    return nullptr;
}

DWORD WINAPI Drive(void* parameter)
{
    DriverJob& job = *static_cast<DriverJob*>(parameter);
    HWND dialog = WaitForDialog(job.dialogThread);
    if (!dialog) {
        // The dialog thread may be stuck in a dialog this driver cannot see: end the run.
        std::printf("FAIL no folder dialog showed within %lu ms\n", kDialogWaitMilliseconds);
        std::fflush(stdout);
        ExitProcess(3);
    }
    job.found = true;
    job.caption = WindowText(dialog);
    job.instruction = WindowText(GetDlgItem(dialog, kInstructionId));
    job.openedOn = SelectedLabel(GetDlgItem(dialog, kTreeId));
    if (job.confirm && !job.select.empty())
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(job.select.c_str()));
    PostMessageA(dialog, WM_COMMAND, job.confirm ? IDOK : IDCANCEL, 0);
    return 0;
}

// Runs `show` on this thread while the driver answers the dialog it opens.
template <typename Show>
bool WithDriver(DriverJob& job, Show show)
{
    job.dialogThread = GetCurrentThreadId();
    HANDLE driver = CreateThread(nullptr, 0, Drive, &job, 0, nullptr);
    if (!driver) {
        std::printf("FAIL cannot start the driver thread (error %lu)\n", GetLastError());
        return false;
    }
    bool result = show();
    WaitForSingleObject(driver, INFINITE);
    CloseHandle(driver);
    return result;
}

// The caption the shell gives its folder dialog when nobody sets one.
std::string DefaultCaption()
{
    DriverJob job;
    WithDriver(job, [] {
        BROWSEINFOA info = {};
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
        CoTaskMemFree(chosen);
        return chosen != nullptr;
    });
    return job.caption;
}

enum class Answer { Cancel, Confirm };

struct DialogRow {
    const char* name;
    std::string initial;
    const char* title;
    const char* caption;
    Answer answer;
    std::string select;
    bool expectedResult;
    std::string expectedFolder;   // the buffer's text afterwards
    std::string expectedCaption;  // kDefault: the shell's own
    std::string expectedOpenedOn; // label selected on opening; kAny: not looked at
};

const std::string kDefault = "<default>";
const std::string kAny = "<any>";

void RunDialogRow(const DialogRow& row, const std::string& defaultCaption)
{
    // Bytes behind the initial text show whether the whole buffer was left alone.
    char folder[kFolderSize];
    std::memset(folder, '#', sizeof folder);
    std::memcpy(folder, row.initial.c_str(), row.initial.size() + 1);
    char before[kFolderSize];
    std::memcpy(before, folder, sizeof folder);

    DriverJob job;
    job.confirm = row.answer == Answer::Confirm;
    job.select = row.select;
    bool result = WithDriver(
        job, [&] { return ChooseFolder(folder, row.title, row.caption, "gpgsm.exe", nullptr); });

    Check(row.name, "result", row.expectedResult ? "true" : "false", result ? "true" : "false");
    Check(row.name, "folder", row.expectedFolder, folder);
    if (!row.expectedResult)
        Check(row.name, "buffer untouched", "yes", std::memcmp(before, folder, sizeof folder) == 0 ? "yes" : "no");
    Check(row.name, "caption", row.expectedCaption == kDefault ? defaultCaption : row.expectedCaption, job.caption);
    Check(row.name, "instruction", row.title ? row.title : "", job.instruction);
    if (row.expectedOpenedOn != kAny)
        Check(row.name, "opened on", row.expectedOpenedOn, job.openedOn);
}

void RunDialogRows()
{
    const std::string defaultCaption = DefaultCaption();
    std::printf("     the shell's own caption: \"%s\"\n", Printable(defaultCaption).c_str());
    const std::string longCaption(300, 'c');
    // 258 bytes and then 表: a cut after 259 bytes would keep half of it.
    const std::string longCaptionDoubleByte = std::string(258, 'c') + "\x95\x5C";

    const std::vector<DialogRow> rows = {
        {"cancel", kHolder, kTitleProbe, "Sandrevo", Answer::Cancel, "", false, kHolder, "Sandrevo", "gpg"},
        {"cancel with empty buffer", "", kTitleProbe, "Tolvique", Answer::Cancel, "", false, "", "Tolvique", kAny},
        {"confirm as opened", kHolder, kTitleProbe, "Sandrevo", Answer::Confirm, "", true, kHolder, "Sandrevo", "gpg"},
        {"confirm another folder", kHolder, kTitleProbe, "Sandrevo", Answer::Confirm, kEmpty, true, kEmpty,
         "Sandrevo", "gpg"},
        {"drive root", "", kTitleProbe, "Sandrevo", Answer::Confirm, "C:\\", true, "C:", "Sandrevo", kAny},
        {"folder ending in 0x5C character", "", kTitleProbe, "Sandrevo", Answer::Confirm, kTable, true, kTable,
         "Sandrevo", kAny},
        {"opens on 0x5C character", kTable, kTitleProbe, "Sandrevo", Answer::Cancel, "", false, kTable, "Sandrevo",
         "\x95\x5C"},
        {"caption null", kHolder, kTitleProbe, nullptr, Answer::Cancel, "", false, kHolder, kDefault, "gpg"},
        {"caption empty", kHolder, kTitleProbe, "", Answer::Cancel, "", false, kHolder, kDefault, "gpg"},
        {"title null", kHolder, nullptr, "Sandrevo", Answer::Cancel, "", false, kHolder, "Sandrevo", "gpg"},
        {"caption of 300 bytes cut to 259", kHolder, kTitleProbe, longCaption.c_str(), Answer::Cancel, "", false,
         kHolder, longCaption.substr(0, 259), "gpg"},
        {"caption cut between characters", kHolder, kTitleProbe, longCaptionDoubleByte.c_str(), Answer::Cancel, "",
         false, kHolder, longCaptionDoubleByte.substr(0, 258), "gpg"},
    };
    for (const DialogRow& row : rows)
        RunDialogRow(row, defaultCaption);
}

// ---- The callback called directly -------------------------------------------------

std::string gLog;
LPARAM gFolderAddress = 0;

void Log(const std::string& entry)
{
    if (!gLog.empty())
        gLog += ' ';
    gLog += entry;
}

LRESULT CALLBACK RecordMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case BFFM_ENABLEOK:
        Log("ENABLEOK(" + std::to_string(wParam) + "," + std::to_string(lParam) + ")");
        return 0;
    case BFFM_SETSELECTIONA:
        Log("SETSELECTIONA(" + std::to_string(wParam) + "," +
            (lParam == gFolderAddress ? "folder buffer" : "other address") + ")");
        return 0;
    case WM_SETTEXT:
        Log("SETTEXT(" + std::string(reinterpret_cast<const char*>(lParam)) + ")");
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeRecorder()
{
    WNDCLASSA type = {};
    type.lpfnWndProc = RecordMessages;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "OrvakChooserRecorder";
    RegisterClassA(&type);
    return CreateWindowA(type.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance, nullptr);
}

// The shell's item id of a file-system path (given in the ANSI code page).
LPITEMIDLIST ItemOf(const std::string& path)
{
    wchar_t wide[MAX_PATH * 2] = {};
    if (!MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), -1, wide, MAX_PATH * 2))
        return nullptr;
    LPITEMIDLIST item = nullptr;
    if (FAILED(SHParseDisplayName(wide, nullptr, &item, 0, nullptr)))
        return nullptr;
    return item;
}

struct CallbackRow {
    const char* name;
    const char* caption;
    const char* requiredFile;
    UINT message;
    std::string itemPath; // BFFM_SELCHANGED: the newly selected folder
    std::string expectedLog;
};

// ChooseFolder alone fills the process-wide buffers that the callback reads: open a
// dialog with the row's caption and required file, and cancel it.
void SetChooserBuffers(const char* caption, const char* requiredFile)
{
    char folder[kFolderSize] = {};
    DriverJob job;
    WithDriver(job, [&] { return ChooseFolder(folder, nullptr, caption, requiredFile, nullptr); });
}

void RunCallbackRow(const CallbackRow& row, HWND recorder)
{
    SetChooserBuffers(row.caption, row.requiredFile);
    char folder[kFolderSize] = {};
    std::strcpy(folder, kHolder.c_str());
    gFolderAddress = reinterpret_cast<LPARAM>(folder);

    LPITEMIDLIST item = nullptr;
    if (row.message == BFFM_SELCHANGED) {
        item = ItemOf(row.itemPath);
        if (!item) {
            Check(row.name, "item id", row.itemPath, "<none>");
            return;
        }
    }
    gLog.clear();
    int result = BrowseCallback(recorder, row.message, reinterpret_cast<LPARAM>(item), gFolderAddress);
    CoTaskMemFree(item);
    Check(row.name, "messages", row.expectedLog, gLog);
    Check(row.name, "returns", "0", std::to_string(result));
}

void RunCallbackRows()
{
    HWND recorder = MakeRecorder();
    if (!recorder) {
        Check("callback", "recording window", "made", "not made");
        return;
    }
    const std::string overlongName(300, 'n');
    const std::string enabled = "ENABLEOK(0,1)";
    const std::string disabled = "ENABLEOK(0,0)";
    const std::vector<CallbackRow> rows = {
        {"opening: selection, then caption", "Sandrevo", "gpgsm.exe", BFFM_INITIALIZED, "",
         "SETSELECTIONA(1,folder buffer) SETTEXT(Sandrevo)"},
        {"opening without caption", nullptr, "gpgsm.exe", BFFM_INITIALIZED, "", "SETSELECTIONA(1,folder buffer)"},
        {"opening with empty caption", "", "gpgsm.exe", BFFM_INITIALIZED, "", "SETSELECTIONA(1,folder buffer)"},
        {"folder holds the file", "Sandrevo", "gpgsm.exe", BFFM_SELCHANGED, kHolder, enabled},
        {"folder lacks the file", "Sandrevo", "gpgsm.exe", BFFM_SELCHANGED, kEmpty, disabled},
        {"a folder named like the file counts", "Sandrevo", "gpgsm.exe", BFFM_SELCHANGED, kSubfolder, enabled},
        {"no required file", "Sandrevo", nullptr, BFFM_SELCHANGED, kEmpty, enabled},
        {"empty required file", "Sandrevo", "", BFFM_SELCHANGED, kEmpty, enabled},
        {"folder ending in 0x5C character", "Sandrevo", "gpgsm.exe", BFFM_SELCHANGED, kTable, enabled},
        {"drive root: C:\\ + file", "Sandrevo", kRootFile.c_str(), BFFM_SELCHANGED, "C:\\", enabled},
        {"drive root lacks the file", "Sandrevo", "gpgsm_absent.exe", BFFM_SELCHANGED, "C:\\", disabled},
        {"candidate of 259 bytes", "Sandrevo", "gpgsm.exe", BFFM_SELCHANGED, FolderOfLength(249, 'f'), enabled},
        {"candidate of 260 bytes counts as absent", "Sandrevo", "gpgsm.exe", BFFM_SELCHANGED,
         FolderOfLength(250, 'l'), disabled},
        {"required file too long for its buffer", "Sandrevo", overlongName.c_str(), BFFM_SELCHANGED, kHolder,
         disabled},
        {"other notification does nothing", "Sandrevo", "gpgsm.exe", BFFM_VALIDATEFAILEDA, "", ""},
    };
    for (const CallbackRow& row : rows)
        RunCallbackRow(row, recorder);
    DestroyWindow(recorder);
}

} // namespace

int main()
{
    // The 0x5C rows need the Japanese code page, in which 0x95 is a lead byte.
    if (GetACP() != 932) {
        std::printf("FAIL the ANSI code page is %u, not 932: run under a Japanese locale\n", GetACP());
        return 2;
    }
    if (!MakeFixtures())
        return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    RunDialogRows();
    RunCallbackRows();
    CoUninitialize();
    std::printf("%d passed, %d failed\n", gPassed, gFailed);
    return gFailed == 0 ? 0 : 1;
}
