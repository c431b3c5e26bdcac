#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fakes/Fakes.h"
#include "history/CapPlan.h"
#include "history/HistoryCsv.h"
#include "history/Recorder.h"

namespace voltander::history {
namespace {

using test::FakeDialogs;
using test::FakeSessionFiles;
using test::ShownMessage;
using test::StepClock;

TEST(SessionsToDelete, TheOldestGoFirstAndTheCurrentNever) {
  struct Case {
    std::vector<SessionFileInfo> files;
    std::uint64_t cap;
    std::string current;
    std::vector<std::string> doomed;
  };
  const std::vector<Case> cases = {
      {{{"b", 50}, {"a", 50}, {"c", 50}}, 150, "c", {}},
      {{{"b", 50}, {"a", 50}, {"c", 51}}, 150, "c", {"a"}},
      {{{"c", 10}, {"a", 100}, {"b", 100}}, 110, "c", {"a"}},
      {{{"c", 10}, {"a", 100}, {"b", 100}}, 109, "c", {"a", "b"}},
      {{{"a", 500}, {"b", 1}}, 10, "a", {"b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SessionsToDelete(c.files, c.cap, c.current), c.doomed);
}

struct RecorderRig {
  RecorderRig() { saving.setChecked(true); }
  FakeSessionFiles files;
  StepClock clock;
  FakeDialogs dialogs;
  MenuItem saving;
  Recorder recorder{files, clock, dialogs, saving, 1000};
  std::vector<Entry> told;

  std::vector<Entry> fileEntries(const std::string& name) { return ReadCsv(files.files[name]); }
};

TEST(Recorder, EveryReplyAndEventGoesToTheSessionFileInOrder) {
  RecorderRig rig;
  rig.recorder.onEntry = [&](const Entry& e) { rig.told.push_back(e); };
  rig.recorder.status({2, 200, true, false, false, 4.01f});
  rig.recorder.linkLost();
  rig.recorder.linkRestored();
  rig.recorder.parameterUpload({1, 2, 3, 4, 5, 6, 7});
  rig.recorder.calibrationUpload(4010);
  rig.recorder.parameterFileOpened("a.vlt");
  rig.recorder.parameterFileSaved("b.vlt");
  rig.recorder.status({5, 255, true, true, true, 4.01f});

  ASSERT_EQ(rig.recorder.sessionName(), "2026-03-01_08-00-00.csv");
  const std::vector<Entry> saved = rig.fileEntries(rig.recorder.sessionName());
  const std::vector<EntryKind> kinds = {EntryKind::Status,
                                        EntryKind::LinkLost,
                                        EntryKind::LinkRestored,
                                        EntryKind::ParameterUpload,
                                        EntryKind::CalibrationUpload,
                                        EntryKind::FileOpened,
                                        EntryKind::FileSaved,
                                        EntryKind::Status};
  ASSERT_EQ(saved.size(), kinds.size());
  ASSERT_EQ(rig.told.size(), kinds.size());
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    EXPECT_EQ(saved[k].kind, kinds[k]) << k;
    EXPECT_EQ(saved[k].seconds, rig.recorder.entries()[k].seconds) << k;
    EXPECT_EQ(rig.told[k].seconds, saved[k].seconds) << k;
  }
  EXPECT_EQ(saved[0].seconds + 2, saved[1].seconds);
  EXPECT_EQ(saved[0].duty, 200);
  EXPECT_TRUE(saved[0].charging);
  EXPECT_EQ(saved[0].ratio, 4.01f);
  EXPECT_EQ(saved[3].detail, "1 2 3 4 5 6 7");
  EXPECT_EQ(saved[4].detail, "4010");
  EXPECT_EQ(saved[5].detail, "a.vlt");
  EXPECT_EQ(saved[6].detail, "b.vlt");
  EXPECT_TRUE(saved[7].fault);
  EXPECT_TRUE(saved[7].calibrationLoop);
  EXPECT_EQ(saved[7].state, 5);
}

TEST(Recorder, SwitchedOffItKeepsTheRunButWritesNothing) {
  RecorderRig rig;
  rig.saving.setChecked(false);
  rig.recorder.status({1, 10, true, false, false, 4.0f});
  EXPECT_TRUE(rig.files.files.empty());
  EXPECT_EQ(rig.recorder.entries().size(), 1u);

  rig.saving.setChecked(true);
  rig.recorder.linkLost();
  rig.saving.setChecked(false);
  rig.recorder.linkRestored();
  rig.saving.setChecked(true);
  rig.recorder.linkLost();
  // Each switching on is a session of its own.
  ASSERT_EQ(rig.files.files.size(), 2u);
  for (const auto& [name, text] : rig.files.files) EXPECT_EQ(ReadCsv(text).size(), 1u) << name;
  EXPECT_EQ(rig.recorder.entries().size(), 4u);
}

// A full disk: one message, the check mark off, no further writing until the user
// switches it on again, which starts a new session.
TEST(Recorder, AWriteFailureStopsTheSavingWithOneMessage) {
  for (const bool atStart : {true, false}) {
    RecorderRig rig;
    rig.files.failStart = atStart;
    rig.files.appendsLeft = atStart ? -1 : 2;
    // Replies that arrive while the box is up must not write or ask again.
    rig.dialogs.whileShown = [&](const ShownMessage&) {
      rig.recorder.status({1, 10, true, false, false, 4.0f});
    };
    for (int k = 0; k < 4; ++k) rig.recorder.status({1, 10, true, false, false, 4.0f});
    EXPECT_EQ(rig.dialogs.shown.size(), 1u) << atStart;
    EXPECT_EQ(rig.dialogs.shown.at(0).icon, Icon::Critical);
    EXPECT_FALSE(rig.saving.checked());
    EXPECT_EQ(rig.recorder.entries().size(), 5u);
    const std::size_t lines = rig.files.files.begin()->second.size();

    rig.files.failStart = false;
    rig.files.appendsLeft = -1;
    rig.recorder.status({1, 10, true, false, false, 4.0f});
    EXPECT_EQ(rig.files.files.begin()->second.size(), lines);
    rig.saving.setChecked(true);
    rig.recorder.status({1, 10, true, false, false, 4.0f});
    EXPECT_EQ(rig.files.files.size(), 2u);
    EXPECT_EQ(ReadCsv(rig.files.files[rig.recorder.sessionName()]).size(), 1u);
  }
}

TEST(Recorder, TheFolderIsTrimmedAtTheStartAndAsTheSessionGrows) {
  RecorderRig rig;
  rig.files.files["2026-01-01_00-00-00.csv"] = std::string(700, 'x');
  rig.files.files["2026-02-01_00-00-00.csv"] = std::string(300, 'x');
  rig.recorder.status({1, 10, true, false, false, 4.0f});
  EXPECT_FALSE(rig.files.files.count("2026-01-01_00-00-00.csv"));
  EXPECT_TRUE(rig.files.files.count("2026-02-01_00-00-00.csv"));
  for (int k = 0; k < 1000; ++k) rig.recorder.status({1, 10, true, false, false, 4.0f});
  EXPECT_FALSE(rig.files.files.count("2026-02-01_00-00-00.csv"));
  EXPECT_EQ(rig.files.files.size(), 1u);
}

}  // namespace
}  // namespace voltander::history
