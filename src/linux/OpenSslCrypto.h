#pragma once

#include "platform/Crypto.h"

namespace linuxdesktop {

// SHA-256 and ECDSA P-256 verification through OpenSSL's libcrypto.
class OpenSslCrypto : public platform::Crypto {
 public:
  platform::Sha256Digest Sha256(const std::string& bytes) override;
  bool VerifyP256(const std::string& publicKey, const std::string& message,
                  const std::string& signature) override;
};

}  // namespace linuxdesktop
