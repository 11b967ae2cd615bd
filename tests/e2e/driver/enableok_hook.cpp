// enableok_hook.dll: the driver hooks a folder dialog's thread with it, so it runs inside the
// program under test and counts every BFFM_ENABLEOK the dialog is sent, in order.
#include <windows.h>

#include "enableok_shared.h"

namespace {

EnableOkLog* SharedLog() {
    static EnableOkLog* log = nullptr;
    if (!log) {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kEnableOkLogName);
        if (mapping)
            log = static_cast<EnableOkLog*>(
                MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(EnableOkLog)));
    }
    return log;
}

bool IsDialog(HWND window) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, "#32770") == 0;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK RecordEnableOk(int code, WPARAM wParam,
                                                                  LPARAM lParam) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == kBffmEnableOk && IsDialog(sent->hwnd)) {
        EnableOkLog* log = SharedLog();
        if (log) {
            LONG index = InterlockedIncrement(&log->count) - 1;
            if (index < kEnableOkLogSize) log->values[index] = sent->lParam != 0;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
