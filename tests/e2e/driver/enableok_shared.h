// The shared record through which enableok_hook.dll tells the driver what BFFM_ENABLEOK sent.
#pragma once
#include <windows.h>

const char kEnableOkLogName[] = "Local\\boxdriver-enableok";
const UINT kBffmEnableOk = WM_USER + 101;
const LONG kEnableOkLogSize = 256;

struct EnableOkLog {
    volatile LONG count;
    LONG values[kEnableOkLogSize];  // 1 for enable, 0 for disable, in the order sent
};
