#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "update/SignedRelease.h"

namespace {

const std::string kHash = "2cf24dba5fb0a30e26e83b2ac5b9e29e1b161e5c1fa7425e73043362938b9824";
const std::string kSig =
    "Np0GCMcU8bqkAca9seiyI6X2K8PfJywsInpym0fBvcwejY+awfndl0lRxHnbCoweYEWfa0zOPhFthS52j7zzCg==";

TEST(SignedRelease, ParsesOnlyWellFormedLines) {
  const std::string good = "signature exe 25 " + kHash + " " + kSig;
  struct Case {
    std::string line;
    bool ok;
  } cases[] = {
      {good, true},
      {"signature  deb\t25 " + kHash + " " + kSig + " ", true},  // blanks between fields
      {"signature exe 25 " + kHash, false},                      // no signature
      {good + " extra", false},
      {"Signature exe 25 " + kHash + " " + kSig, false},
      {"signature EXE 25 " + kHash + " " + kSig, false},
      {"signature exe -25 " + kHash + " " + kSig, false},
      {"signature exe +25 " + kHash + " " + kSig, false},
      {"signature exe 2.5 " + kHash + " " + kSig, false},
      {"signature exe 1234567890 " + kHash + " " + kSig, false},  // beyond an int's reach
      {"signature exe 25 " + kHash.substr(2) + " " + kSig, false},
      {"signature exe 25 " + kHash + "00 " + kSig, false},
      {"signature exe 25 " + kHash.substr(0, 63) + "g " + kSig, false},
      {"signature exe 25 " + kHash + " " + kSig.substr(4), false},      // 61 bytes
      {"signature exe 25 " + kHash + " " + kSig.substr(0, 86), false},  // unpadded
      {"signature exe 25 " + kHash + " " + kSig.substr(0, 85) + "h==", false},  // bits after the end
      {"", false},
      {"25/20", false},
  };
  for (const Case& c : cases) {
    update::SignedRelease r;
    EXPECT_EQ(update::ParseSignatureLine(c.line, r), c.ok) << c.line;
  }
  update::SignedRelease r;
  ASSERT_TRUE(update::ParseSignatureLine(good, r));
  EXPECT_EQ(r.kind, "exe");
  EXPECT_EQ(r.version, 25);
  EXPECT_EQ(r.sha256[0], 0x2c);
  EXPECT_EQ(r.sha256[31], 0x24);
  EXPECT_EQ(update::FormatSignatureLine(r), good);
}

TEST(SignedRelease, Base64AtEveryPaddingLength) {
  struct Case {
    std::string bytes, text;
  } cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
               {std::string("\xff\xfe\x00", 3), "//4A"}};
  for (const Case& c : cases) {
    EXPECT_EQ(update::Base64Encode(c.bytes), c.text);
    std::string back;
    ASSERT_TRUE(update::Base64Decode(c.text, back)) << c.text;
    EXPECT_EQ(back, c.bytes);
  }
  std::string out;
  for (const char* bad : {"Zg=", "Zg", "Z===", "Zg==Zg==", "Zm9v\n", "Zh==", "Zm9=", "=Zg=", "Z-8="})
    EXPECT_FALSE(update::Base64Decode(bad, out)) << bad;
}

TEST(SignedRelease, TheSignedMessageBindsKindVersionAndHash) {
  platform::Sha256Digest h{};
  h[0] = 0xab;
  EXPECT_EQ(update::SignedMessage("exe", 25, h),
            "QEL Auto Clicker release\nexe\n25\nab" + std::string(62, '0') + "\n");
  EXPECT_NE(update::SignedMessage("deb", 25, h), update::SignedMessage("exe", 25, h));
  EXPECT_NE(update::SignedMessage("exe", 26, h), update::SignedMessage("exe", 25, h));
}

TEST(SignedRelease, TheShippedKeyIsAPublicP256Point) {
  std::string key;
  ASSERT_TRUE(update::Base64Decode(update::ShippedReleaseKey(), key));
  ASSERT_EQ(key.size(), 65u);
  EXPECT_EQ(key[0], '\x04');
}

}  // namespace
