// Sets and removes the dialog-thread hook and reads the record the hook DLL fills.
#include "enableok_watch.h"

#include "enableok_shared.h"

EnableOkWatch::EnableOkWatch(HWND dialog) {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(EnableOkLog), kEnableOkLogName);
    if (!mapping_) return;
    log_ = static_cast<EnableOkLog*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(EnableOkLog)));
    module_ = LoadLibraryA("enableok_hook.dll");
    FARPROC proc = module_ ? GetProcAddress(module_, "RecordEnableOk") : nullptr;
    if (!log_ || !proc) return;
    seen_ = log_->count;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(proc)), module_,
                              GetWindowThreadProcessId(dialog, nullptr));
}

EnableOkWatch::~EnableOkWatch() {
    if (hook_) UnhookWindowsHookEx(hook_);
    if (module_) FreeLibrary(module_);
    if (log_) UnmapViewOfFile(log_);
    if (mapping_) CloseHandle(mapping_);
}

std::vector<int> EnableOkWatch::TakeNew() {
    std::vector<int> values;
    if (!log_) return values;
    LONG count = log_->count < kEnableOkLogSize ? log_->count : kEnableOkLogSize;
    for (; seen_ < count; ++seen_) values.push_back(log_->values[seen_]);
    return values;
}
