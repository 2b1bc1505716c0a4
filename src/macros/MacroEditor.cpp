#include "macros/MacroEditor.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace macros {

MacroEditor::MacroEditor(const TRecordedMacro& macro) : name_(macro.Name()), fileName_(macro.FileName()) {
  const std::vector<TMacroMouseEvent>& events = macro.Events();
  steps_.reserve(events.size());
  std::uint32_t previous = 0;
  for (const TMacroMouseEvent& e : events) {
    steps_.push_back({e.DeltaMs > previous ? e.DeltaMs - previous : 0, e.Kind, e.X, e.Y, e.Button});
    previous = std::max(previous, e.DeltaMs);
  }
}

TRecordedMacro MacroEditor::ToMacro() const {
  TRecordedMacro m;
  m.SetName(name_);
  m.SetFileName(fileName_);
  std::vector<TMacroMouseEvent>& events = m.Events();
  events.reserve(steps_.size());
  std::uint64_t t = 0;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  for (const EditorStep& s : steps_) {
    t = std::min(t + s.WaitMs, kMax);
    TMacroMouseEvent e;
    e.DeltaMs = static_cast<std::uint32_t>(t);
    e.Kind = s.Kind;
    e.X = s.X;
    e.Y = s.Y;
    e.Button = s.Button;
    events.push_back(e);
  }
  m.SetDurationMs(static_cast<std::uint32_t>(t));
  return m;
}

std::uint32_t MacroEditor::DurationMs() const {
  std::uint64_t t = 0;
  for (const EditorStep& s : steps_) t += s.WaitMs;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(t, std::numeric_limits<std::uint32_t>::max()));
}

EditorStep* MacroEditor::At(std::size_t i) { return i < steps_.size() ? &steps_[i] : nullptr; }

void MacroEditor::SetWait(std::size_t i, std::uint32_t ms) {
  if (EditorStep* s = At(i); s && s->WaitMs != ms) s->WaitMs = ms, modified_ = true;
}
void MacroEditor::SetKind(std::size_t i, std::uint8_t kind) {
  if (EditorStep* s = At(i); s && s->Kind != kind) s->Kind = kind, modified_ = true;
}
void MacroEditor::SetX(std::size_t i, std::int32_t x) {
  if (EditorStep* s = At(i); s && s->X != x) s->X = x, modified_ = true;
}
void MacroEditor::SetY(std::size_t i, std::int32_t y) {
  if (EditorStep* s = At(i); s && s->Y != y) s->Y = y, modified_ = true;
}
void MacroEditor::SetButton(std::size_t i, std::int32_t value) {
  if (EditorStep* s = At(i); s && s->Button != value) s->Button = value, modified_ = true;
}

void MacroEditor::Remove(std::size_t i) {
  if (i >= steps_.size()) return;
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(i));
  modified_ = true;
}

void MacroEditor::Duplicate(std::size_t i) {
  if (i >= steps_.size()) return;
  const EditorStep copy = steps_[i];
  steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(i) + 1, copy);
  modified_ = true;
}

bool MacroEditor::MoveUp(std::size_t i) {
  if (i == 0 || i >= steps_.size()) return false;
  std::swap(steps_[i - 1], steps_[i]);
  modified_ = true;
  return true;
}

bool MacroEditor::MoveDown(std::size_t i) { return i + 1 < steps_.size() && MoveUp(i + 1); }

std::size_t MacroEditor::Insert(std::size_t at, std::vector<EditorStep> steps) {
  at = std::min(at, steps_.size());
  steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(at), steps.begin(), steps.end());
  modified_ = true;
  return at;
}

std::size_t MacroEditor::AddMove(std::size_t at, std::int32_t x, std::int32_t y, std::uint32_t waitMs) {
  return Insert(at, {{waitMs, mekMove, x, y, -1}});
}

std::size_t MacroEditor::AddClick(std::size_t at, std::int32_t button, std::int32_t x, std::int32_t y,
                                  std::uint32_t waitMs, std::uint32_t holdMs) {
  return Insert(at, {{waitMs, mekDown, x, y, button}, {holdMs, mekUp, x, y, button}});
}

std::size_t MacroEditor::AddKey(std::size_t at, std::int32_t vk, std::uint32_t waitMs, std::uint32_t holdMs) {
  return Insert(at, {{waitMs, mekKeyDown, 0, 0, vk}, {holdMs, mekKeyUp, 0, 0, vk}});
}

std::size_t MacroEditor::AddWheel(std::size_t at, std::int32_t notches, std::int32_t x, std::int32_t y,
                                  std::uint32_t waitMs) {
  return Insert(at, {{waitMs, mekWheel, x, y, notches}});
}

}  // namespace macros
