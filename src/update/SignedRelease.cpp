#include "update/SignedRelease.h"

#include "i18n/Translation.h"

#ifndef QEL_UPDATE_PUBLIC_KEY
#define QEL_UPDATE_PUBLIC_KEY ""
#endif

namespace update {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  for (char c : line) {
    if (c == ' ' || c == '\t') {
      if (!field.empty()) fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  if (!field.empty()) fields.push_back(field);
  return fields;
}

bool ReadVersion(const std::string& text, int& version) {
  // Nine digits at most: the number stays an int, and no sign or blank slips in.
  if (text.empty() || text.size() > 9) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  version = v;
  return true;
}

}  // namespace

std::string Base64Encode(const std::string& bytes) {
  std::string out;
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += kAlphabet[v >> 6 & 63];
    out += kAlphabet[v & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += rest == 2 ? kAlphabet[v >> 6 & 63] : '=';
    out += '=';
  }
  return out;
}

bool Base64Decode(const std::string& text, std::string& bytes) {
  if (text.size() % 4 != 0) return false;
  std::string out;
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int v[4];
    int pad = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + static_cast<size_t>(k)];
      if (c == '=' && last && k >= 2) {
        v[k] = 0;
        ++pad;
        continue;
      }
      if (pad > 0) return false;  // data after padding
      v[k] = Base64Value(c);
      if (v[k] < 0) return false;
    }
    const unsigned n = static_cast<unsigned>(v[0] << 18 | v[1] << 12 | v[2] << 6 | v[3]);
    // Bits that padding drops must be zero, so every byte string has exactly one text.
    if ((pad == 1 && (n & 0xFF)) || (pad == 2 && (n & 0xFFFF))) return false;
    out += static_cast<char>(n >> 16 & 0xFF);
    if (pad < 2) out += static_cast<char>(n >> 8 & 0xFF);
    if (pad < 1) out += static_cast<char>(n & 0xFF);
  }
  bytes = std::move(out);
  return true;
}

std::string HexOf(const std::uint8_t* data, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 15];
  }
  return out;
}

bool ParseSignatureLine(const std::string& line, SignedRelease& out) {
  const std::vector<std::string> f = Fields(line);
  if (f.size() != 5 || f[0] != kSignatureWord || f[1].empty()) return false;
  for (char c : f[1])
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  out.kind = f[1];
  if (!ReadVersion(f[2], out.version)) return false;
  if (f[3].size() != 2 * out.sha256.size()) return false;
  for (size_t i = 0; i < out.sha256.size(); ++i) {
    const int hi = HexValue(f[3][2 * i]), lo = HexValue(f[3][2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.sha256[i] = static_cast<std::uint8_t>(hi << 4 | lo);
  }
  std::string sig;
  if (!Base64Decode(f[4], sig) || sig.size() != out.signature.size()) return false;
  for (size_t i = 0; i < sig.size(); ++i) out.signature[i] = static_cast<std::uint8_t>(sig[i]);
  return true;
}

std::string FormatSignatureLine(const SignedRelease& r) {
  return std::string(kSignatureWord) + " " + r.kind + " " + std::to_string(r.version) + " " +
         HexOf(r.sha256.data(), r.sha256.size()) + " " +
         Base64Encode(std::string(reinterpret_cast<const char*>(r.signature.data()), r.signature.size()));
}

std::string SignedMessage(const std::string& kind, int version, const platform::Sha256Digest& sha256) {
  return "QEL Auto Clicker release\n" + kind + "\n" + std::to_string(version) + "\n" +
         HexOf(sha256.data(), sha256.size()) + "\n";
}

std::string ShippedReleaseKey() { return QEL_UPDATE_PUBLIC_KEY; }

InstallerVerdict JudgeInstaller(const InstallerCheck& check, const std::string& fileBytes,
                                platform::Crypto& crypto) {
  SignedRelease release;
  bool found = false;
  for (const std::string& line : check.pageLines) {
    if (ParseSignatureLine(line, release) && release.kind == check.kind) {
      found = true;
      break;
    }
  }
  if (!found) return InstallerVerdict::NotSigned;
  if (crypto.Sha256(fileBytes) != release.sha256) return InstallerVerdict::NoMatch;
  std::string key;
  if (!Base64Decode(check.publicKey, key)) return InstallerVerdict::NoMatch;
  const std::string signature(reinterpret_cast<const char*>(release.signature.data()), release.signature.size());
  if (!crypto.VerifyP256(key, SignedMessage(release.kind, release.version, release.sha256), signature))
    return InstallerVerdict::NoMatch;
  // Only a genuine release gets this far: its version is the maker's word.
  if (release.version < check.ownVersion) return InstallerVerdict::OlderVersion;
  if (release.version != check.offeredVersion) return InstallerVerdict::NoMatch;
  return InstallerVerdict::Accepted;
}

std::string RefusalText(InstallerVerdict verdict) {
  switch (verdict) {
    case InstallerVerdict::Accepted:
      return {};
    case InstallerVerdict::NotSigned:
      return TranslateText("The update server sent no signature for this download. It was deleted and not started.");
    case InstallerVerdict::NoMatch:
      return TranslateText(
          "The downloaded file does not match the maker's signature. It was deleted and not started.");
    case InstallerVerdict::OlderVersion:
      return TranslateText("The downloaded file is older than this version. It was deleted and not started.");
  }
  return {};
}

}  // namespace update
