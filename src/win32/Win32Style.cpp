#include "win32/Win32Style.h"

#include <algorithm>
#include <sstream>

#include "ui/CaptionFit.h"
#include "win32/Win32Gdi.h"
#include "win32/Win32Pictures.h"

namespace win32 {

Style::Style() {
  window = panel = group = GetSysColor(COLOR_BTNFACE);
  groupFrame = GetSysColor(COLOR_BTNSHADOW);
  groupText = text = GetSysColor(COLOR_BTNTEXT);
  disabledText = GetSysColor(COLOR_GRAYTEXT);
  field = GetSysColor(COLOR_WINDOW);
  fieldText = GetSysColor(COLOR_WINDOWTEXT);
  fieldBorder = GetSysColor(COLOR_BTNSHADOW);
  button = GetSysColor(COLOR_BTNFACE);
  buttonHot = GetSysColor(COLOR_BTNHIGHLIGHT);
  buttonPressed = GetSysColor(COLOR_BTNSHADOW);
  buttonBorder = GetSysColor(COLOR_3DDKSHADOW);
  buttonDisabled = GetSysColor(COLOR_BTNFACE);
  buttonBorderDisabled = GetSysColor(COLOR_BTNSHADOW);
  accent = GetSysColor(COLOR_HIGHLIGHT);
  selection = GetSysColor(COLOR_HIGHLIGHT);
  selectionText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  bevelShadow = GetSysColor(COLOR_BTNSHADOW);
  bevelLight = GetSysColor(COLOR_BTNHIGHLIGHT);
}

Style::~Style() {
  for (auto& [colour, brush] : brushes_) DeleteObject(brush);
}

HBRUSH Style::Brush(COLORREF colour) const {
  auto it = brushes_.find(colour);
  if (it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(colour);
  brushes_[colour] = b;
  return b;
}

void Style::SetColour(const std::string& name, COLORREF c, bool& known) {
  const std::pair<const char*, COLORREF*> table[] = {
      {"Window", &window},
      {"Panel", &panel},
      {"Group", &group},
      {"GroupFrame", &groupFrame},
      {"GroupText", &groupText},
      {"Text", &text},
      {"DisabledText", &disabledText},
      {"Field", &field},
      {"FieldText", &fieldText},
      {"FieldBorder", &fieldBorder},
      {"Button", &button},
      {"ButtonHot", &buttonHot},
      {"ButtonPressed", &buttonPressed},
      {"ButtonBorder", &buttonBorder},
      {"ButtonDisabled", &buttonDisabled},
      {"ButtonBorderDisabled", &buttonBorderDisabled},
      {"Accent", &accent},
      {"Selection", &selection},
      {"SelectionText", &selectionText},
      {"BevelShadow", &bevelShadow},
      {"BevelLight", &bevelLight},
  };
  known = false;
  for (auto& [n, target] : table) {
    if (name == n) {
      *target = c;
      known = true;
    }
  }
}

bool Style::Parse(const std::string& textIn, std::string& error) {
  // Parse into a copy first: a broken style leaves the current colours untouched.
  Style parsed;
  std::istringstream in(textIn);
  std::string line;
  int lineNo = 0;
  int count = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (auto semi = line.find(';'); semi != std::string::npos) line.erase(semi);
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    auto eq = line.find('=');
    if (eq == std::string::npos) {
      error = "line " + std::to_string(lineNo) + ": no '='";
      return false;
    }
    std::string name = line.substr(0, eq);
    name.erase(0, name.find_first_not_of(" \t"));
    name.erase(name.find_last_not_of(" \t") + 1);
    std::istringstream values(line.substr(eq + 1));
    int r = -1, g = -1, b = -1;
    std::string rest;
    if (!(values >> r >> g >> b) || (values >> rest) || r < 0 || r > 255 || g < 0 || g > 255 ||
        b < 0 || b > 255) {
      error = "line " + std::to_string(lineNo) + ": expected three numbers 0..255";
      return false;
    }
    bool known = false;
    parsed.SetColour(name, RGB(r, g, b), known);
    if (!known) {
      error = "line " + std::to_string(lineNo) + ": unknown colour \"" + name + "\"";
      return false;
    }
    ++count;
  }
  if (count == 0) {
    error = "the style defines no colours";
    return false;
  }
  for (COLORREF Style::*m :
       {&Style::window, &Style::panel, &Style::group, &Style::groupFrame, &Style::groupText,
        &Style::text, &Style::disabledText, &Style::field, &Style::fieldText,
        &Style::fieldBorder, &Style::button, &Style::buttonHot, &Style::buttonPressed,
        &Style::buttonBorder, &Style::buttonDisabled, &Style::buttonBorderDisabled,
        &Style::accent, &Style::selection, &Style::selectionText, &Style::bevelShadow,
        &Style::bevelLight})
    this->*m = parsed.*m;
  applied_ = true;
  return true;
}

bool Style::Apply(const wchar_t* resourceName, std::string& error) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(module, resourceName, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!res) {
    error = "the style resource is missing";
    return false;
  }
  HGLOBAL data = LoadResource(module, res);
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) {
    error = "the style resource cannot be read";
    return false;
  }
  std::string text(static_cast<const char*>(bytes), SizeofResource(module, res));
  return Parse(text, error);
}

namespace {

void FrameRounded(HDC dc, const RECT& r, COLORREF fill, COLORREF border, int radius) {
  const OwnedPen pen(CreatePen(PS_SOLID, 1, border));
  const OwnedBrush brush(CreateSolidBrush(fill));
  Selected p(dc, pen.get()), b(dc, brush.get());
  RoundRect(dc, r.left, r.top, r.right, r.bottom, radius, radius);
}

int TextWidth(HDC dc, HFONT font, const std::wstring& text) {
  Selected f(dc, font);
  RECT m{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &m, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  return m.right - m.left;
}

}  // namespace

HFONT FitFont(HDC dc, HFONT font, const std::wstring& text, int width) {
  LOGFONTW lf{};
  if (text.empty() || !GetObjectW(font, sizeof lf, &lf) || lf.lfHeight == 0) return nullptr;
  // Heights in whole pixels; the sign says whether the height is the cell's or the characters'.
  const LONG sign = lf.lfHeight < 0 ? -1 : 1;
  const double full = static_cast<double>(lf.lfHeight * sign);
  const auto fontOf = [&lf, sign](double height) {
    LOGFONTW copy = lf;
    copy.lfHeight = static_cast<LONG>(height) * sign;
    copy.lfWidth = 0;
    return OwnedFont(CreateFontIndirectW(&copy));
  };
  const double height = ui::FitCaptionSize(full, 1, width, [&](double h) {
    if (h == full) return TextWidth(dc, font, text);
    const OwnedFont f = fontOf(h);
    return f ? TextWidth(dc, f.get(), text) : 0;
  });
  if (height == full) return nullptr;
  OwnedFont fitted = fontOf(height);
  return fitted.release();
}

void Style::DrawButton(HDC dc, const RECT& r, const std::wstring& label, HFONT font,
                       bool enabled, bool pressed, bool hot, bool focused, Pictures* pictures,
                       const std::string& image, UINT dpi) const {
  const int s4 = MulDiv(4, static_cast<int>(dpi), 96);
  COLORREF face = !enabled ? buttonDisabled : pressed ? buttonPressed : hot ? buttonHot : button;
  COLORREF border = enabled ? buttonBorder : buttonBorderDisabled;
  FillRect(dc, &r, Brush(window));
  FrameRounded(dc, r, face, border, s4 + 2);

  int imageSize = 0, gap = 0;
  if (!image.empty() && pictures) {
    imageSize = std::min<int>(MulDiv(16, static_cast<int>(dpi), 96), r.bottom - r.top - 4);
    gap = label.empty() ? 0 : MulDiv(6, static_cast<int>(dpi), 96);
  }
  // The text may come close to the frame: the places are tight for English already.
  const int inner = r.right - r.left - 2 * MulDiv(3, static_cast<int>(dpi), 96);
  const OwnedFont fitted(FitFont(dc, font, label, inner - imageSize - gap));
  Selected f(dc, fitted ? fitted.get() : font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, !enabled ? disabledText : pressed ? selectionText : text);
  RECT measure{0, 0, 0, 0};
  DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &measure,
            DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  const int textW = measure.right - measure.left;
  const int textH = measure.bottom - measure.top;
  const int total = imageSize + gap + textW;
  int x = r.left + (r.right - r.left - total) / 2 + (pressed ? 1 : 0);
  const int cy = (r.top + r.bottom) / 2 + (pressed ? 1 : 0);
  if (imageSize > 0) {
    RECT ir{x, cy - imageSize / 2, x + imageSize, cy - imageSize / 2 + imageSize};
    pictures->Draw(dc, ir, image, enabled);
    x += imageSize + gap;
  }
  RECT tr{x, cy - textH / 2, x + textW, cy - textH / 2 + textH};
  DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &tr, DT_SINGLELINE | DT_NOPREFIX);
  if (focused) {
    RECT fr = r;
    InflateRect(&fr, -s4 + 1, -s4 + 1);
    SetTextColor(dc, accent);
    SetBkColor(dc, face);
    DrawFocusRect(dc, &fr);
  }
}

void Style::DrawCheck(HDC dc, const RECT& r, const std::wstring& label, HFONT font, bool enabled,
                      bool checked, bool radio, bool focused, bool hot, COLORREF background,
                      UINT dpi, int textRight) const {
  const int d = static_cast<int>(dpi);
  FillRect(dc, &r, Brush(background));
  const int box = MulDiv(13, d, 96);
  const int top = (r.top + r.bottom - box) / 2;
  RECT br{r.left, top, r.left + box, top + box};
  COLORREF border = !enabled ? buttonBorderDisabled : hot ? accent : fieldBorder;
  COLORREF mark = enabled ? accent : disabledText;
  {
    const OwnedPen pen(CreatePen(PS_SOLID, 1, border));
    const OwnedBrush brush(CreateSolidBrush(enabled ? field : buttonDisabled));
    Selected p(dc, pen.get()), b(dc, brush.get());
    if (radio)
      Ellipse(dc, br.left, br.top, br.right, br.bottom);
    else
      Rectangle(dc, br.left, br.top, br.right, br.bottom);
  }
  if (checked) {
    if (radio) {
      const int inset = MulDiv(3, d, 96) + 1;
      const OwnedBrush dot(CreateSolidBrush(mark));
      const OwnedPen dotPen(CreatePen(PS_SOLID, 1, mark));
      Selected p(dc, dotPen.get()), b(dc, dot.get());
      Ellipse(dc, br.left + inset, br.top + inset, br.right - inset, br.bottom - inset);
    } else {
      const OwnedPen tick(CreatePen(PS_SOLID, std::max(2, MulDiv(2, d, 96)), mark));
      Selected p(dc, tick.get());
      POINT pts[3] = {{br.left + box * 3 / 13, br.top + box * 7 / 13},
                      {br.left + box * 5 / 13, br.top + box * 9 / 13},
                      {br.left + box * 10 / 13, br.top + box * 4 / 13}};
      Polyline(dc, pts, 3);
    }
  }
  RECT tr = r;
  tr.left = br.right + MulDiv(5, d, 96);
  tr.right = std::max(tr.left, std::min<LONG>(tr.right, textRight));
  const OwnedFont fitted(FitFont(dc, font, label, tr.right - tr.left - 1));
  Selected f(dc, fitted ? fitted.get() : font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled ? text : disabledText);
  RECT measure = tr;
  DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &measure,
            DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &tr,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (focused && !label.empty()) {
    const int h = measure.bottom - measure.top;
    RECT fr{tr.left - 1, (r.top + r.bottom - h) / 2 - 1,
            std::min(tr.left + (measure.right - measure.left) + 1, r.right),
            (r.top + r.bottom - h) / 2 + h + 1};
    SetTextColor(dc, accent);
    SetBkColor(dc, background);
    DrawFocusRect(dc, &fr);
  }
}

void Style::DrawListItem(HDC dc, const RECT& r, const std::wstring& label, HFONT font,
                         bool enabled, bool selected, UINT dpi) const {
  FillRect(dc, &r, Brush(selected && enabled ? selection : selected ? buttonDisabled : field));
  Selected f(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, !enabled ? disabledText : selected ? selectionText : fieldText);
  RECT tr = r;
  tr.left += MulDiv(3, static_cast<int>(dpi), 96);
  DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &tr,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace win32
