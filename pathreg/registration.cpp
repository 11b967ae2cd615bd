// The registry side of dornavet: reading an installation directory, writing and
// deleting the registration under HKEY_LOCAL_MACHINE\SOFTWARE\GNU\GnuPG.
#include "registration.h"

#include "common/win32.h"
#include "pathreg/run_mode.h"

#include <cstring>

const char kRegistrationKey[] = "SOFTWARE\\GNU\\GnuPG";
const char kGnuPG22Key[] = "SOFTWARE\\GnuPG";
static const char kValueName[] = "Install Directory";

bool PathField::Assign(const std::string& text)
{
    std::memset(bytes, 0, sizeof bytes);
    if (!FitsPathField(text))
        return false;
    std::memcpy(bytes, text.data(), text.size());
    return true;
}

std::string ReadInstallDirectory(const char* subKey)
{
    std::string registered;
    if (!ReadMachineText(subKey, kValueName, registered))
        return std::string();
    return DirectoryFromRegistry(registered);
}

bool WriteRegistration(const PathField& gnupgDirectory)
{
    KeyOwner key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRegistrationKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key.key, &disposition) != ERROR_SUCCESS)
        return false;
    // The whole field, NUL and zero padding included, so that every registration has
    // the same 260-byte shape whatever the folder's length.
    return RegSetValueExA(key.key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(gnupgDirectory.bytes),
                          sizeof gnupgDirectory.bytes) == ERROR_SUCCESS;
}

bool DeleteRegistration()
{
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRegistrationKey) == ERROR_SUCCESS;
}
