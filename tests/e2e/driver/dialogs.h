// Finding, reading and answering the message boxes and folder dialogs of a target process.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "enableok_watch.h"

struct DialogReading {
    bool folder = false;               // the shell's folder dialog rather than a message box
    std::string caption;
    std::string text;                  // message text, or the folder dialog's instruction
    std::string icon;                  // message boxes only
    std::vector<std::string> buttons;  // message boxes only, in id order
    bool okEnabled = false;            // folder dialogs only
};

// Visible top-level dialog windows (class #32770) of the process, in z-order.
std::vector<HWND> FindDialogs(DWORD processId);

// Reads a dialog once it has painted (waits up to settleMs for the icon to appear).
DialogReading ReadDialog(HWND dialog, DWORD settleMs);

// Clicks the button an answer word names (ok, cancel, yes, ...) or closes the window (close).
bool Press(HWND dialog, const std::string& answer, std::string& error);

struct FolderSelection {
    std::string selectedItem;    // text of the tree item selected afterwards
    bool okEnabled = false;      // OK's state afterwards
    std::vector<int> enableOk;   // BFFM_ENABLEOK values sent during the selection that took
};

// Puts path into the target's memory and selects it in the folder dialog with
// BFFM_SETSELECTIONA; fails when the tree does not end up on that folder. watch may be null.
bool SelectFolder(HWND dialog, HANDLE process, const std::string& path, EnableOkWatch* watch,
                  FolderSelection& result, std::string& error);

// Waits until the window is destroyed or hidden.
bool WaitGone(HWND window, DWORD timeoutMs);
