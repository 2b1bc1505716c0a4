#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Key events carry the Windows virtual-key code in Button (X and Y 0); a wheel event
// carries its signed notches in Button, positive away from the user, at X, Y. A copy that
// predates a kind keeps its wait and sends nothing for it.
enum TMacroEventKind : std::uint8_t {
  mekMove = 0,
  mekDown = 1,
  mekUp = 2,
  mekKeyDown = 3,
  mekKeyUp = 4,
  mekWheel = 5
};

struct TMacroMouseEvent {
  std::uint32_t DeltaMs = 0;  // from the start of the recording, not from the previous event
  std::uint8_t Kind = mekMove;  // a loaded file may hold any 8-bit value
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Button = -1;
  bool operator==(const TMacroMouseEvent&) const = default;
};

class TRecordedMacro {
 public:
  TRecordedMacro() = default;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& name) { FName = name; }
  std::uint32_t DurationMs() const { return FDurationMs; }
  void SetDurationMs(std::uint32_t ms) { FDurationMs = ms; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& path) { FFileName = path; }
  std::vector<TMacroMouseEvent>& Events() { return FEvents; }
  const std::vector<TMacroMouseEvent>& Events() const { return FEvents; }

  // The file's text: UTF-8 with BOM, CR LF after every line.
  std::string ToText() const;
  // Writes the whole file; FileName changes only after the write succeeded. Throws
  // std::runtime_error when the file cannot be written, or when the name holds a line
  // break (the file would not read back as this macro).
  void SaveToFile(const std::string& AFileName);
  // Builds a macro from text (no BOM required); throws on bytes that are not UTF-8.
  static std::unique_ptr<TRecordedMacro> FromText(const std::string& bytes);
  // Throws std::runtime_error when the file cannot be read or is not valid UTF-8.
  static std::unique_ptr<TRecordedMacro> LoadFromFile(const std::string& AFileName);

 private:
  std::string FName;
  std::uint32_t FDurationMs = 0;
  std::string FFileName;
  std::vector<TMacroMouseEvent> FEvents;
};

using MacroPtr = std::shared_ptr<TRecordedMacro>;
