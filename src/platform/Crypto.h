#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace platform {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The platform's own cryptography (Windows CNG, OpenSSL's libcrypto).
class Crypto {
 public:
  virtual ~Crypto() = default;
  // Throws std::runtime_error when the platform cannot hash.
  virtual Sha256Digest Sha256(const std::string& bytes) = 0;
  // ECDSA on P-256 with SHA-256 over `message`. `publicKey` is the uncompressed point
  // (0x04, X, Y: 65 bytes), `signature` is r and s, 32 bytes each. False for a key or a
  // signature that is malformed, as for one that does not verify.
  virtual bool VerifyP256(const std::string& publicKey, const std::string& message,
                          const std::string& signature) = 0;
};

}  // namespace platform
