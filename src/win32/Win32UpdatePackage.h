#pragma once

#include "platform/Crypto.h"
#include "platform/UpdatePackage.h"

namespace win32 {

// The installer: downloaded into the user's own temporary folder and started in its
// silent mode, which waits for this program to end, replaces it and starts the new one.
class Win32UpdatePackage : public platform::UpdatePackage {
 public:
  std::string ServerPath() override;
  std::string Kind() override;
  std::string NewDownloadPath(const std::string& tempFolder) override;
  void Start(const std::string& file) override;
  void Discard(const std::string& file) override;
};

// SHA-256 and ECDSA P-256 verification through CNG (bcrypt.dll).
class CngCrypto : public platform::Crypto {
 public:
  platform::Sha256Digest Sha256(const std::string& bytes) override;
  bool VerifyP256(const std::string& publicKey, const std::string& message,
                  const std::string& signature) override;
};

}  // namespace win32
