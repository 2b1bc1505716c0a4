#include <gtest/gtest.h>

#include "app/FrmMain.h"
#include "app/Startup.h"
#include "fakes/FakeServices.h"

namespace {

// The user logs off while a run is going: the platform may end the process as soon as
// it has told the program, so the close and the save happen inside that call, and the
// end of the message loop does not save a second time.
TEST(StartupTest, EndOfSessionClosesAndSavesAtOnceAndOnlyOnce) {
  fakes::FakePlatform p;
  std::size_t writesAtSessionEnd = 0;
  bool runWasStopped = false;
  std::string status;
  app::RunApplication(p.services, [&] {
    TFrmMain* form = TFrmMain::Instance();
    ASSERT_NE(form, nullptr);
    form->seStartDelaySS.SetValue(5);
    form->StartRun();
    ASSERT_TRUE(form->FRunning);
    p.profile.writes.clear();
    app::EndSessionNow();
    runWasStopped = !form->FRunning;
    status = form->Label1.Caption();
    writesAtSessionEnd = p.profile.writes.size();
    EXPECT_EQ(TFrmMain::Instance(), nullptr) << "destruction has begun";
    app::EndSessionNow();  // a second notice changes nothing
  });
  EXPECT_TRUE(runWasStopped);
  EXPECT_EQ(status, "Closing");
  EXPECT_GT(writesAtSessionEnd, 0u);
  EXPECT_EQ(p.profile.writes.size(), writesAtSessionEnd);
}

TEST(StartupTest, EndOfSessionWithoutMainWindowDoesNothing) {
  app::EndSessionNow();
  fakes::FakePlatform p;
  app::RunApplication(p.services, [&] { p.profile.writes.clear(); });
  EXPECT_FALSE(p.profile.writes.empty()) << "the ordinary close still saves";
  const std::size_t after = p.profile.writes.size();
  app::EndSessionNow();
  EXPECT_EQ(p.profile.writes.size(), after);
}

}  // namespace
