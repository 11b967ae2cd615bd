// boxdriver: starts a program, answers its message boxes and folder dialogs from a script,
// and reports each dialog and the program's exit code as JSON lines on stdout.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialogs.h"
#include "enableok_watch.h"
#include "handles.h"
#include "report.h"
#include "screenshot.h"
#include "script.h"

namespace {

const DWORD kPollMs = 50;
const DWORD kSettleMs = 3000;     // longest wait for a box to paint its icon
const DWORD kCloseMs = 10000;     // longest wait for an answered dialog to go away
const DWORD kFinalExitMs = 60000; // longest wait for the program to end after its last box

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, lstrlenA(prefix), prefix) == 0;
}

// BOXDRIVER_SHOTS names a folder: each dialog is also saved there, as the screen shows it
// when its answer is about to go in, as <instance>-<n>.bmp; n counts the instance's box and
// folder events from 1. tests/release/screenshots.py makes the guides' pictures so.
std::string ShotFolder() {
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("BOXDRIVER_SHOTS", folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

class Instance {
public:
    Instance(const Script& script, const std::vector<Step>& steps, int number)
        : script_(script), steps_(steps), number_(number) {}
    bool Run();

private:
    enum class Seen { Dialog, Exited, Nothing };
    bool Start();
    Seen WaitForDialog(DWORD timeoutMs, HWND& dialog);
    bool Exited();
    bool NextAnswer(std::string& answer, bool& found);
    bool AnswerMessageBox(HWND box);
    bool AnswerFolderDialog(HWND dialog);
    bool Fail(const std::string& reason);
    void Shoot(HWND dialog);

    const Script& script_;
    const std::vector<Step>& steps_;
    const int number_;
    size_t next_ = 0;
    KernelHandle process_, thread_;
    DWORD processId_ = 0;
    int dialogEvents_ = 0;
};

void Instance::Shoot(HWND dialog) {
    static const std::string folder = ShotFolder();
    ++dialogEvents_;
    if (folder.empty()) return;
    SaveWindowPicture(dialog, folder + "\\" + std::to_string(number_) + "-" +
                                  std::to_string(dialogEvents_) + ".bmp");
}

bool Instance::Start() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> commandLine(script_.commandLine.begin(), script_.commandLine.end());
    commandLine.push_back('\0');
    const char* directory = script_.directory.empty() ? nullptr : script_.directory.c_str();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory, &startup, &info)) {
        Event("start", number_).Flag("ok", false).Number("error", GetLastError()).Emit();
        return false;
    }
    process_.Reset(info.hProcess);
    thread_.Reset(info.hThread);
    processId_ = info.dwProcessId;
    Event("start", number_).Flag("ok", true).Emit();
    return true;
}

Instance::Seen Instance::WaitForDialog(DWORD timeoutMs, HWND& dialog) {
    for (DWORD waited = 0;; waited += kPollMs) {
        std::vector<HWND> dialogs = FindDialogs(processId_);
        if (!dialogs.empty()) {
            dialog = dialogs.front();
            return Seen::Dialog;
        }
        if (WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0) return Seen::Exited;
        if (waited >= timeoutMs) return Seen::Nothing;
        Sleep(kPollMs);
    }
}

bool Instance::Exited() {
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    Event("exit", number_).Number("code", static_cast<long>(static_cast<INT32>(code))).Emit();
    if (next_ == steps_.size()) return true;
    Event("fail", number_)
        .Word("reason", "the program ended with answers left over")
        .Number("unused", static_cast<long>(steps_.size() - next_))
        .Emit();
    return false;
}

bool Instance::Fail(const std::string& reason) {
    Event("fail", number_).Word("reason", reason).Emit();
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), 5000);
    return false;
}

// Runs any second starts that come first; found is false when the answers have run out.
bool Instance::NextAnswer(std::string& answer, bool& found) {
    while (next_ < steps_.size() && steps_[next_].secondStart) {
        Instance second(script_, steps_[next_++].second, number_ + 1);
        if (!second.Run()) return Fail("the second start did not go as scripted");
    }
    found = next_ < steps_.size();
    if (found) answer = steps_[next_++].answer;
    return true;
}

bool Instance::AnswerMessageBox(HWND box) {
    DialogReading reading = ReadDialog(box, kSettleMs);
    std::string answer;
    bool found = false;
    if (!NextAnswer(answer, found)) return false;
    Event event("box", number_);
    event.Hex("caption", reading.caption).Hex("text", reading.text).Word("icon", reading.icon)
        .Words("buttons", reading.buttons);
    if (!found) {
        event.Null("answer").Emit();
        return Fail("no answer left for this box");
    }
    event.Word("answer", answer).Emit();
    Shoot(box);
    std::string error;
    if (!Press(box, answer, error)) return Fail(error);
    return WaitGone(box, kCloseMs) || Fail("the box stayed open after the answer");
}

bool Instance::AnswerFolderDialog(HWND dialog) {
    // Wine's dialog sends itself BFFM_ENABLEOK after the program's callback has, so OK's
    // state alone does not tell what the program decided; the watch sees every message.
    EnableOkWatch watch(dialog);
    for (;;) {
        std::string answer;
        bool found = false;
        if (!NextAnswer(answer, found)) return false;
        DialogReading reading = ReadDialog(dialog, 0);
        Event event("folder", number_);
        event.Hex("caption", reading.caption).Hex("text", reading.text);
        if (!found) {
            event.Flag("ok_enabled", reading.okEnabled).Null("answer").Emit();
            return Fail("no answer left for the folder dialog");
        }
        const bool choose = StartsWith(answer, "choose:");
        if (!choose && !StartsWith(answer, "select:")) {
            event.Flag("ok_enabled", reading.okEnabled).Word("answer", answer).Emit();
            Shoot(dialog);
            std::string error;
            if (!Press(dialog, answer, error)) return Fail(error);
            break;
        }
        std::string path = answer.substr(7), error;
        FolderSelection selection;
        bool selected = SelectFolder(dialog, process_.Get(), path,
                                     watch.Valid() ? &watch : nullptr, selection, error);
        event.Flag("ok_enabled", selection.okEnabled).Word("answer", choose ? "choose" : "select")
            .Hex("path", path).Hex("selected", selection.selectedItem);
        if (watch.Valid()) event.Numbers("enableok", selection.enableOk);
        else event.Null("enableok");
        event.Emit();
        Shoot(dialog);
        if (!selected) return Fail(error);
        if (!choose) continue;
        if (!selection.okEnabled) return Fail("OK is disabled for the chosen folder");
        if (!Press(dialog, "ok", error)) return Fail(error);
        break;
    }
    return WaitGone(dialog, kCloseMs) || Fail("the folder dialog stayed open after the answer");
}

bool Instance::Run() {
    if (!Start()) return false;
    for (;;) {
        HWND dialog = nullptr;
        const DWORD timeout = next_ < steps_.size() ? script_.waitMs : kFinalExitMs;
        switch (WaitForDialog(timeout, dialog)) {
        case Seen::Exited:
            return Exited();
        case Seen::Nothing:
            return Fail("no dialog appeared within " + std::to_string(timeout) + " ms");
        case Seen::Dialog:
            break;
        }
        bool folder = ReadDialog(dialog, 0).folder;
        if (!(folder ? AnswerFolderDialog(dialog) : AnswerMessageBox(dialog))) return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: boxdriver <script>\n");
        return 2;
    }
    Script script;
    std::string error;
    if (!ReadScript(argv[1], script, error)) {
        Event("fail", 0).Word("reason", "bad script: " + error).Emit();
        return 2;
    }
    return Instance(script, script.steps, 1).Run() ? 0 : 1;
}
