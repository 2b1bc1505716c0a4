#pragma once

// The program's look: colours and brushes of the visual style, and the drawing of the
// owner-drawn controls (buttons, check boxes, radio buttons, list items).

#include <windows.h>

#include <map>
#include <string>

namespace win32 {

class Pictures;

class Style {
 public:
  // The system's own colours: the look when no style is applied.
  Style();
  ~Style();
  Style(const Style&) = delete;
  Style& operator=(const Style&) = delete;

  // Reads the style carried as the resource `resourceName`; false and a reason when it
  // cannot be applied (the colours then stay the system's).
  bool Apply(const wchar_t* resourceName, std::string& error);
  // Parses "Name = R G B" lines (';' starts a comment); false and a reason on a bad line.
  bool Parse(const std::string& text, std::string& error);
  bool Applied() const { return applied_; }

  COLORREF window = 0, panel = 0, group = 0, groupFrame = 0, groupText = 0, text = 0,
           disabledText = 0, field = 0, fieldText = 0, fieldBorder = 0, button = 0,
           buttonHot = 0, buttonPressed = 0, buttonBorder = 0, buttonDisabled = 0,
           buttonBorderDisabled = 0, accent = 0, selection = 0, selectionText = 0,
           bevelShadow = 0, bevelLight = 0;

  // A solid brush of a colour, kept for the life of the style.
  HBRUSH Brush(COLORREF colour) const;

  // Owner-drawn parts. `dpi` scales the fixed sizes; `hot` is the mouse over the control.
  void DrawButton(HDC dc, const RECT& r, const std::wstring& text, HFONT font, bool enabled,
                  bool pressed, bool hot, bool focused, Pictures* pictures,
                  const std::string& image, UINT dpi) const;
  void DrawCheck(HDC dc, const RECT& r, const std::wstring& text, HFONT font, bool enabled,
                 bool checked, bool radio, bool focused, bool hot, COLORREF background,
                 UINT dpi, int textRight) const;
  void DrawListItem(HDC dc, const RECT& r, const std::wstring& text, HFONT font, bool enabled,
                    bool selected, UINT dpi) const;

 private:
  void SetColour(const std::string& name, COLORREF c, bool& known);
  mutable std::map<COLORREF, HBRUSH> brushes_;
  bool applied_ = false;
};

// A caption wider than its place (a long translation in a place laid out for English) is
// drawn smaller rather than cut off: a copy of `font` in which `text` fits `width` pixels,
// no smaller than three quarters of the font, or nullptr when the text fits as it is or the
// font has no height of its own. The caller deletes the font it gets.
HFONT FitFont(HDC dc, HFONT font, const std::wstring& text, int width);

}  // namespace win32
