// Keeps certdata.txt beside the program: shows its age, and fetches it over HTTPS.
#include "stages.h"

#include "../common/bytes.h"
#include "../common/win32.h"
#include "clock.h"
#include "files.h"
#include "root_age.h"
#include "texts.h"

#include <wininet.h>

#include <vector>

namespace {

// Where Mozilla publishes the root list. The tests build a copy of the program
// that differs from the release only in these two constants.
#ifdef ROOT_LIST_TEST_URL
constexpr char kRootListUrl[] = ROOT_LIST_TEST_URL;
constexpr char kRootListHost[] = ROOT_LIST_TEST_HOST;
#else
constexpr char kRootListUrl[] =
    "https://raw.githubusercontent.com/mozilla-firefox/firefox/refs/heads/release/"
    "security/nss/lib/ckfw/builtins/certdata.txt";
constexpr char kRootListHost[] = "raw.githubusercontent.com";
#endif

constexpr char kAgentName[] = "Tolvique";
constexpr DWORD kReceiveBufferSize = 262144;
constexpr DWORD kMinimumChunkSize = 1024;

struct InternetHandle {
    HINTERNET handle = nullptr;
    ~InternetHandle() { Close(); }
    void Close()
    {
        if (handle)
            InternetCloseHandle(handle);
        handle = nullptr;
    }
};

bool Fail(const char* text)
{
    ShowBox(kTitle, text, MB_OK | MB_ICONERROR);
    return false;
}

// The server's answer must be a whole 200 response that holds a usable root list;
// anything else would replace a good copy with junk.
bool Receive(HINTERNET url, HANDLE file, const char*& failure)
{
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!HttpQueryInfoA(url, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize, nullptr) ||
        status != 200) {
        failure = kTextDownloadFailed2;
        return false;
    }
    DWORD announced = 0;
    DWORD announcedSize = sizeof announced;
    bool hasLength = HttpQueryInfoA(url, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced,
                                    &announcedSize, nullptr);

    DWORD chunk = 0;
    if (!InternetQueryDataAvailable(url, &chunk, 0, 0))
        chunk = kReceiveBufferSize;
    chunk = chunk < kMinimumChunkSize ? kMinimumChunkSize : chunk > kReceiveBufferSize ? kReceiveBufferSize : chunk;

    std::vector<char> buffer(kReceiveBufferSize);
    RootListProbe probe;
    unsigned long long total = 0;
    for (;;) {
        DWORD received = 0;
        if (!InternetReadFile(url, buffer.data(), chunk, &received)) {
            failure = kTextDownloadFailed6;
            return false;
        }
        if (received == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(file, buffer.data(), received, &written, nullptr) || written != received) {
            failure = kTextDownloadFailed3;
            return false;
        }
        probe.Feed(buffer.data(), received);
        total += received;
    }
    // A transfer cut short is not always told apart from a whole one (a chunked
    // answer dropped before its last chunk reads like a complete body), but a cut
    // lands inside a line far more often than right after one.
    if ((hasLength && total != announced) || !probe.found || !probe.EndsWithLineEnd()) {
        failure = kTextDownloadFailed6;
        return false;
    }
    return true;
}

bool DownloadRootList(const std::string& programDirectory)
{
    std::string temporaryPath = FormatText("%s\\certdata.tmp", {programDirectory});
    std::string rootListPath = FormatText("%s\\certdata.txt", {programDirectory});

    HandleOwner file(CreateFileA(temporaryPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        DeleteFileA(temporaryPath.c_str());
        return Fail(kTextDownloadOpenFailed);
    }
    const char* failure = nullptr;
    {
        InternetHandle internet;
        InternetHandle url;
        internet.handle = InternetOpenA(kAgentName, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (!internet.handle) {
            failure = kTextDownloadFailed1;
        } else {
            // Always from the server, never into the cache; certificate checks stay whole.
            url.handle = InternetOpenUrlA(internet.handle, kRootListUrl, nullptr, 0,
                                          INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
            if (!url.handle)
                failure = kTextDownloadFailed2;
            else
                Receive(url.handle, file.handle, failure);
        }
        // The download file first, then the URL handle, then the internet handle.
        file.Close();
        url.Close();
        internet.Close();
    }
    if (failure) {
        DeleteFileA(temporaryPath.c_str());
        return Fail(failure);
    }
    if (!PathExists(temporaryPath))
        return Fail(kTextDownloadFailed4);
    DeleteFileA(rootListPath.c_str());
    if (!MoveFileA(temporaryPath.c_str(), rootListPath.c_str()))
        return Fail(kTextDownloadFailed5);
    return true;
}

} // namespace

StageResult EnsureRootList(const std::string& programDirectory)
{
    std::string rootListPath = FormatText("%s\\certdata.txt", {programDirectory});
    if (!PathExists(rootListPath)) {
        std::string prompt = std::string(kTextRootListMissingBeforeHost) + kRootListHost + kTextRootListMissingAfterHost;
        if (ShowBox(kTitle, prompt, MB_OKCANCEL | MB_ICONWARNING) != IDOK)
            return StageResult::Stopped;
    } else {
        int64_t stamp = FileTimeStamp(rootListPath);
        bool stale = IsFileOlderThan(stamp, kFreshnessSeconds, true, CurrentLocalTime());
        LocalTime stampTime;
        bool dated = stamp != kNoTimeStamp && UnpackDosDateTime(static_cast<uint32_t>(stamp), stampTime);
        std::string prompt = FormatText(kTextDownloadPromptBeforeHost, {dated ? DateText(stampTime) : kTextNoDateText}) +
                             kRootListHost + kTextDownloadPromptAfterHost;
        int answer = ShowBox(kTitle, prompt, MB_YESNOCANCEL | (stale ? MB_ICONWARNING : MB_ICONINFORMATION));
        if (answer == IDNO)
            return StageResult::GoOn;
        if (answer != IDYES)
            return StageResult::Stopped;
    }
    return DownloadRootList(programDirectory) ? StageResult::GoOn : StageResult::Stopped;
}
