// Captures a message box's icon control from the screen and finds the closest standard icon.
#include "icon_match.h"

#include "handles.h"

#include <climits>
#include <cstdlib>

namespace {

// Pixels of background around the control, so the background colour can be read off.
const int kMargin = 2;
// Mean difference per pixel (summed over the three channels) above which nothing matches.
const long kMaxMeanDistance = 48;

struct StandardIcon {
    const char* name;
    LPCSTR id;
};
const StandardIcon kStandardIcons[] = {
    {"error", IDI_HAND},
    {"warning", IDI_EXCLAMATION},
    {"information", IDI_ASTERISK},
    {"question", IDI_QUESTION},
};

BOOL CALLBACK FindIconControl(HWND child, LPARAM param) {
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(child)) {
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
    }
    return TRUE;
}

bool CaptureScreen(const RECT& area, PixelCanvas& canvas) {
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    BOOL copied = BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), screen, area.left,
                         area.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return copied != FALSE;
}

bool IsUniform(const PixelCanvas& canvas) {
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (canvas.Pixel(x, y) != canvas.Pixel(0, 0)) return false;
    return true;
}

COLORREF AsColorRef(DWORD pixel) {
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

void DrawReference(PixelCanvas& canvas, LPCSTR iconId, DWORD background, int width, int height) {
    RECT all = {0, 0, canvas.Width(), canvas.Height()};
    HBRUSH brush = CreateSolidBrush(AsColorRef(background));
    FillRect(canvas.Dc(), &all, brush);
    DeleteObject(brush);
    DrawIconEx(canvas.Dc(), kMargin, kMargin, LoadIconA(nullptr, iconId), width, height, 0,
               nullptr, DI_NORMAL);
}

long Distance(const PixelCanvas& a, const PixelCanvas& b) {
    long sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            DWORD p = a.Pixel(x, y), q = b.Pixel(x, y);
            for (int shift = 0; shift <= 16; shift += 8)
                sum += std::labs(static_cast<long>((p >> shift) & 0xFF) -
                                 static_cast<long>((q >> shift) & 0xFF));
        }
    return sum;
}

}  // namespace

PixelCanvas::PixelCanvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc_ && bitmap_) {
        previous_ = SelectObject(dc_, bitmap_);
        bits_ = static_cast<DWORD*>(bits);
    }
}

PixelCanvas::~PixelCanvas() {
    if (previous_) SelectObject(dc_, previous_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
}

std::string MatchIcon(HWND box, bool& painted) {
    painted = true;
    HWND control = nullptr;
    EnumChildWindows(box, FindIconControl, reinterpret_cast<LPARAM>(&control));
    RECT area;
    if (!control || !GetWindowRect(control, &area)) return "none";
    int width = area.right - area.left, height = area.bottom - area.top;
    InflateRect(&area, kMargin, kMargin);
    PixelCanvas shown(width + 2 * kMargin, height + 2 * kMargin);
    if (!shown.Valid() || !CaptureScreen(area, shown)) return "none";
    if (IsUniform(shown)) {
        painted = false;
        return "none";
    }
    const DWORD background = shown.Pixel(0, 0);
    const char* best = "none";
    long bestDistance = LONG_MAX;
    for (const StandardIcon& icon : kStandardIcons) {
        PixelCanvas reference(shown.Width(), shown.Height());
        if (!reference.Valid()) continue;
        DrawReference(reference, icon.id, background, width, height);
        long distance = Distance(shown, reference);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = icon.name;
        }
    }
    long pixels = static_cast<long>(shown.Width()) * shown.Height();
    return bestDistance / pixels <= kMaxMeanDistance ? best : "none";
}
