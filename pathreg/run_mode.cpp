// dornavet's kind of run and the text rules it applies to what the registry holds.
#include "run_mode.h"

#include "common/bytes.h"

RunMode ReadRunMode(int argc, const char* const* argv)
{
    if (argc != 2 || argv == nullptr || argv[1] == nullptr)
        return RunMode::Normal;
    std::string_view argument(argv[1]);
    if (EqualsIgnoringCase(argument, "-reg"))
        return RunMode::RemoveRegistration;
    if (EqualsIgnoringCase(argument, "-lng"))
        return RunMode::RemoveLanguage;
    return RunMode::Normal;
}

std::string DirectoryFromRegistry(std::string_view registered)
{
    std::string directory(registered);
    RemoveTrailingBackslash(directory);
    if (!FitsPathField(directory))
        directory.clear();
    return directory;
}

std::string BinFolderOf(std::string_view directory)
{
    std::string bin = FormatText("%s\\bin", {directory});
    if (!FitsPathField(bin))
        bin.clear();
    return bin;
}

std::string CatalogueNameList(std::string_view gnupgDirectory)
{
    std::string list = FormatText("%s\\..\\share\\locale\\ja", {gnupgDirectory});
    list.push_back('\0');
    list.push_back('\0');
    return list;
}
