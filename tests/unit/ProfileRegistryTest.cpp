#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "platform/ProfileRegistry.h"

namespace {

struct ProfileRegistryTest : ::testing::Test {
  fakes::FakeProfile store;
  int prepared = 0;
  bool folderOk = true;
  platform::ProfileRegistry reg{store, [] { return std::string("/cfg/QEL Auto Clicker/registry.ini"); },
                                [this] {
                                  ++prepared;
                                  return folderOk;
                                }};
};

TEST_F(ProfileRegistryTest, AMissingValueIsMissingAndAnEmptyOneIsOk) {
  std::string v = "untouched";
  EXPECT_EQ(reg.ReadString("Software\\QEL Auto Clicker", "CurrentLanguage", v),
            platform::RegReadResult::Missing);
  EXPECT_EQ(v, "untouched");
  EXPECT_EQ(prepared, 0);  // reading never creates anything

  ASSERT_TRUE(reg.WriteString("Software\\QEL Auto Clicker", "CurrentLanguage", ""));
  EXPECT_EQ(reg.ReadString("Software\\QEL Auto Clicker", "CurrentLanguage", v),
            platform::RegReadResult::Ok);
  EXPECT_EQ(v, "");
}

TEST_F(ProfileRegistryTest, TheKeyPathIsTheSectionWithOrWithoutALeadingSeparator) {
  ASSERT_TRUE(reg.WriteString("\\Software\\QEL Auto Clicker", "CurrentLanguage", "de"));
  ASSERT_EQ(store.writes, std::vector<std::string>{"Software\\QEL Auto Clicker/CurrentLanguage=de"});
  std::string v;
  EXPECT_EQ(reg.ReadString("Software\\QEL Auto Clicker", "currentlanguage", v),
            platform::RegReadResult::Ok);
  EXPECT_EQ(v, "de");
  EXPECT_EQ(reg.ReadString("Software\\Other", "CurrentLanguage", v), platform::RegReadResult::Missing);
}

TEST_F(ProfileRegistryTest, AWriteFailsWhenTheFolderOrTheFileCannotBeWritten) {
  folderOk = false;
  EXPECT_FALSE(reg.WriteString("Software\\QEL Auto Clicker", "CurrentLanguage", "de"));
  EXPECT_TRUE(store.writes.empty());
  folderOk = true;
  store.failWrites = true;
  EXPECT_FALSE(reg.WriteString("Software\\QEL Auto Clicker", "CurrentLanguage", "de"));
  EXPECT_EQ(prepared, 2);
}

}  // namespace
