#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "IniCases.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFolderLocks.h"
#include "fakes/TempFolder.h"
#include "platform/Files.h"
#include "settings/ProfileFile.h"
#include "settings/ProfileInteger.h"

namespace fs = std::filesystem;

namespace {

std::vector<inicases::Case> LoadCases() {
  std::ifstream in(std::string(QEL_SOURCE_DIR) + "/tests/data/ini_cases.txt", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return inicases::Parse(s.str());
}

struct TempDir : fakes::TempFolder {
  TempDir() : TempFolder("qel-profile") {}
};

std::string Slurp(const std::string& file) {
  std::string bytes;
  platform::files::ReadAll(file, bytes);
  return bytes;
}

void Put(const std::string& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// The shared table, once on text in memory and once through real files.
TEST(ProfileCases, TableOnTextAndOnFiles) {
  const auto cases = LoadCases();
  ASSERT_GT(cases.size(), 20u);
  TempDir dir;
  settings::PortableProfileStore store;
  int n = 0;
  for (const auto& c : cases) {
    std::string text = c.hasFile ? c.file : std::string();
    const std::string file = dir.File("case" + std::to_string(++n) + ".ini");
    if (c.hasFile) Put(file, c.file);
    for (const auto& op : c.ops) {
      SCOPED_TRACE(c.name + " (line " + std::to_string(op.lineNo) + ")");
      const auto& f = op.fields;
      switch (op.kind) {
        case inicases::Op::Read:
          EXPECT_EQ(settings::ProfileRead(text, f[0], f[1], f[2]), f[3]);
          EXPECT_EQ(store.ReadString(file, f[0], f[1], f[2]), f[3]);
          break;
        case inicases::Op::Write:
          text = settings::ProfileWrite(text, f[0], f[1], f[2]);
          EXPECT_TRUE(store.WriteString(file, f[0], f[1], f[2]));
          break;
        case inicases::Op::Result:
          EXPECT_EQ(text, f[0]);
          EXPECT_EQ(Slurp(file), f[0]);
          break;
      }
    }
  }
}

TEST(ProfileText, Utf8ByteOrderMarkIsSkippedAndKept) {
  const std::string bom = "\xEF\xBB\xBF";
  EXPECT_EQ(settings::ProfileRead(bom + "[a]\r\nk=1\r\n", "a", "k", ""), "1");
  EXPECT_EQ(settings::ProfileWrite(bom + "[a]\r\nk=1\r\n", "a", "k", "2"), bom + "[a]\r\nk=2\r\n");
  EXPECT_EQ(settings::ProfileWrite(bom, "a", "k", "2"), bom + "[a]\r\nk=2\r\n");
  EXPECT_EQ(settings::ProfileWrite(bom + "k=1\n[a]\n", "", "j", "2"), bom + "k=1\nj=2\n[a]\n");
}

TEST(ProfileText, ValueCutNeverSplitsACharacter) {
  const std::string e = "\xC3\xA9";  // é, two bytes, one character
  std::string many;
  for (int i = 0; i < 3000; ++i) many += e;
  const std::string got = settings::ProfileRead("[a]\nk=" + many + "\n", "a", "k", "");
  EXPECT_EQ(got.size(), 2047u * 2);
}

// Random bytes, a 10 MB file and very long lines: no crash, and time grows linearly.
TEST(ProfileText, HostileInputStaysFastAndSafe) {
  std::mt19937 rng(7);
  std::string junk(1 << 20, '\0');
  for (char& c : junk) c = static_cast<char>(rng() % 8 == 0 ? "[]=\n\r;\" "[rng() % 8] : rng());
  settings::ProfileRead(junk, "a", "k", "d");
  std::string written = settings::ProfileWrite(junk, "Target", "mode", "0");
  EXPECT_EQ(settings::ProfileRead(written, "Target", "mode", "d"), "0");

  std::string big;
  for (int i = 0; big.size() < 10'000'000; ++i)
    big += "[s" + std::to_string(i) + "]\r\nkey=" + std::string(5000, 'v') + "\r\n";
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(settings::ProfileRead(big, "nowhere", "k", "d"), "d");
  big = settings::ProfileWrite(big, "nowhere", "k", "1");
  EXPECT_EQ(settings::ProfileRead(big, "NOWHERE", "K", "d"), "1");
  const std::string oneLine = "[a]\n" + std::string(10'000'000, '=');
  EXPECT_EQ(settings::ProfileRead(oneLine, "a", "", "d"), std::string(2047, '='));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - t0)
                      .count();
  EXPECT_LT(ms, 5000);  // linear: well under a second even sanitized
}

TEST(ProfileFile, UnreadableFileReadsAsNoKeys) {
  TempDir dir;
  settings::PortableProfileStore store;
  EXPECT_EQ(store.ReadString(dir.File("missing/settings.ini"), "a", "k", "d"), "d");
  fs::create_directory(dir.path / "folder.ini");
  EXPECT_EQ(store.ReadString(dir.File("folder.ini"), "a", "k", "d"), "d");
  EXPECT_FALSE(store.WriteString(dir.File("folder.ini"), "a", "k", "1"));
}

TEST(ProfileFile, FailedWriteLeavesTheFileWhole) {
  TempDir dir;
  settings::PortableProfileStore store;
  EXPECT_FALSE(store.WriteString(dir.File("no/such/folder/settings.ini"), "a", "k", "1"));
  EXPECT_FALSE(fs::exists(dir.path / "no"));

  const std::string file = dir.File("settings.ini");
  Put(file, "[a]\r\nk=1\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(store.WriteString(file, "a", "k", "2"));
  EXPECT_EQ(Slurp(file), "[a]\r\nk=1\r\n");

  // A folder that cannot take the file beside it: the old file stays as it was.
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
  const bool folderLocked = !std::ofstream(dir.File("probe"));  // root writes anyway
  if (folderLocked) {
    EXPECT_FALSE(store.WriteString(file, "a", "k", "2"));
    EXPECT_EQ(Slurp(file), "[a]\r\nk=1\r\n");
  }
  fs::permissions(dir.path, fs::perms::owner_all);
  for (const auto& e : fs::directory_iterator(dir.path))
    EXPECT_EQ(e.path().filename().string().find("tmp"), std::string::npos) << e.path();
}

// Two copies of the program closing at once write the same file key by key: no key of
// either may be lost, and the file never holds a mixture of two writes.
TEST(ProfileFile, TwoWritersAtOnceLoseNoKey) {
  TempDir dir;
  const std::string file = dir.File("settings.ini");
  Put(file, "[s]\r\n");
  constexpr int kKeys = 60;
  fakes::FakeFolderLocks locks;
  fakes::SteadyClock clock;
  auto writer = [&](char who) {
    settings::PortableProfileStore store(locks, clock);
    for (int i = 0; i < kKeys; ++i)
      EXPECT_TRUE(store.WriteString(file, "s", who + std::to_string(i), std::to_string(i)));
  };
  std::thread a(writer, 'a'), b(writer, 'b');
  a.join();
  b.join();
  settings::PortableProfileStore store;
  int lost = 0;
  for (char who : {'a', 'b'}) {
    for (int i = 0; i < kKeys; ++i)
      lost += store.ReadString(file, "s", who + std::to_string(i), "lost") != std::to_string(i);
  }
  EXPECT_EQ(lost, 0);
  for (const auto& e : fs::directory_iterator(dir.path))
    EXPECT_EQ(e.path().filename().string(), "settings.ini");
}

// A copy stopped in the middle of a write keeps the folder's lock: another copy's save waits
// for it once, then goes ahead with every key instead of hanging or waiting per key; once
// the lock is free again it is used again, and a later hold is waited for again.
TEST(ProfileFile, LockHeldByAStoppedCopyOnlyDelaysTheFirstWrite) {
  TempDir dir;
  const std::string file = dir.File("settings.ini");
  Put(file, "[s]\r\n");
  const std::string folder = dir.path.string();
  fakes::FakeFolderLocks locks;
  fakes::FakeClock clock;
  settings::PortableProfileStore store(locks, clock, 5000);
  locks.HoldElsewhere(folder);

  EXPECT_TRUE(store.WriteString(file, "s", "first", "1"));
  EXPECT_GE(clock.now, 5000u);
  EXPECT_LE(clock.now, 5002u);
  const std::uint64_t afterFirst = clock.now;
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(store.WriteString(file, "s", "k" + std::to_string(i), "v"));
  EXPECT_EQ(clock.now, afterFirst) << "each key waited again";

  // Another store (another copy of the program) waits its own while.
  settings::PortableProfileStore other(locks, clock, 5000);
  EXPECT_TRUE(other.WriteString(file, "s", "other", "3"));
  EXPECT_GE(clock.now, afterFirst + 5000);

  locks.ReleaseElsewhere(folder);
  const int triesBefore = locks.Tries();
  EXPECT_TRUE(store.WriteString(file, "s", "after", "2"));
  EXPECT_EQ(locks.Tries(), triesBefore + 1);
  locks.HoldElsewhere(folder);
  const std::uint64_t beforeSecondHold = clock.now;
  EXPECT_TRUE(store.WriteString(file, "s", "late", "4"));
  EXPECT_GE(clock.now, beforeSecondHold + 5000) << "a free lock should reset the wait";

  for (const char* key : {"first", "k19", "after", "other", "late"})
    EXPECT_NE(store.ReadString(file, "s", key, ""), "") << key;
}

// A folder that cannot be locked (a file system without locks) is written without waiting.
TEST(ProfileFile, UnlockableFolderIsWrittenAtOnce) {
  TempDir dir;
  const std::string file = dir.File("settings.ini");
  fakes::FakeFolderLocks locks;
  locks.unsupported = true;
  fakes::FakeClock clock;
  settings::PortableProfileStore store(locks, clock);
  EXPECT_TRUE(store.WriteString(file, "s", "k", "v"));
  EXPECT_EQ(clock.now, 0u);
  EXPECT_EQ(store.ReadString(file, "s", "k", ""), "v");
}

TEST(ProfileFile, ReplacementKeepsTheFilesRights) {
  TempDir dir;
  settings::PortableProfileStore store;
  const std::string file = dir.File("settings.ini");
  Put(file, "[a]\nk=1\n");
  const auto rights = fs::perms::owner_read | fs::perms::owner_write;
  fs::permissions(file, rights);
  ASSERT_TRUE(store.WriteString(file, "a", "k", "2"));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, rights);
  EXPECT_EQ(Slurp(file), "[a]\nk=2\n");
}

TEST(ProfileInteger, ProfileNumberRules) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"100", 100},        {"-1", -1},           {"+7", 7},           {"  42", 42},
      {"\t5", 5},          {"0x20", 32},         {"0X20", 32},        {"$20", 32},
      {"x20", 32},         {"X1f", 31},          {"-$10", -16},       {"$FFFFFFFF", -1},
      {"0xffffffff", -1},  {"$80000000", INT32_MIN},                  {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},                {"007", 7},          {"0", 0},
      // each of these gives the default
      {"", 555},           {"abc", 555},         {"12abc", 555},      {"12 ", 555},
      {"1 2", 555},        {"-", 555},           {"+", 555},          {"$", 555},
      {"0x", 555},         {"x", 555},           {"0xG", 555},        {"2147483648", 555},
      {"-2147483649", 555}, {"$100000000", 555}, {"99999999999999999999999", 555},
      {"1.5", 555},        {"--1", 555},         {"+-1", 555},        {"$-1", 555},
      {" ", 555},          {"0b1", 555},         {"1e3", 555},
  };
  for (const Case& c : cases) EXPECT_EQ(settings::ParseProfileInteger(c.text, 555), c.expected) << c.text;
}

}  // namespace
