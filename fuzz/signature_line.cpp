// A line of the version page after the first, as the server (or anything between it and
// the program) may send it. Whatever the parser accepts must be a release it can write
// back and read again unchanged, and the verdict on a download must never throw past a
// refusal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "update/SignedRelease.h"

namespace {

// Accepts exactly one signature, so that the verdict's every branch can be reached.
class OneKeyCrypto : public platform::Crypto {
 public:
  platform::Sha256Digest Sha256(const std::string& bytes) override {
    platform::Sha256Digest d{};
    for (size_t i = 0; i < bytes.size(); ++i) d[i % d.size()] ^= static_cast<std::uint8_t>(bytes[i]);
    return d;
  }
  bool VerifyP256(const std::string& key, const std::string&, const std::string& signature) override {
    return key.size() == 65 && signature == std::string(64, '\x11');
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  update::SignedRelease release;
  if (update::ParseSignatureLine(line, release)) {
    const std::string written = update::FormatSignatureLine(release);
    update::SignedRelease again;
    if (!update::ParseSignatureLine(written, again) || update::FormatSignatureLine(again) != written ||
        again.kind != release.kind || again.version != release.version || again.sha256 != release.sha256 ||
        again.signature != release.signature)
      std::abort();
    if (release.version < 0) std::abort();
  }

  std::string bytes;
  if (update::Base64Decode(line, bytes) && update::Base64Encode(bytes) != line) std::abort();

  update::InstallerCheck check;
  check.pageLines = {line};
  check.kind = "exe";
  check.offeredVersion = 25;
  check.ownVersion = 24;
  check.publicKey = update::Base64Encode(std::string(65, '\x04'));
  OneKeyCrypto crypto;
  update::JudgeInstaller(check, "installer", crypto);
  return 0;
}
