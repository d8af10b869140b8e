// Owners for GDI and window-system handles, so that no path through the painters can leak one.
#pragma once

#include <windows.h>

#include <utility>

namespace orvanta::skin {

// Movable, non-copyable owner of one handle; Close runs once when the owner lets go of it.
template <typename Handle, auto Close>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }

    [[nodiscard]] Handle get() const noexcept { return handle_; }
    [[nodiscard]] explicit operator bool() const noexcept { return handle_ != nullptr; }

    void reset(Handle handle = nullptr) noexcept
    {
        Handle old = std::exchange(handle_, handle);
        if (old != nullptr) Close(old);
    }
    [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, nullptr); }

private:
    Handle handle_ = nullptr;
};

using UniqueBrush = UniqueHandle<HBRUSH, DeleteObject>;
using UniquePen = UniqueHandle<HPEN, DeleteObject>;
using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteObject>;
using UniqueRegion = UniqueHandle<HRGN, DeleteObject>;
// A DC made with CreateCompatibleDC or CreateDC; DCs borrowed from a window use WindowDc.
using UniqueMemoryDc = UniqueHandle<HDC, DeleteDC>;

// BeginPaint and EndPaint as one object.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window) { hdc_ = BeginPaint(window_, &paint_); }
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    [[nodiscard]] HDC get() const noexcept { return hdc_; }
    [[nodiscard]] const PAINTSTRUCT& paint() const noexcept { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC hdc_ = nullptr;
};

// A DC borrowed from a window (its client area or the whole window), given back to that same window.
class WindowDc {
public:
    enum class Area { client, whole_window };

    explicit WindowDc(HWND window, Area area = Area::client) noexcept
        : window_(window), hdc_(area == Area::client ? GetDC(window) : GetWindowDC(window))
    {
    }
    ~WindowDc()
    {
        if (hdc_ != nullptr) ReleaseDC(window_, hdc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    [[nodiscard]] HDC get() const noexcept { return hdc_; }
    [[nodiscard]] explicit operator bool() const noexcept { return hdc_ != nullptr; }

private:
    HWND window_;
    HDC hdc_;
};

// Selects an object into a DC and puts the previous one back at the end of the scope, so that the
// object can be deleted afterwards (a selected object cannot be).
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC hdc, HGDIOBJ object) noexcept
        : hdc_(hdc), previous_(object != nullptr ? SelectObject(hdc, object) : nullptr)
    {
    }
    ~SelectObjectGuard()
    {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(hdc_, previous_);
    }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

private:
    HDC hdc_;
    HGDIOBJ previous_;
};

// Saves a DC's whole state (clip region, colours, modes, selections) and restores it; the painters
// work on DCs handed in by WM_PRINTCLIENT that belong to someone else.
class SavedDcState {
public:
    explicit SavedDcState(HDC hdc) noexcept : hdc_(hdc), saved_(SaveDC(hdc)) {}
    ~SavedDcState()
    {
        if (saved_ != 0) RestoreDC(hdc_, saved_);
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;

private:
    HDC hdc_;
    int saved_;
};

} // namespace orvanta::skin
