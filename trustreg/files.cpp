// Whole-file reads and safe replacing writes for quelbrin's text files.
#include "files.h"

#include "../common/win32.h"
#include "root_age.h"

#include <new>

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    HandleOwner file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.handle, &size) || size.QuadPart > 0x7FFFFFFF)
        return false;
    try {
        bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    } catch (const std::bad_alloc&) {
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        DWORD want = static_cast<DWORD>(bytes.size() - done > (1u << 30) ? (1u << 30) : bytes.size() - done);
        if (!ReadFile(file.handle, &bytes[done], want, &read, nullptr))
            return false;
        if (read == 0)
            break; // the file shrank meanwhile: keep what is there
        done += read;
    }
    bytes.resize(done);
    return true;
}

static bool WriteAll(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        DWORD want = static_cast<DWORD>(bytes.size() - done > (1u << 30) ? (1u << 30) : bytes.size() - done);
        if (!WriteFile(file, bytes.data() + done, want, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool ReplaceFileContent(const std::string& path, const std::string& bytes)
{
    // Windows refuses to replace a read-only file, but Wine's MoveFileEx replaces it (and
    // drops the mark); refusing here keeps the owner's read-only file as it is on both.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    std::string temporary = path + ".tmp";
    bool whole;
    {
        HandleOwner file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid())
            return false;
        whole = WriteAll(file.handle, bytes) && FlushFileBuffers(file.handle);
    }
    if (whole && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}

int64_t FileTimeStamp(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return kNoTimeStamp;
    FILETIME local;
    WORD date = 0;
    WORD time = 0;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return kNoTimeStamp;
    return (static_cast<int64_t>(date) << 16) | time;
}
