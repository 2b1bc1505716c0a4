#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/FolderLock.h"
#include "platform/System.h"

namespace settings {

// The Windows profile-file rules on the text of a file. Pure, so the rules are tested
// without touching a disk; PortableProfileStore below is the thin file layer around them.
//
// Reading (what GetPrivateProfileStringW does, as observed):
//  - Lines end at "\n" (a "\r" before it belongs to the line end). A UTF-8 byte-order mark
//    at the start is skipped.
//  - A section line has "[" as its first non-blank character and a "]" later on; the name
//    lies between the "[" and the LAST "]", blanks around it trimmed; text after the "]"
//    is ignored. A "[" line without "]" is an ordinary line.
//  - Any other line with "=" is a value line: the key is the text before the first "=",
//    the value the text after it, both with blanks (space, tab, CR, VT, FF) trimmed. Lines
//    without "=" (comments, stray text) are never found.
//  - There is no comment syntax: ";x=1" is the key ";x". The program's own keys never
//    start with ";", so such lines behave as comments.
//  - Value lines before the first section line belong to the nameless section "".
//  - Section and key names match without regard to ASCII letter case, after the names
//    asked for have had their blanks trimmed too.
//  - Only the first section of a name counts, and within it the first key of a name; a
//    repeated section is never searched.
//  - A value enclosed in a matching pair of double or single quotes loses the pair.
//  - At most kMaxProfileValueChars characters (code points) of a value are returned.
//  - A missing section or key gives the default with its trailing blanks removed.
//
// Writing:
//  - An existing key (first section, first key) keeps everything up to and including its
//    "=" byte for byte; the rest of the line is replaced by the value.
//  - A missing key goes right after the last value line of the section (right after the
//    section line when it has none), so comments and blank lines that end the section
//    stay where they are.
//  - A missing section goes at the end of the file, after one blank line when the file
//    has text.
//  - New lines use the line end of the file's first line; "\r\n" for a file without one.
//  - Names are written trimmed; the value is written as given.
//  - Every other byte stays as it was.
inline constexpr std::size_t kMaxProfileValueChars = 2047;

std::string ProfileRead(const std::string& text, const std::string& section,
                        const std::string& key, const std::string& defaultValue);
std::string ProfileWrite(const std::string& text, const std::string& section,
                         const std::string& key, const std::string& value);

// The profile rules on real files. Reading never fails: a file that is missing or cannot
// be read has no keys. Writing reads the file, changes the text and writes it beside the
// old one before replacing it, so a failure leaves the old file whole; it gives false when
// the file exists but cannot be read or is read-only, or the new one cannot be written.
//
// Writes of several processes to one folder take turns through the folder's lock, waiting
// for it at most lockWaitMs; a store made without locks writes without them (one process).
class PortableProfileStore : public platform::ProfileStore {
 public:
  static constexpr std::uint32_t kDefaultLockWaitMs = 5000;
  PortableProfileStore() = default;
  PortableProfileStore(platform::FolderLocks& locks, platform::Clock& clock,
                       std::uint32_t lockWaitMs = kDefaultLockWaitMs);
  std::string ReadString(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue) override;
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;

 private:
  static constexpr std::uint64_t kLockRetryUs = 2000;
  std::unique_ptr<platform::FolderLocks::Held> LockFolder(const std::string& folder);

  platform::FolderLocks* locks_ = nullptr;
  platform::Clock* clock_ = nullptr;
  std::uint32_t lockWaitMs_ = kDefaultLockWaitMs;
  bool lockTimedOut_ = false;
};

}  // namespace settings
