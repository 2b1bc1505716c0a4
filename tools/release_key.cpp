// The maker's side of signed updates: makes the release key pair and signs a release,
// writing the version page that announces it.
//
//   qel-release-key genkey PRIVATE_KEY.pem      new key pair; prints the public key
//   qel-release-key pubkey PRIVATE_KEY.pem      prints the public key again
//   qel-release-key sign PRIVATE_KEY.pem LATEST MINIMUM KIND=FILE...
//       prints the version page: "LATEST/MINIMUM", then one signature line per package
//       (KIND is exe for the Windows installer, deb for the Debian package)
//
// The public key (base64) is what the build takes as QEL_UPDATE_PUBLIC_KEY. The private
// key stays with the maker, never in the repository.
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "platform/Files.h"
#include "update/SignedRelease.h"

namespace {

struct PkeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct MdCtxFree {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
struct SigFree {
  void operator()(ECDSA_SIG* s) const { ECDSA_SIG_free(s); }
};
using Key = std::unique_ptr<EVP_PKEY, PkeyFree>;

int Fail(const std::string& text) {
  std::cerr << "qel-release-key: " << text << "\n";
  return 1;
}

std::string PublicPoint(EVP_PKEY* key) {
  unsigned char point[65];
  size_t n = 0;
  if (EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point, &n) != 1 || n != 65)
    return {};
  return std::string(reinterpret_cast<char*>(point), n);
}

Key ReadKey(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return nullptr;
  Key key(PEM_read_PrivateKey(f, nullptr, nullptr, nullptr));
  std::fclose(f);
  if (key && PublicPoint(key.get()).empty()) return nullptr;  // not a P-256 key
  return key;
}

int GenKey(const std::string& path) {
  Key key(EVP_EC_gen("P-256"));
  if (!key) return Fail("cannot make a P-256 key");
  // Only the owner may read it; an existing file is never replaced.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0) return Fail("cannot create " + path + " (it must not exist yet)");
  std::FILE* f = fdopen(fd, "wb");
  const bool ok = f && PEM_write_PrivateKey(f, key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
  if (f) std::fclose(f);
  if (!ok) return Fail("cannot write " + path);
  std::cout << update::Base64Encode(PublicPoint(key.get())) << "\n";
  return 0;
}

// r and s, 32 bytes each, from the DER signature libcrypto makes.
std::string SignRaw(EVP_PKEY* key, const std::string& message) {
  std::unique_ptr<EVP_MD_CTX, MdCtxFree> md(EVP_MD_CTX_new());
  size_t n = 0;
  if (!md || EVP_DigestSignInit(md.get(), nullptr, EVP_sha256(), nullptr, key) != 1 ||
      EVP_DigestSign(md.get(), nullptr, &n, reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1)
    return {};
  std::string der(n, '\0');
  if (EVP_DigestSign(md.get(), reinterpret_cast<unsigned char*>(der.data()), &n,
                     reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1)
    return {};
  const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
  std::unique_ptr<ECDSA_SIG, SigFree> sig(d2i_ECDSA_SIG(nullptr, &p, static_cast<long>(n)));
  if (!sig) return {};
  unsigned char raw[64];
  if (BN_bn2binpad(ECDSA_SIG_get0_r(sig.get()), raw, 32) != 32 ||
      BN_bn2binpad(ECDSA_SIG_get0_s(sig.get()), raw + 32, 32) != 32)
    return {};
  return std::string(reinterpret_cast<char*>(raw), sizeof raw);
}

bool ReadNumber(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stoi(text);
  return true;
}

int Sign(int argc, char** argv) {
  Key key = ReadKey(argv[2]);
  if (!key) return Fail(std::string("cannot read a P-256 private key from ") + argv[2]);
  int latest = 0, minimum = 0;
  if (!ReadNumber(argv[3], latest) || !ReadNumber(argv[4], minimum))
    return Fail("LATEST and MINIMUM are versions times ten, e.g. 25 20");
  std::string page = std::to_string(latest) + "/" + std::to_string(minimum) + "\r\n";
  for (int i = 5; i < argc; ++i) {
    const std::string arg = argv[i];
    const size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) return Fail("packages are given as KIND=FILE: " + arg);
    update::SignedRelease release;
    release.kind = arg.substr(0, eq);
    release.version = latest;
    std::string bytes;
    if (!platform::files::ReadAll(arg.substr(eq + 1), bytes)) return Fail("cannot read " + arg.substr(eq + 1));
    unsigned int n = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), release.sha256.data(), &n, EVP_sha256(), nullptr) != 1)
      return Fail("cannot hash " + arg.substr(eq + 1));
    const std::string raw =
        SignRaw(key.get(), update::SignedMessage(release.kind, release.version, release.sha256));
    if (raw.size() != release.signature.size()) return Fail("cannot sign");
    for (size_t k = 0; k < raw.size(); ++k) release.signature[k] = static_cast<std::uint8_t>(raw[k]);
    const std::string line = update::FormatSignatureLine(release);
    update::SignedRelease check;
    if (!update::ParseSignatureLine(line, check)) return Fail("kind must be lower-case letters and digits: " + release.kind);
    page += line + "\r\n";
  }
  std::cout << page;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc >= 2 ? argv[1] : "";
  if (command == "genkey" && argc == 3) return GenKey(argv[2]);
  if (command == "pubkey" && argc == 3) {
    Key key = ReadKey(argv[2]);
    if (!key) return Fail(std::string("cannot read a P-256 private key from ") + argv[2]);
    std::cout << update::Base64Encode(PublicPoint(key.get())) << "\n";
    return 0;
  }
  if (command == "sign" && argc >= 6) return Sign(argc, argv);
  std::cerr << "usage: qel-release-key genkey KEY.pem | pubkey KEY.pem |"
               " sign KEY.pem LATEST MINIMUM KIND=FILE...\n";
  return 2;
}
