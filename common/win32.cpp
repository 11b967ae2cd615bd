// Small Win32 wrappers both programs use: handle owners, boxes, paths, registry, mutex.
#include "win32.h"

void HandleOwner::Close()
{
    if (Valid())
        CloseHandle(handle);
    handle = nullptr;
}

KeyOwner::~KeyOwner()
{
    if (key)
        RegCloseKey(key);
}

int ShowBox(const char* caption, const std::string& text, UINT flags)
{
    return MessageBoxA(nullptr, text.c_str(), caption, flags);
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool GetModulePath(std::string& path)
{
    // Grow until the path fits: GetModuleFileNameA cuts silently at the buffer's end.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::string buffer(size, '\0');
        DWORD length = GetModuleFileNameA(nullptr, &buffer[0], size);
        if (length == 0)
            return false;
        if (length < size) {
            buffer.resize(length);
            path = buffer;
            return true;
        }
    }
    return false;
}

bool ReadMachineText(const char* subKey, const char* valueName, std::string& text)
{
    constexpr DWORD kValueLimit = 1024;
    KeyOwner key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &key.key) != ERROR_SUCCESS)
        return false;
    // One byte more than the value may hold, so that a value of exactly 1,024 bytes
    // without a NUL still ends inside the buffer.
    char data[kValueLimit + 1] = {};
    DWORD size = kValueLimit;
    if (RegQueryValueExA(key.key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS)
        return false;
    data[size < kValueLimit ? size : kValueLimit] = '\0';
    text = data;
    return true;
}

MutexResult InstanceMutex::Acquire(const char* name)
{
    handle = CreateMutexA(nullptr, TRUE, name);
    if (!handle)
        return MutexResult::CreateFailed;
    if (GetLastError() != 0)
        return MutexResult::AlreadyRunning;
    owned = true;
    return MutexResult::Owned;
}

void InstanceMutex::Release()
{
    if (owned)
        ReleaseMutex(handle);
    owned = false;
}
