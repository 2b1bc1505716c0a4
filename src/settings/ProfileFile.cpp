#include "settings/ProfileFile.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "platform/Files.h"
#include "base/TextCase.h"

namespace settings {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}


std::size_t BodyStart(const std::string& text) {
  return std::string_view(text).starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
}

// One line of the file: [begin, end) is its content, [end, next) its line end.
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
  bool terminated = false;  // the line ends with "\n" (the file's last line may not)
};

enum class LineKind { Other, Section, Value };

struct Classified {
  LineKind kind = LineKind::Other;
  std::string_view name;
  std::size_t equals = 0;  // offset of the "=" of a value line, from the line's begin
};

Classified Classify(std::string_view content) {
  Classified c;
  const std::size_t first = content.find_first_not_of(" \t\r\v\f");
  if (first != std::string_view::npos && content[first] == '[') {
    const std::size_t close = content.rfind(']');
    if (close != std::string_view::npos && close > first) {
      c.kind = LineKind::Section;
      c.name = Trim(content.substr(first + 1, close - first - 1));
      return c;
    }
  }
  const std::size_t eq = content.find('=');
  if (eq != std::string_view::npos) {
    c.kind = LineKind::Value;
    c.name = Trim(content.substr(0, eq));
    c.equals = eq;
  }
  return c;
}

// Where a section and a key are, or where they would go. One pass, stopping as soon as
// the answer is known, so a huge file costs no more than one look at each byte.
struct Location {
  bool sectionFound = false;
  bool sectionHasLine = false;  // false for the nameless section at the top
  Line sectionLine;
  bool keyFound = false;
  Line keyLine;
  std::size_t keyEquals = 0;
  bool hasValueLine = false;
  Line lastValueLine;
};

Location Locate(const std::string& text, std::string_view section, std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  Location loc;
  const std::string_view all(text);
  std::size_t pos = BodyStart(text);
  bool inside = section.empty();  // the lines before the first section line
  if (inside) {
    loc.sectionFound = true;
    loc.sectionLine = Line{pos, pos, pos, true};
  }
  while (pos < all.size()) {
    Line line;
    line.begin = pos;
    const std::size_t nl = all.find('\n', pos);
    if (nl == std::string_view::npos) {
      line.end = line.next = all.size();
    } else {
      line.end = (nl > pos && all[nl - 1] == '\r') ? nl - 1 : nl;
      line.next = nl + 1;
      line.terminated = true;
    }
    pos = line.next;
    const Classified c = Classify(all.substr(line.begin, line.end - line.begin));
    if (c.kind == LineKind::Section) {
      if (inside) break;  // the first section of the name has ended
      if (!loc.sectionFound && text::EqualIgnoreCase(c.name, section)) {
        inside = true;
        loc.sectionFound = true;
        loc.sectionHasLine = true;
        loc.sectionLine = line;
      }
    } else if (c.kind == LineKind::Value && inside) {
      loc.hasValueLine = true;
      loc.lastValueLine = line;
      if (text::EqualIgnoreCase(c.name, key)) {
        loc.keyFound = true;
        loc.keyLine = line;
        loc.keyEquals = line.begin + c.equals;
        break;
      }
    }
  }
  return loc;
}

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// Cuts after `limit` code points, never inside a UTF-8 sequence.
std::string_view Truncate(std::string_view v, std::size_t limit) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const auto b = static_cast<unsigned char>(v[i]);
    if ((b & 0xC0) != 0x80) {
      if (chars == limit) return v.substr(0, i);
      ++chars;
    }
  }
  return v;
}

std::string LineEndOf(const std::string& text) {
  const std::size_t nl = text.find('\n');
  if (nl != std::string::npos && (nl == 0 || text[nl - 1] != '\r')) return "\n";
  return "\r\n";
}

// True when the text's last line (before its final line end) holds only blanks.
bool EndsWithBlankLine(const std::string& text) {
  std::size_t end = text.size();
  if (end > 0 && text[end - 1] == '\n') --end;
  std::size_t i = end;
  while (i > 0 && text[i - 1] != '\n') {
    if (!IsBlank(text[i - 1])) return false;
    --i;
  }
  return true;
}

}  // namespace

std::string ProfileRead(const std::string& text, const std::string& section,
                        const std::string& key, const std::string& defaultValue) {
  const Location loc = Locate(text, section, key);
  if (!loc.keyFound) {
    std::string_view d(defaultValue);
    while (!d.empty() && IsBlank(d.back())) d.remove_suffix(1);
    return std::string(d);
  }
  const std::string_view line =
      std::string_view(text).substr(loc.keyEquals + 1, loc.keyLine.end - loc.keyEquals - 1);
  return std::string(Truncate(Unquote(Trim(line)), kMaxProfileValueChars));
}

std::string ProfileWrite(const std::string& text, const std::string& section,
                         const std::string& key, const std::string& value) {
  const Location loc = Locate(text, section, key);
  const std::string nl = LineEndOf(text);
  const std::string keyLine = std::string(Trim(key)) + "=" + value;
  std::string out;
  out.reserve(text.size() + keyLine.size() + section.size() + 8);
  if (loc.keyFound) {
    out.append(text, 0, loc.keyEquals + 1);
    out.append(value);
    out.append(text, loc.keyLine.end, std::string::npos);
  } else if (loc.sectionFound) {
    const Line& anchor = loc.hasValueLine ? loc.lastValueLine : loc.sectionLine;
    out.append(text, 0, anchor.next);
    if ((loc.hasValueLine || loc.sectionHasLine) && !anchor.terminated) out.append(nl);
    out.append(keyLine).append(nl);
    out.append(text, anchor.next, std::string::npos);
  } else {
    out = text;
    if (out.size() > BodyStart(out)) {
      if (out.back() != '\n') out.append(nl);
      if (!EndsWithBlankLine(out)) out.append(nl);
    }
    out.append("[").append(Trim(section)).append("]").append(nl);
    out.append(keyLine).append(nl);
  }
  return out;
}

// ---- the file layer ----

namespace {

std::filesystem::path ToPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string FromPath(const std::filesystem::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// A read-only file must stay as it is, even for a user whose rights would let a rename
// replace it (the directory's rights decide that, and root may write anything).
bool Writable(const std::filesystem::path& p) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::perms perms = fs::status(p, ec).permissions();
  if (ec) return false;
  if ((perms & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) ==
      fs::perms::none)
    return false;
  std::ofstream probe(p, std::ios::binary | std::ios::app);
  return static_cast<bool>(probe);
}

}  // namespace

PortableProfileStore::PortableProfileStore(platform::FolderLocks& locks, platform::Clock& clock,
                                           std::uint32_t lockWaitMs)
    : locks_(&locks), clock_(&clock), lockWaitMs_(lockWaitMs) {}

// Two copies of the program that close together each write the file key by key, and every
// key is a read, a change and a replacement of the whole file: without an order between
// them, one copy's replacement drops the key the other wrote a moment before. A lock on
// the folder (the file itself is replaced, so a lock on it would stay with the old one)
// makes each key's read and replacement one step. The Windows edition writes through the
// system's own profile functions instead.
// A copy that is stopped or hung in the middle of a write keeps the lock. The others wait
// for it a while and then go ahead without it, rather than hanging at exit; after one such
// timeout this store only tries the lock until it is free again, so that a whole save of
// many keys is not held up once per key.
std::unique_ptr<platform::FolderLocks::Held> PortableProfileStore::LockFolder(const std::string& folder) {
  std::unique_ptr<platform::FolderLocks::Held> held;
  if (!locks_) return held;
  const std::uint64_t waitUs = lockTimedOut_ ? 0 : std::uint64_t{lockWaitMs_} * 1000;
  const std::uint64_t start = clock_->NowMicros();
  for (;;) {
    switch (locks_->TryLock(folder, held)) {
      case platform::FolderLocks::Result::Taken:
        lockTimedOut_ = false;
        return held;
      case platform::FolderLocks::Result::Unsupported:
        return nullptr;
      case platform::FolderLocks::Result::Busy:
        break;
    }
    if (clock_->NowMicros() - start >= waitUs) {
      lockTimedOut_ = true;
      return nullptr;
    }
    clock_->SleepMicros(kLockRetryUs);
  }
}

std::string PortableProfileStore::ReadString(const std::string& file, const std::string& section,
                                             const std::string& key,
                                             const std::string& defaultValue) {
  std::string text;
  if (!platform::files::ReadAll(file, text)) text.clear();
  return ProfileRead(text, section, key, defaultValue);
}

bool PortableProfileStore::WriteString(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& value) {
  namespace fs = std::filesystem;
  const fs::path path = ToPath(file);
  const std::string folder = path.parent_path().empty() ? std::string(".") : FromPath(path.parent_path());
  const std::unique_ptr<platform::FolderLocks::Held> lock = LockFolder(folder);
  std::error_code ec;
  const bool exists = fs::exists(path, ec);
  std::string text;
  fs::perms perms = fs::perms::none;
  if (exists) {
    // Writing on top of a file that cannot be read would throw its contents away.
    if (!fs::is_regular_file(path, ec) || !Writable(path) || !platform::files::ReadAll(file, text))
      return false;
    perms = fs::status(path, ec).permissions();
  }
  try {
    platform::files::WriteAllReplacing(file, ProfileWrite(text, section, key, value));
  } catch (const std::exception&) {
    return false;
  }
  if (exists) fs::permissions(path, perms, ec);  // the replacement keeps the old rights
  return true;
}

}  // namespace settings
