#include "win32/Win32UpdatePackage.h"

#include <windows.h>
#include <bcrypt.h>
#include <shellapi.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "update/VersionCheck.h"
#include "win32/Win32ServicesText.h"

namespace win32 {

std::string Win32UpdatePackage::ServerPath() { return update::kWindowsInstallerPath; }

std::string Win32UpdatePackage::Kind() { return "exe"; }

std::string Win32UpdatePackage::NewDownloadPath(const std::string& tempFolder) {
  // The user's temporary folder lies in the user's own profile, out of other users' reach.
  return tempFolder + update::kWindowsInstallerFileName;
}

void Win32UpdatePackage::Start(const std::string& file) {
  const std::wstring path = win32::Utf8ToWide(file);
  ShellExecuteW(nullptr, nullptr, path.c_str(), L"/S", nullptr, SW_SHOWNORMAL);
}

void Win32UpdatePackage::Discard(const std::string& file) { DeleteFileW(win32::Utf8ToWide(file).c_str()); }

namespace {

struct Algorithm {
  BCRYPT_ALG_HANDLE handle = nullptr;
  explicit Algorithm(const wchar_t* name) {
    if (BCryptOpenAlgorithmProvider(&handle, name, nullptr, 0) != 0) handle = nullptr;
  }
  ~Algorithm() {
    if (handle) BCryptCloseAlgorithmProvider(handle, 0);
  }
  Algorithm(const Algorithm&) = delete;
  Algorithm& operator=(const Algorithm&) = delete;
};

bool Hash(const std::string& bytes, platform::Sha256Digest& out) {
  Algorithm alg(BCRYPT_SHA256_ALGORITHM);
  if (!alg.handle) return false;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (BCryptCreateHash(alg.handle, &hash, nullptr, 0, nullptr, 0, 0) != 0) return false;
  bool ok = true;
  // BCryptHashData takes at most a ULONG at a time.
  for (size_t at = 0; ok && at < bytes.size();) {
    const ULONG n = static_cast<ULONG>(std::min<size_t>(bytes.size() - at, 1u << 30));
    ok = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + at)), n, 0) == 0;
    at += n;
  }
  ok = ok && BCryptFinishHash(hash, out.data(), static_cast<ULONG>(out.size()), 0) == 0;
  BCryptDestroyHash(hash);
  return ok;
}

}  // namespace

platform::Sha256Digest CngCrypto::Sha256(const std::string& bytes) {
  platform::Sha256Digest d{};
  if (!Hash(bytes, d)) throw std::runtime_error("SHA-256 is not available");
  return d;
}

bool CngCrypto::VerifyP256(const std::string& publicKey, const std::string& message,
                           const std::string& signature) {
  if (publicKey.size() != 65 || publicKey[0] != 0x04 || signature.size() != 64) return false;
  platform::Sha256Digest digest{};
  if (!Hash(message, digest)) return false;
  Algorithm alg(BCRYPT_ECDSA_P256_ALGORITHM);
  if (!alg.handle) return false;
  // CNG's public blob: its header, then X and Y without the 0x04 of the uncompressed form.
  std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 64);
  auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
  header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
  header->cbKey = 32;
  std::copy(publicKey.begin() + 1, publicKey.end(), blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB));
  BCRYPT_KEY_HANDLE key = nullptr;
  if (BCryptImportKeyPair(alg.handle, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                          static_cast<ULONG>(blob.size()), 0) != 0)
    return false;
  std::string sig = signature;
  const NTSTATUS status = BCryptVerifySignature(key, nullptr, digest.data(), static_cast<ULONG>(digest.size()),
                                                reinterpret_cast<PUCHAR>(sig.data()), static_cast<ULONG>(sig.size()), 0);
  BCryptDestroyKey(key);
  return status == 0;
}

}  // namespace win32
