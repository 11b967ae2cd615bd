// The local time now, and date texts in the user's regional settings.
#include "clock.h"

#include <windows.h>

namespace {

std::string LocaleText(LCTYPE type)
{
    char value[128] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, type, value, sizeof value);
    return value;
}

} // namespace

LocalTime CurrentLocalTime()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::string DateText(const LocalTime& time)
{
    SYSTEMTIME date = {};
    date.wYear = static_cast<WORD>(time.year);
    date.wMonth = static_cast<WORD>(time.month);
    date.wDay = static_cast<WORD>(time.day);
    char dateText[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, dateText, sizeof dateText);
    std::string markPosition = LocaleText(LOCALE_ITIMEMARKPOSN);
    TimeStyle style{LocaleText(LOCALE_ITLZERO) == "1",
                    LocaleText(LOCALE_ITIME) == "0",
                    !markPosition.empty() && markPosition != "0",
                    LocaleText(LOCALE_STIME),
                    LocaleText(LOCALE_S1159),
                    LocaleText(LOCALE_S2359)};
    return JoinDateAndTime(dateText, time, style);
}
