#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Crypto.h"

namespace update {

// A release as the maker's key vouches for it: one line of the version page after the
// first, "signature <kind> <version> <sha256 in hex> <r and s in base64>", e.g.
// "signature exe 25 9f86…0a08 q2Vh…Zg==". Older copies read only the first line.
struct SignedRelease {
  std::string kind;  // "exe", "deb": which edition's package
  int version = 0;   // the version times ten, as on the first line
  platform::Sha256Digest sha256{};
  std::array<std::uint8_t, 64> signature{};
};

inline constexpr const char* kSignatureWord = "signature";

// False (and `out` unspecified) for anything but a well-formed signature line.
bool ParseSignatureLine(const std::string& line, SignedRelease& out);
std::string FormatSignatureLine(const SignedRelease& release);
// What the release key signs. The kind and the version are in it, so a signature never
// fits another edition's package or passes an old release off as a new one.
std::string SignedMessage(const std::string& kind, int version, const platform::Sha256Digest& sha256);

std::string Base64Encode(const std::string& bytes);
// Strict: the standard alphabet, padded to a multiple of four; false for anything else.
bool Base64Decode(const std::string& text, std::string& bytes);
std::string HexOf(const std::uint8_t* data, size_t size);

// The maker's public release key built into the program (base64 of the uncompressed
// P-256 point), as the build was configured.
std::string ShippedReleaseKey();

enum class InstallerVerdict {
  Accepted,
  NotSigned,     // no signature line for this kind of package
  NoMatch,       // hash, signature or offered version do not match
  OlderVersion,  // a genuine release, but older than this one
};

struct InstallerCheck {
  std::vector<std::string> pageLines;  // the version page's lines after the first
  std::string kind;                    // this edition's package kind
  int offeredVersion = 0;              // the latest number of the first line
  int ownVersion = 0;                  // this program's version times ten
  std::string publicKey;               // base64, as ShippedReleaseKey
};

// Decides whether the downloaded `fileBytes` may be started.
InstallerVerdict JudgeInstaller(const InstallerCheck& check, const std::string& fileBytes,
                                platform::Crypto& crypto);
// The translated text that tells the user why a download was refused (empty for Accepted).
std::string RefusalText(InstallerVerdict verdict);

}  // namespace update
