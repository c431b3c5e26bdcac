// One session folder shared by two programs, and a session of several day parts
// opened in the chart, over the real session files.
#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QStatusBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "adapter/Rig.h"
#include "history/HistoryCsv.h"
#include "history/Recorder.h"
#include "qt/widgets/HistoryWindow.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

struct FixedClock : Clock {
  LocalTime now() override { return {2026, 3, 1, 8, 0, 0, 0, 60}; }
};

// Two programs started in the same second get a file each, the later one "-2". Each
// trim, with a cap of one byte, passes over the other program's file, locked while it
// is written, and deletes what nobody writes.
TEST(SessionFolder, TwoRecordersWithATinyCapNeverDeleteEachOthersLiveFile) {
  TempDir dir("voltander-naplo");
  const std::string naplo = dir.file("naplo");
  std::filesystem::create_directory(naplo);
  std::ofstream(naplo + "/2026-02-01_00-00-00.csv") << "old\n";
  std::ofstream(dir.file("elsewhere.csv")) << "kept\n";  // a link's target stays
  std::filesystem::create_symlink("../elsewhere.csv", naplo + "/2026-01-01_00-00-00.csv");
  FixedClock clock;
  FakeDialogs dialogs;
  FakeDeferred deferred;
  MenuItem saving;
  saving.setChecked(true);
  QtSessionFiles firstFolder(QString::fromStdString(naplo));
  QtSessionFiles secondFolder(QString::fromStdString(naplo));
  history::Recorder first(firstFolder, clock, dialogs, deferred, saving, 1);
  history::Recorder second(secondFolder, clock, dialogs, deferred, saving, 1);
  for (int k = 0; k < 2; ++k) {
    first.status({1, 10, true, false, false, 4.0f});
    second.status({3, 20, true, false, false, 4.0f});
  }
  const std::string header = std::string(history::kCsvHeader) + '\n';
  const std::string firstLine = "2026-03-01T08:00:00.000+01:00,status,1,10,1,0,0,4,\n";
  const std::string secondLine = "2026-03-01T08:00:00.000+01:00,status,3,20,1,0,0,4,\n";
  EXPECT_EQ(ReadWholeFile(naplo + "/2026-03-01_08-00-00.csv"), header + firstLine + firstLine);
  EXPECT_EQ(ReadWholeFile(naplo + "/2026-03-01_08-00-00-2.csv"), header + secondLine + secondLine);
  EXPECT_FALSE(std::filesystem::exists(naplo + "/2026-02-01_00-00-00.csv"));
  EXPECT_FALSE(std::filesystem::is_symlink(naplo + "/2026-01-01_00-00-00.csv"));
  EXPECT_EQ(ReadWholeFile(dir.file("elsewhere.csv")), "kept\n");
  EXPECT_TRUE(dialogs.shown.empty() && deferred.jobs.empty());
  // Closed, a file may go.
  firstFolder.close();
  EXPECT_FALSE(firstFolder.remove("2026-03-01_08-00-00-2.csv"));
  EXPECT_TRUE(secondFolder.remove("2026-03-01_08-00-00.csv"));
}

// The first and third days' parts are gone; the session's other parts are shown as
// one, and a later session of the same second is not part of it.
TEST(SessionFolder, TheChartOpensTheSessionOfAnyPartAndNamesTheMissingOne) {
  const std::string zone = std::getenv("TZ") ? std::getenv("TZ") : "";
  setenv("TZ", "UTC", 1);
  tzset();
  TempDir dir("voltander-naplo");
  const auto write = [&](const std::string& name, const std::vector<std::string>& times) {
    std::ofstream file(dir.file(name));
    file << history::kCsvHeader << '\n';
    for (const std::string& t : times) file << t << "+00:00,status,3,100,1,0,0,4,\n";
  };
  write("2026-03-01_08-00-00.002.csv", {"2026-03-02T00:00:00.000", "2026-03-02T00:00:02.000"});
  write("2026-03-01_08-00-00.004.csv", {"2026-03-04T00:00:00.000"});
  write("2026-03-01_08-00-00-2.csv", {"2026-03-05T00:00:00.000"});
  StepClock clock;
  FakeSessionFiles files;
  FakeDialogs dialogs;
  FakeDeferred deferred;
  MenuItem saving;
  history::Recorder recorder(files, clock, dialogs, deferred, saving);
  HistoryWindow chart(recorder);
  chart.show();
  ASSERT_TRUE(chart.openFile(QString::fromStdString(dir.file("2026-03-01_08-00-00.002.csv"))));
  chart.redraw();
  EXPECT_EQ(chart.statusBar()->currentMessage(),
            "Hiányzó rész: 2026-03-01 08:00 – 2026-03-02 00:00 (a napló e része törölve). "
            "Hiányzó rész: 2026-03-02 00:00 – 2026-03-04 00:00 (a napló e része törölve).");
  const auto* axis =
      qobject_cast<QDateTimeAxis*>(chart.chartView()->chart()->axes(Qt::Horizontal)[0]);
  EXPECT_EQ(axis->min().toMSecsSinceEpoch(), 1772352000000);  // 2026-03-01 08:00 UTC
  EXPECT_EQ(axis->max().toMSecsSinceEpoch(), 1772582400000);  // 2026-03-04 00:00 UTC
  zone.empty() ? unsetenv("TZ") : setenv("TZ", zone.c_str(), 1);
  tzset();
}

}  // namespace
}  // namespace voltander::test
