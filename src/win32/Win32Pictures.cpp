#include "win32/Win32Pictures.h"

#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>
#include <gdiplus.h>

namespace win32 {

Pictures::Pictures() {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

Pictures::~Pictures() {
  cache_.clear();
  if (token_) Gdiplus::GdiplusShutdown(token_);
}

std::wstring Pictures::ResourceName(const std::string& name) {
  std::wstring out;
  for (char c : name) {
    if (c == '-') c = '_';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  }
  return out;
}

Gdiplus::Bitmap* Pictures::Find(const std::string& name) {
  if (!token_) return nullptr;
  if (auto it = cache_.find(name); it != cache_.end()) return it->second.get();
  if (missing_.count(name)) return nullptr;
  HMODULE module = GetModuleHandleW(nullptr);
  const std::wstring resName = ResourceName(name);
  HRSRC res = FindResourceW(module, resName.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL data = res ? LoadResource(module, res) : nullptr;
  const BYTE* bytes = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
  if (!bytes) {
    missing_[name] = true;
    return nullptr;
  }
  IStream* stream = SHCreateMemStream(bytes, SizeofResource(module, res));
  if (!stream) {
    missing_[name] = true;
    return nullptr;
  }
  // The bitmap keeps reading its stream: copy it into memory of its own first.
  std::unique_ptr<Gdiplus::Bitmap> loaded(Gdiplus::Bitmap::FromStream(stream));
  std::unique_ptr<Gdiplus::Bitmap> owned;
  if (loaded && loaded->GetLastStatus() == Gdiplus::Ok) {
    owned = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(loaded->GetWidth()),
                                              static_cast<INT>(loaded->GetHeight()),
                                              PixelFormat32bppARGB);
    Gdiplus::Graphics g(owned.get());
    g.DrawImage(loaded.get(), 0, 0, static_cast<INT>(loaded->GetWidth()),
                static_cast<INT>(loaded->GetHeight()));
  }
  loaded.reset();
  stream->Release();
  if (!owned || owned->GetLastStatus() != Gdiplus::Ok) {
    missing_[name] = true;
    return nullptr;
  }
  Gdiplus::Bitmap* raw = owned.get();
  cache_[name] = std::move(owned);
  return raw;
}

void Pictures::Draw(HDC dc, const RECT& r, const std::string& name, bool enabled) {
  Gdiplus::Bitmap* bmp = nullptr;
  bool greyOut = false;
  if (!enabled) {
    bmp = Find(name + "_gray");
    if (!bmp) {
      bmp = Find(name);
      greyOut = bmp != nullptr;
    }
  } else {
    bmp = Find(name);
  }
  if (!bmp) {
    DrawFigure(dc, r, name, enabled);
    return;
  }
  Gdiplus::Graphics g(dc);
  g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
  Gdiplus::Rect dest(r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (!greyOut) {
    g.DrawImage(bmp, dest, 0, 0, static_cast<INT>(bmp->GetWidth()),
                static_cast<INT>(bmp->GetHeight()), Gdiplus::UnitPixel);
    return;
  }
  Gdiplus::ColorMatrix grey = {{{0.30f, 0.30f, 0.30f, 0, 0},
                                {0.59f, 0.59f, 0.59f, 0, 0},
                                {0.11f, 0.11f, 0.11f, 0, 0},
                                {0, 0, 0, 0.5f, 0},
                                {0, 0, 0, 0, 1}}};
  Gdiplus::ImageAttributes attributes;
  attributes.SetColorMatrix(&grey);
  g.DrawImage(bmp, dest, 0, 0, static_cast<INT>(bmp->GetWidth()),
              static_cast<INT>(bmp->GetHeight()), Gdiplus::UnitPixel, &attributes);
}

void Pictures::DrawFigure(HDC dc, const RECT& r, const std::string& name, bool enabled) {
  Gdiplus::Graphics g(dc);
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const float x = static_cast<float>(r.left), y = static_cast<float>(r.top);
  const float w = static_cast<float>(r.right - r.left), h = static_cast<float>(r.bottom - r.top);
  Gdiplus::Color grey(255, 110, 118, 124);
  if (name.rfind("stop", 0) == 0) {
    Gdiplus::SolidBrush b(enabled ? Gdiplus::Color(255, 226, 76, 76) : grey);
    g.FillRectangle(&b, x + w * 0.18f, y + h * 0.18f, w * 0.64f, h * 0.64f);
  } else if (name.rfind("play", 0) == 0) {
    Gdiplus::SolidBrush b(enabled ? Gdiplus::Color(255, 76, 196, 110) : grey);
    Gdiplus::PointF pts[3] = {{x + w * 0.2f, y + h * 0.12f},
                              {x + w * 0.88f, y + h * 0.5f},
                              {x + w * 0.2f, y + h * 0.88f}};
    g.FillPolygon(&b, pts, 3);
  } else {
    // The update picture: a green disc with a downward arrow.
    Gdiplus::SolidBrush disc(enabled ? Gdiplus::Color(255, 46, 139, 87) : grey);
    g.FillEllipse(&disc, x, y, w, h);
    Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
    g.FillRectangle(&white, x + w * 0.42f, y + h * 0.2f, w * 0.16f, h * 0.34f);
    Gdiplus::PointF pts[3] = {{x + w * 0.26f, y + h * 0.5f},
                              {x + w * 0.74f, y + h * 0.5f},
                              {x + w * 0.5f, y + h * 0.8f}};
    g.FillPolygon(&white, pts, 3);
  }
}

HICON Pictures::MakeIcon(int size) {
  if (!token_ || size <= 0) return nullptr;
  Gdiplus::Bitmap bmp(size, size, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(&bmp);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.Clear(Gdiplus::Color(0, 0, 0, 0));
    const float s = static_cast<float>(size);
    Gdiplus::SolidBrush disc(Gdiplus::Color(255, 16, 20, 24));
    g.FillEllipse(&disc, 0.5f, 0.5f, s - 1.5f, s - 1.5f);
    Gdiplus::Pen ring(Gdiplus::Color(255, 76, 196, 110), std::max(1.0f, s / 14));
    g.DrawEllipse(&ring, s * 0.06f, s * 0.06f, s * 0.86f, s * 0.86f);
    Gdiplus::SolidBrush green(Gdiplus::Color(255, 76, 196, 110));
    Gdiplus::PointF pts[3] = {{s * 0.36f, s * 0.26f}, {s * 0.76f, s * 0.5f}, {s * 0.36f, s * 0.74f}};
    g.FillPolygon(&green, pts, 3);
  }
  HICON icon = nullptr;
  bmp.GetHICON(&icon);
  return icon;
}

}  // namespace win32
