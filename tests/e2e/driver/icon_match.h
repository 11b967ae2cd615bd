// Tells which standard icon a message box shows by comparing the pixels it drew with the
// pixels of the system's own icons drawn here: icon handles mean nothing across processes.
#pragma once
#include <windows.h>
#include <string>

// "error", "warning", "information", "question", or "none" when no icon is drawn or none fits.
// Sets painted false while the icon control shows nothing yet (the box has not painted).
std::string MatchIcon(HWND box, bool& painted);
