// Small Win32 wrappers both programs use: handle owners, boxes, paths, registry, mutex.
#pragma once

#include <windows.h>

#include <string>

// Closes a kernel handle on every way out; null and INVALID_HANDLE_VALUE are no handle.
struct HandleOwner {
    HANDLE handle;

    explicit HandleOwner(HANDLE h = nullptr) : handle(h) {}
    ~HandleOwner() { Close(); }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;
    bool Valid() const { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    void Close();
};

// Closes a registry key on every way out.
struct KeyOwner {
    HKEY key = nullptr;

    KeyOwner() = default;
    ~KeyOwner();
    KeyOwner(const KeyOwner&) = delete;
    KeyOwner& operator=(const KeyOwner&) = delete;
};

// A modal box without owner window; gives the button pressed.
int ShowBox(const char* caption, const std::string& text, UINT flags);

// The existence test: the system has attributes for the path (a folder counts too).
bool PathExists(const std::string& path);

// The executable's full path as the system reports it for the process's own module.
bool GetModulePath(std::string& path);

// Reads value `valueName` of HKEY_LOCAL_MACHINE\`subKey` (KEY_READ, no view flag) as a
// text of at most 1,024 bytes, whatever its type; a value without a NUL inside its
// 1,024 bytes is taken whole, never read past its end. False when the key or the
// value is missing, unreadable or longer than 1,024 bytes.
bool ReadMachineText(const char* subKey, const char* valueName, std::string& text);

// The instance mutex, created already owned. Release() gives it up once; the handle
// is left to the system to close when the process ends.
enum class MutexResult { Owned, CreateFailed, AlreadyRunning };
struct InstanceMutex {
    HANDLE handle = nullptr;
    bool owned = false;

    MutexResult Acquire(const char* name);
    void Release();
};
