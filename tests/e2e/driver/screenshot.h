// Pictures of the dialogs for the users' guide, taken while the driver answers them
// (BOXDRIVER_SHOTS); kept to this header so that the driver's list of sources stays as it is.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

namespace screenshot_detail {

const int kSettleCopies = 30;
const DWORD kSettleStepMs = 100;

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() { ReleaseDC(nullptr, dc); }
};

struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { DeleteDC(dc); }
};

struct Bitmap {
    HBITMAP bitmap = nullptr;
    ~Bitmap() { if (bitmap) DeleteObject(bitmap); }
};

}  // namespace screenshot_detail

// Saves what the screen shows of the window (frame included) as a 24-bit BMP file.
inline bool SaveWindowPicture(HWND window, const std::string& path) {
    using namespace screenshot_detail;
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    // The screen's pixels rather than PrintWindow: Wine draws the frame and caption of an
    // unmanaged window itself, and they belong in the picture.
    ScreenDc screen;
    MemoryDc memory(screen.dc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap;
    bitmap.bitmap = CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap.bitmap || !memory.dc) return false;
    const DWORD stride = (width * 3 + 3) & ~3u;
    const size_t size = static_cast<size_t>(stride) * height;

    // A box may show its icon before its text: ask for a whole repaint, then copy the
    // screen until two copies a moment apart agree.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    std::string last;
    for (int attempt = 0; attempt < kSettleCopies; ++attempt) {
        Sleep(kSettleStepMs);
        HGDIOBJ previous = SelectObject(memory.dc, bitmap.bitmap);
        const bool copied = BitBlt(memory.dc, 0, 0, width, height, screen.dc, rect.left, rect.top, SRCCOPY);
        SelectObject(memory.dc, previous);
        GdiFlush();
        if (!copied) return false;
        std::string now(static_cast<const char*>(bits), size);
        if (now == last) break;
        last.swap(now);
    }

    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = static_cast<DWORD>(header.bfOffBits + size);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(&header, sizeof header, 1, file) == 1 &&
                         std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
                         std::fwrite(bits, size, 1, file) == 1;
    return std::fclose(file) == 0 && written;
}
