// Removal of GnuPG 2.2's Japanese message catalogue, the last step of a dornavet run.
#include "catalogue.h"

#include "common/win32.h"
#include "pathreg/texts.h"

#include <shellapi.h>

using namespace dornavet;

// Deletes the named folder (or file) outright with the shell; true on success.
static bool DeleteWithShell(const std::string& nameList)
{
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = nameList.c_str();
    operation.pTo = nullptr;
    // No FOF_ALLOWUNDO: the catalogue is deleted, not moved to the recycle bin; and the
    // shell shows nothing of its own, since our own boxes tell the outcome.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationA(&operation) == 0;
}

void RemoveJapaneseCatalogue(const std::string& gnupgDirectory, RunMode mode)
{
    std::string nameList = CatalogueNameList(gnupgDirectory);
    std::string path = nameList.c_str(); // the list's one name
    if (!PathExists(path)) {
        if (mode == RunMode::RemoveLanguage)
            ShowBox(kTitle, kTextNoCatalogue, MB_ICONINFORMATION | MB_OK);
        return;
    }
    if (ShowBox(kTitle, kTextAskCatalogueRemoval, MB_ICONINFORMATION | MB_OKCANCEL) != IDOK)
        return;
    if (DeleteWithShell(nameList))
        ShowBox(kTitle, kTextCatalogueRemoved, MB_ICONINFORMATION | MB_OK);
    else
        ShowBox(kTitle, kTextCatalogueRemovalFailed, MB_ICONERROR | MB_OK);
}
