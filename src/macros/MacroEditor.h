#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "macros/RecordedMacro.h"

namespace macros {

// One row of the macro editor: an event with the wait before it instead of its time
// from the start, so that removing, moving or changing one step leaves the others' waits
// as they were.
struct EditorStep {
  std::uint32_t WaitMs = 0;
  std::uint8_t Kind = mekMove;
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Button = -1;
  bool operator==(const EditorStep&) const = default;
};

// The steps of one macro as the editor shows and changes them. Positions out of range are
// ignored (or, for an insertion, taken as the end): a window may ask with a stale row.
class MacroEditor {
 public:
  MacroEditor() = default;
  // A time earlier than the one before it waits for nothing when played: its wait is 0.
  explicit MacroEditor(const TRecordedMacro& macro);

  // The macro written back: the same name and file name, events stamped with the sum of
  // the waits up to them (held at the largest 32-bit time), the duration the last event's.
  TRecordedMacro ToMacro() const;

  const std::string& Name() const { return name_; }
  const std::vector<EditorStep>& Steps() const { return steps_; }
  std::size_t Count() const { return steps_.size(); }
  // The time of the last event: what the macro's duration will be.
  std::uint32_t DurationMs() const;
  // Changed since it was loaded or MarkSaved was called.
  bool Modified() const { return modified_; }
  void MarkSaved() { modified_ = false; }

  void SetWait(std::size_t i, std::uint32_t ms);
  void SetKind(std::size_t i, std::uint8_t kind);
  void SetX(std::size_t i, std::int32_t x);
  void SetY(std::size_t i, std::int32_t y);
  // The button, key code or notch count, by the kind.
  void SetButton(std::size_t i, std::int32_t value);

  void Remove(std::size_t i);
  // A copy right after the step, with the same wait.
  void Duplicate(std::size_t i);
  // False when the step is already first (last) or not there.
  bool MoveUp(std::size_t i);
  bool MoveDown(std::size_t i);

  // Inserted before `at` (Count() or beyond: at the end); each returns the first new row.
  std::size_t AddMove(std::size_t at, std::int32_t x, std::int32_t y, std::uint32_t waitMs);
  // A press after `waitMs`, its release `holdMs` later, both at x, y.
  std::size_t AddClick(std::size_t at, std::int32_t button, std::int32_t x, std::int32_t y, std::uint32_t waitMs,
                       std::uint32_t holdMs);
  // A key down after `waitMs`, up `holdMs` later.
  std::size_t AddKey(std::size_t at, std::int32_t vk, std::uint32_t waitMs, std::uint32_t holdMs);
  std::size_t AddWheel(std::size_t at, std::int32_t notches, std::int32_t x, std::int32_t y, std::uint32_t waitMs);

 private:
  EditorStep* At(std::size_t i);
  std::size_t Insert(std::size_t at, std::vector<EditorStep> steps);

  std::string name_;
  std::string fileName_;
  std::vector<EditorStep> steps_;
  bool modified_ = false;
};

}  // namespace macros
