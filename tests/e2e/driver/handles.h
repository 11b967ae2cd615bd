// Owners for the kernel and GDI handles the driver opens, closed on every way out.
#pragma once
#include <windows.h>

class KernelHandle {
public:
    explicit KernelHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~KernelHandle() { Reset(nullptr); }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    HANDLE Get() const { return handle_; }
    void Reset(HANDLE handle) {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_;
};

// A 32-bit top-down DIB selected into its own memory DC, so pixels can be read directly.
class PixelCanvas {
public:
    PixelCanvas(int width, int height);
    ~PixelCanvas();
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;
    bool Valid() const { return bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    DWORD Pixel(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
};
