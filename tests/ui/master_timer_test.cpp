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

// Each flight-record rate is written by the one task whose period it is: on a fake clock, one
// second of ticks gives that many lines; any other rate gives none.
TEST_F(MainFormTest, FlightRecordRates) {
  PrepareProgramFolder(1);
  StartProgram();
  form_->MasterTimer()->stop();
  for (const int rate : {1, 5, 10, 25, 2}) {
    config::gApp.Options->Info().DataRecordRateHz = rate;
    config::gApp.Recording = true;
    gKr20SetMgr->StartFlightRecord();
    ASSERT_TRUE(config::gApp.Recording.load());
    const std::string file = config::GetFlightDataFileName(0);

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
        [this] { form_->RefreshNextCardWindow(); },
    });
    schedule.SetStartupBegun(true);
    schedule.SetCardTasksEnabled(true);
    for (int tick = 0; tick < 1024; ++tick, now += 1.0 / 1024.0) schedule.Tick();
    gKr20SetMgr->StopFlightRecord();

    const std::string bytes = testsupport::ReadWholeFile(file);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 3 + (rate == 2 ? 0 : rate)) << "rate " << rate;
  }
}

}  // namespace
}  // namespace uitest
