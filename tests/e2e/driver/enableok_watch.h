// Watches the BFFM_ENABLEOK messages a folder dialog is sent, through enableok_hook.dll.
#pragma once
#include <windows.h>
#include <vector>

class EnableOkWatch {
public:
    // Hooks the dialog's thread; Valid() is false when the hook cannot be set.
    explicit EnableOkWatch(HWND dialog);
    ~EnableOkWatch();
    EnableOkWatch(const EnableOkWatch&) = delete;
    EnableOkWatch& operator=(const EnableOkWatch&) = delete;
    bool Valid() const { return hook_ != nullptr; }
    // The values sent since the last call: 1 enable, 0 disable.
    std::vector<int> TakeNew();

private:
    HANDLE mapping_ = nullptr;
    struct EnableOkLog* log_ = nullptr;
    HMODULE module_ = nullptr;
    HHOOK hook_ = nullptr;
    LONG seen_ = 0;
};
