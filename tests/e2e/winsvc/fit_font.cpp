// Checks how the Windows edition fits a caption that is too wide for its place (a long
// translation): the font shrinks just enough, never below three quarters, and a caption
// that fits keeps the font it has. Run under Wine by tests/e2e/windows_services.sh.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "win32/Win32Style.h"

namespace {

int g_failures = 0;

void Expect(bool ok, const char* what) {
  if (!ok) {
    std::printf("FAIL: %s\n", what);
    ++g_failures;
  }
}

int Width(HDC dc, HFONT font, const std::wstring& text) {
  HGDIOBJ old = SelectObject(dc, font);
  SIZE s{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
  SelectObject(dc, old);
  return s.cx;
}

LONG Height(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  return std::labs(lf.lfHeight);
}

}  // namespace

int main() {
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
  const std::wstring word = L"Umbenennen";
  const int full = Width(dc, font, word);

  Expect(win32::FitFont(dc, font, word, full) == nullptr, "a caption that fits got another font");
  Expect(win32::FitFont(dc, font, L"", 10) == nullptr, "an empty caption got another font");

  HFONT smaller = win32::FitFont(dc, font, word, full * 9 / 10);
  Expect(smaller != nullptr, "a caption a tenth too wide kept its font");
  if (smaller) {
    Expect(Width(dc, smaller, word) <= full * 9 / 10, "the smaller font does not fit");
    Expect(Height(smaller) >= 12 && Height(smaller) < 16, "the smaller font is not between 3/4 and full size");
    DeleteObject(smaller);
  }

  HFONT smallest = win32::FitFont(dc, font, L"Far too long a caption for so small a button", 40);
  Expect(smallest != nullptr && Height(smallest) == 12, "a hopeless caption did not stop at three quarters");
  if (smallest) DeleteObject(smallest);

  HFONT unsized = CreateFontW(0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
  Expect(win32::FitFont(dc, unsized, word, 5) == nullptr, "a font without a height was changed");

  DeleteObject(unsized);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  std::printf(g_failures ? "fit font: %d check(s) failed\n" : "fit font: all checks passed\n", g_failures);
  return g_failures ? 1 : 0;
}
