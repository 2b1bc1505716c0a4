#include "linux/OpenSslCrypto.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <memory>
#include <stdexcept>

namespace linuxdesktop {

namespace {

struct PkeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct PkeyCtxFree {
  void operator()(EVP_PKEY_CTX* c) const { EVP_PKEY_CTX_free(c); }
};
struct MdCtxFree {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
struct SigFree {
  void operator()(ECDSA_SIG* s) const { ECDSA_SIG_free(s); }
};

std::unique_ptr<EVP_PKEY, PkeyFree> PublicKeyFromPoint(const std::string& point) {
  std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree> ctx(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  if (!ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1) return nullptr;
  char group[] = "prime256v1";
  std::string copy = point;
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, group, 0),
      OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_PUB_KEY, copy.data(), copy.size()),
      OSSL_PARAM_construct_end()};
  EVP_PKEY* key = nullptr;
  // A point that is not on the curve is refused here.
  if (EVP_PKEY_fromdata(ctx.get(), &key, EVP_PKEY_PUBLIC_KEY, params) != 1) return nullptr;
  return std::unique_ptr<EVP_PKEY, PkeyFree>(key);
}

// r and s as libcrypto wants them: a DER SEQUENCE of two INTEGERs.
std::string DerSignature(const std::string& rs) {
  std::unique_ptr<ECDSA_SIG, SigFree> sig(ECDSA_SIG_new());
  if (!sig) return {};
  BIGNUM* r = BN_bin2bn(reinterpret_cast<const unsigned char*>(rs.data()), 32, nullptr);
  BIGNUM* s = BN_bin2bn(reinterpret_cast<const unsigned char*>(rs.data()) + 32, 32, nullptr);
  if (!r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
    BN_free(r);
    BN_free(s);
    return {};
  }
  unsigned char* der = nullptr;
  const int n = i2d_ECDSA_SIG(sig.get(), &der);
  if (n <= 0) return {};
  std::string out(reinterpret_cast<char*>(der), static_cast<size_t>(n));
  OPENSSL_free(der);
  return out;
}

}  // namespace

platform::Sha256Digest OpenSslCrypto::Sha256(const std::string& bytes) {
  platform::Sha256Digest d{};
  unsigned int n = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), d.data(), &n, EVP_sha256(), nullptr) != 1 || n != d.size())
    throw std::runtime_error("SHA-256 is not available");
  return d;
}

bool OpenSslCrypto::VerifyP256(const std::string& publicKey, const std::string& message,
                               const std::string& signature) {
  if (publicKey.size() != 65 || signature.size() != 64) return false;
  auto key = PublicKeyFromPoint(publicKey);
  if (!key) return false;
  const std::string der = DerSignature(signature);
  if (der.empty()) return false;
  std::unique_ptr<EVP_MD_CTX, MdCtxFree> md(EVP_MD_CTX_new());
  if (!md || EVP_DigestVerifyInit(md.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1) return false;
  return EVP_DigestVerify(md.get(), reinterpret_cast<const unsigned char*>(der.data()), der.size(),
                          reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
}

}  // namespace linuxdesktop
