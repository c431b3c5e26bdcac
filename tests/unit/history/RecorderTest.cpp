#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/Fakes.h"
#include "history/CapPlan.h"
#include "history/HistoryCsv.h"
#include "history/Recorder.h"

namespace voltander::history {
namespace {

TEST(SessionsToDelete, TheOldestGoFirstAndTheCurrentNever) {
  const struct {
    std::vector<SessionFileInfo> files;
    std::uint64_t cap;
    std::vector<std::string> doomed;  // "c" is the current session
  } cases[] = {
      {{{"b", 50}, {"a", 50}, {"c", 50}}, 150, {}},
      {{{"b", 50}, {"a", 50}, {"c", 51}}, 150, {"a"}},
      {{{"c", 10}, {"a", 100}, {"b", 100}}, 110, {"a"}},
      {{{"c", 10}, {"a", 100}, {"b", 100}}, 109, {"a", "b"}},
      {{{"c", 500}, {"d", 1}}, 10, {"d"}},
      // Later sessions of one second carry a serial, "-10" after "-2".
      {{{"2026-01-01_00-00-00-10.csv", 9}, {"2026-01-01_00-00-00.csv", 9},
        {"2026-01-01_00-00-00-2.csv", 9}, {"2025-12-31_23-59-59-3.csv", 9}, {"c", 1}},
       10,
       {"2025-12-31_23-59-59-3.csv", "2026-01-01_00-00-00.csv", "2026-01-01_00-00-00-2.csv"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SessionsToDelete(c.files, c.cap, "c"), c.doomed);
  // Names of another form in the same second go first; serials count in decimal.
  EXPECT_TRUE(StartedBefore("2026-01-01_00-00-00x3.csv", "2026-01-01_00-00-00.csv"));
  EXPECT_TRUE(StartedBefore("2026-01-01_00-00-00-2.csv", "2026-01-01_00-00-00-9999999.csv"));
}

struct RecorderRig {
  RecorderRig() { saving.setChecked(true); }
  void reply() { recorder.status({1, 10, true, false, false, 4.0f}); }
  test::FakeSessionFiles files;
  test::StepClock clock;
  test::FakeDialogs dialogs;
  test::FakeDeferred deferred;
  MenuItem saving;
  Recorder recorder{files, clock, dialogs, deferred, saving, 1000};
};

TEST(Recorder, EveryReplyAndEventGoesToTheSessionFileInOrder) {
  RecorderRig rig;
  std::string told;
  rig.recorder.onEntry = [&](const Entry& e) { told += CsvLine(e) + '\n'; };
  rig.recorder.status({2, 200, true, false, false, 4.01f});
  rig.recorder.linkLost();
  rig.recorder.linkRestored();
  rig.recorder.parameterUpload({1, 2, 3, 4, 5, 6, 7});
  rig.recorder.calibrationUpload(4010);
  rig.recorder.parameterFileOpened("a.vlt");
  rig.recorder.parameterFileSaved("b.vlt");
  rig.recorder.status({5, 255, false, true, true, 3.5f});
  EXPECT_EQ(rig.files.files["2026-03-01_08-00-00.csv"], std::string(kCsvHeader) + '\n' + told);
  EXPECT_EQ(told,
            "2026-03-01T08:00:00.000+01:00,status,2,200,1,0,0,4.01,\n"
            "2026-03-01T08:00:02.000+01:00,link_lost,,,,,,,\n"
            "2026-03-01T08:00:04.000+01:00,link_restored,,,,,,,\n"
            "2026-03-01T08:00:06.000+01:00,parameter_upload,,,,,,,1 2 3 4 5 6 7\n"
            "2026-03-01T08:00:08.000+01:00,calibration_upload,,,,,,,4010\n"
            "2026-03-01T08:00:10.000+01:00,file_opened,,,,,,,a.vlt\n"
            "2026-03-01T08:00:12.000+01:00,file_saved,,,,,,,b.vlt\n"
            "2026-03-01T08:00:14.000+01:00,status,5,255,0,1,1,3.5,\n");
}

// A full disk: one message, shown only once the reply is handled, and nothing written
// until switched on again, in a new session.
TEST(Recorder, AWriteFailureStopsTheSavingWithOneMessage) {
  for (const bool atStart : {true, false}) {
    SCOPED_TRACE(atStart);
    RecorderRig rig;
    rig.files.failStart = atStart;
    rig.files.appendsLeft = atStart ? -1 : 4;  // else the last reply fails
    // Replies that arrive while the box is up must not write or ask again; with none
    // (a silent link) the failed file must still not be taken up again.
    if (atStart) rig.dialogs.whileShown = [&](const test::ShownMessage&) { rig.reply(); };
    for (int k = 0; k < 4; ++k) rig.reply();
    EXPECT_TRUE(rig.dialogs.shown.empty());
    rig.deferred.run();
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_FALSE(rig.saving.checked());
    rig.files.failStart = false;
    rig.files.appendsLeft = -1;
    rig.saving.setChecked(true);
    rig.reply();
    rig.deferred.run();
    EXPECT_EQ(rig.dialogs.shown.size(), 1u);
    ASSERT_EQ(rig.files.files.size(), atStart ? 1u : 2u);
    EXPECT_EQ(ReadCsv(rig.files.files[rig.recorder.sessionName()]).size(), 1u);
  }
  RecorderRig rig;  // switched off and on again without a failure: a session of its own
  rig.reply();
  rig.saving.setChecked(false);
  rig.reply();
  rig.saving.setChecked(true);
  rig.reply();
  EXPECT_EQ(rig.files.files.size(), 2u);
}

TEST(Recorder, TheFolderIsTrimmedAtTheStartAndAsTheSessionGrows) {
  RecorderRig rig;
  rig.files.files = {{"2026-01-01_00-00-00.csv", std::string(700, 'x')},
                     {"2026-02-01_00-00-00.csv", std::string(300, 'x')}};
  rig.reply();
  EXPECT_EQ(rig.files.files.count("2026-01-01_00-00-00.csv"), 0u);
  EXPECT_EQ(rig.files.files.size(), 2u);
  for (int k = 0; k < 1000; ++k) rig.reply();
  EXPECT_EQ(rig.files.files.size(), 1u);
}

// Read as a number at start-up (on when absent), written back at exit.
TEST(NaploSetting, StartsFromTheStoreFlipsAndIsWrittenBack) {
  for (const auto& [stored, checked] : std::vector<std::pair<const char*, bool>>{
           {nullptr, true}, {"1.0", true}, {"2", false}}) {
    test::Harness h;
    if (stored) h.settings.values["Voltander/Setup/Naplo"] = stored;
    h.form->Form_Load();
    EXPECT_EQ(h.form->NMentes.checked(), checked) << (stored ? stored : "absent");
    h.form->NMentes.click();
    h.form->Form_Unload();
    EXPECT_EQ(h.setting("Naplo"), checked ? "0" : "1");
  }
}

}  // namespace
}  // namespace voltander::history
