#include <gtest/gtest.h>

#include <QTimer>

#include <algorithm>
#include <filesystem>

#include "card/rtl20_manager.h"
#include "config/general_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "main_form_fixture.h"
#include "settings/set_manager.h"

namespace uitest {
namespace {

using ui::MasterTimerTask;

TEST(MainCaption, PartsInOrder) {
  ui::MainCaptionParts parts;
  parts.cardCount = 2;
  parts.runningSeconds = 3723.5;
  EXPECT_EQ(ui::MainCaptionText(parts), "QuorxL  Ver 2.01      000:01:02:03.500");
  parts.factoryMode = parts.debugMode = parts.developerMode = true;
  parts.projectName = "/data/setups/Range Test.VexA";
  parts.cardCount = 0;
  EXPECT_EQ(ui::MainCaptionText(parts),
            "QuorxL  Ver 2.01 FD(tz) Project-> Range Test      000:01:02:03.500       NO KR-20 CARDS FOUND ");
}

// The master timer idles until the start-up completed. Each flight-record rate is then written by
// the one task whose period it is: on a fake clock, one second of ticks gives that many lines; any
// other rate gives none.
TEST_F(MainFormTest, MasterTimerAndFlightRecordRates) {
  PrepareProgramFolder(1);
  form_ = std::make_unique<TQuorxLMainForm>();
  ASSERT_EQ(form_->FormCreate(InstanceSettings()).conflict, ui::InstanceConflict::None);
  ASSERT_TRUE(form_->MasterTimer()->isActive());
  QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(form_->Schedule().CurrentTime(), 0.0);
  form_->show();
  ASSERT_TRUE(RunUntil([this] { return form_->StartupComplete(); }, std::chrono::seconds(30)));
  ASSERT_TRUE(RunUntil([this] { return form_->Schedule().LastRun(MasterTimerTask::OneSecond) > 1.0; },
                       std::chrono::seconds(10)));
  EXPECT_GT(form_->Schedule().LastRun(MasterTimerTask::Broadcast), 0.0);
  EXPECT_EQ(form_->windowTitle().toStdString().rfind("QuorxL  Ver 2.01      000:00:0", 0), 0U);

  form_->MasterTimer()->stop();
  for (const int rate : {1, 5, 10, 25, 2}) {
    config::gApp.Options->Info().DataRecordRateHz = rate;
    config::gApp.Recording = true;
    gKr20SetMgr->StartFlightRecord();
    ASSERT_TRUE(config::gApp.Recording.load());
    const std::string file = config::GetFlightDataFileName(0);
    ASSERT_TRUE(std::filesystem::exists(file)) << file;

    // Ticks 2^-10 s apart: every time is exact, so each period's boundary is crisp.
    double now = 64.0;
    ui::MasterTimerSchedule schedule(ui::MasterTimerHooks{
        [&now] { return now; },
        [] { return gRtl20Mgr->FpgaCmdLock(); },
        [] { gRtl20Mgr->FpgaCmdUnlock(); },
        {},
        [this] { form_->DoOneSecondTasks(); },
        [this] { form_->DoFiveHzTasks(); },
        [this] { form_->DoTenHzTasks(); },
        [this] { form_->DoTwentyFiveHzTasks(); },
        [this] { form_->DoBroadcastTasks(); },
    });
    schedule.SetStartupBegun(true);
    schedule.SetCardTasksEnabled(true);
    for (int tick = 0; tick < 1024; ++tick, now += 1.0 / 1024.0) schedule.Tick();
    gKr20SetMgr->StopFlightRecord();

    const std::string bytes = testsupport::ReadWholeFile(file);
    const long lines = std::count(bytes.begin(), bytes.end(), '\n');
    EXPECT_EQ(lines, 3 + (rate == 2 ? 0 : rate)) << "rate " << rate;
  }
}

}  // namespace
}  // namespace uitest
