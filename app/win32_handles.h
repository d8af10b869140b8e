// Owners for Win32 handles and GDI objects: one template, one line per kind of handle.
//
// Every handle the program creates is held by one of these, so no path can forget to release it
// and none can release it twice. Stock objects and shared icons (LR_SHARED, LoadIcon) belong to the
// system and are never put into an owner.
#pragma once

#include <utility>

#include <windows.h>

namespace orvanta {

// A movable, non-copyable owner of one handle, released with Close.
template <typename T, auto Close, T Invalid = T{}>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T value) noexcept : value_(value) {}
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    [[nodiscard]] T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Invalid; }

    void reset(T value = Invalid) noexcept
    {
        const T old = std::exchange(value_, value);
        if (old != Invalid) Close(old);
    }
    // Gives the handle up without releasing it.
    [[nodiscard]] T release() noexcept { return std::exchange(value_, Invalid); }

private:
    T value_ = Invalid;
};

namespace detail {
inline void delete_gdi_object(HGDIOBJ object) noexcept { DeleteObject(object); }
inline void close_kernel_handle(HANDLE handle) noexcept { CloseHandle(handle); }
inline void destroy_window(HWND window) noexcept { DestroyWindow(window); }
inline void destroy_icon(HICON icon) noexcept { DestroyIcon(icon); }
inline void delete_dc(HDC dc) noexcept { DeleteDC(dc); }
inline void unhook(HHOOK hook) noexcept { UnhookWindowsHookEx(hook); }
} // namespace detail

using UniqueFont = UniqueHandle<HFONT, detail::delete_gdi_object>;
using UniqueBrush = UniqueHandle<HBRUSH, detail::delete_gdi_object>;
using UniquePen = UniqueHandle<HPEN, detail::delete_gdi_object>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::delete_gdi_object>;
using UniqueRegion = UniqueHandle<HRGN, detail::delete_gdi_object>;
using UniqueIcon = UniqueHandle<HICON, detail::destroy_icon>;
using UniqueMemoryDc = UniqueHandle<HDC, detail::delete_dc>; // from CreateCompatibleDC or CreateDC
using UniqueWindow = UniqueHandle<HWND, detail::destroy_window>;
using UniqueHook = UniqueHandle<HHOOK, detail::unhook>;
using UniqueKernelHandle = UniqueHandle<HANDLE, detail::close_kernel_handle>;

// GetDC / ReleaseDC (or GetWindowDC for the whole window, frame included): the DC is given back to
// the window it came from.
class WindowDc {
public:
    enum class Area { client, whole_window };

    explicit WindowDc(HWND window, Area area = Area::client) noexcept
        : window_(window), dc_(area == Area::client ? GetDC(window) : GetWindowDC(window))
    {
    }
    WindowDc(WindowDc&& other) noexcept
        : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr))
    {
    }
    WindowDc& operator=(WindowDc&&) = delete;
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }

    [[nodiscard]] HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint in one object, for WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window) { dc_ = BeginPaint(window, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc()
    {
        if (dc_ != nullptr) EndPaint(window_, &paint_);
    }

    [[nodiscard]] HDC get() const noexcept { return dc_; }
    [[nodiscard]] const PAINTSTRUCT& paint() const noexcept { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

// SelectObject that puts the previous object back when the scope ends, so that the object can be
// deleted afterwards (a selected one cannot be). A null object selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr)
    {
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// SaveDC / RestoreDC: the DC's whole state (clip region, colours, modes, selections) comes back at
// the end of the scope. For drawing into a DC that belongs to someone else (WM_PRINTCLIENT).
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) noexcept : dc_(dc), saved_(SaveDC(dc)) {}
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;
    ~SavedDcState()
    {
        if (saved_ != 0) RestoreDC(dc_, saved_);
    }

private:
    HDC dc_;
    int saved_;
};

} // namespace orvanta
