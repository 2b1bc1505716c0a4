#pragma once

// The program's PNG pictures (carried as RCDATA resources), drawn with GDI+ so that their
// alpha channel and any scaling look right.

#include <windows.h>

#include <map>
#include <memory>
#include <string>

namespace Gdiplus {
class Bitmap;
}

namespace win32 {

class Pictures {
 public:
  Pictures();
  ~Pictures();
  Pictures(const Pictures&) = delete;
  Pictures& operator=(const Pictures&) = delete;

  // Draws the picture `name` ("play", "update-icon") into r. Disabled: its "_gray"
  // variant, or the picture itself in grey when there is none. A picture missing from the
  // resources is drawn as a simple figure, so a control never shows a hole.
  void Draw(HDC dc, const RECT& r, const std::string& name, bool enabled);
  // The program's icon drawn in code, for a build whose resources hold none.
  HICON MakeIcon(int size);

  // The resource name of a picture: upper case, '-' as '_' ("update-icon" -> UPDATE_ICON).
  static std::wstring ResourceName(const std::string& name);

 private:
  Gdiplus::Bitmap* Find(const std::string& name);
  void DrawFigure(HDC dc, const RECT& r, const std::string& name, bool enabled);
  ULONG_PTR token_ = 0;
  std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> cache_;
  std::map<std::string, bool> missing_;
};

}  // namespace win32
