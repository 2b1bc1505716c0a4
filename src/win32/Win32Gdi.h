#pragma once

// Owners of GDI objects and device contexts, so that every select is undone and every
// object deleted on each way out of a drawing function.

#include <windows.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace win32 {

// A pen, brush, font, region or bitmap this code created: deleted when the owner goes.
template <typename H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H handle) : handle_(handle) {}
  ~GdiObject() { reset(); }
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  H get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Hands the object over to a caller that deletes it itself.
  H release() { return std::exchange(handle_, nullptr); }
  void reset(H handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = nullptr;
};

using OwnedFont = GdiObject<HFONT>;
using OwnedPen = GdiObject<HPEN>;
using OwnedBrush = GdiObject<HBRUSH>;
using OwnedRegion = GdiObject<HRGN>;

// An object selected into a DC for a scope; the one it replaced comes back at the end.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, old_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Fills a polygon (the arrows of the lists and spin edits).
template <size_t N>
void FillPolygon(HDC dc, const POINT (&points)[N], HBRUSH brush) {
  const OwnedRegion region(CreatePolygonRgn(points, static_cast<int>(N), WINDING));
  FillRgn(dc, region.get(), brush);
}

// The screen's DC, for measuring text.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A window's whole DC (frame included), for drawing a border.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
  ~WindowDc() { ReleaseDC(window_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory DC the size of `r` to draw into, copied to `target` at `r` when it goes, so
// that a control never shows half a painting.
class DrawBuffer {
 public:
  DrawBuffer(HDC target, const RECT& r)
      : target_(target),
        at_(r),
        local_{0, 0, std::max<LONG>(1, r.right - r.left), std::max<LONG>(1, r.bottom - r.top)},
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, local_.right, local_.bottom)),
        old_(SelectObject(dc_, bitmap_)) {}
  ~DrawBuffer() {
    BitBlt(target_, at_.left, at_.top, local_.right, local_.bottom, dc_, 0, 0, SRCCOPY);
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  DrawBuffer(const DrawBuffer&) = delete;
  DrawBuffer& operator=(const DrawBuffer&) = delete;
  HDC Dc() const { return dc_; }
  // The buffer's own rectangle: 0, 0 and the size.
  const RECT& Local() const { return local_; }

 private:
  HDC target_;
  RECT at_;
  RECT local_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

// A WM_PAINT answered whole: BeginPaint and EndPaint around a buffer of the client area.
class BufferedPaint {
 public:
  explicit BufferedPaint(HWND window)
      : window_(window), target_(BeginPaint(window, &ps_)), buffer_(std::in_place, target_, Client(window)) {}
  ~BufferedPaint() {
    buffer_.reset();
    EndPaint(window_, &ps_);
  }
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC Dc() const { return buffer_->Dc(); }
  const RECT& Rect() const { return buffer_->Local(); }

 private:
  static RECT Client(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return r;
  }
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC target_;
  std::optional<DrawBuffer> buffer_;
};

}  // namespace win32
