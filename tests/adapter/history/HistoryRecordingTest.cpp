// The charge history on real files and a real line: the session files on disk, and
// one run of the real window against the simulator through its states, a silence
// and an upload, all found again in the session file in the order they happened.
#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QImage>
#include <cstdlib>
#include <filesystem>

#include "adapter/Rig.h"
#include "history/HistoryCsv.h"
#include "history/Recorder.h"
#include "qt/HistoryWindow.h"
#include "qt/QtSessionFiles.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

using history::Entry;
using history::EntryKind;

TEST(QtSessionFiles, LinesReachTheDiskAtOnceAndAFullDiskIsReported) {
  TempDir dir("voltander-naplo");
  const QString folder = QString::fromStdString(dir.file("naplo"));
  QtSessionFiles files(folder);
  ASSERT_TRUE(files.start("2026-01-01_00-00-00.csv"));
  ASSERT_TRUE(files.append("a,b"));
  ASSERT_TRUE(files.append("c"));
  // Still open: what a crash now would leave behind.
  EXPECT_EQ(ReadWholeFile(dir.file("naplo/2026-01-01_00-00-00.csv")), "a,b\nc\n");
  ASSERT_TRUE(files.start("2026-01-02_00-00-00.csv"));
  ASSERT_TRUE(files.append("d"));
  const std::vector<SessionFileInfo> listed = files.list();
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].name, "2026-01-01_00-00-00.csv");
  EXPECT_EQ(listed[0].size, 6u);
  EXPECT_TRUE(files.remove("2026-01-01_00-00-00.csv"));
  EXPECT_EQ(files.list().size(), 1u);

  std::filesystem::create_symlink("/dev/full", dir.file("naplo/2026-01-03_00-00-00.csv"));
  ASSERT_TRUE(files.start("2026-01-03_00-00-00.csv"));
  EXPECT_FALSE(files.append("e"));
  EXPECT_FALSE(files.append("f"));
}

std::size_t FirstOf(const std::vector<Entry>& entries,
                    const std::function<bool(const Entry&)>& is) {
  for (std::size_t k = 0; k < entries.size(); ++k)
    if (is(entries[k])) return k;
  return entries.size();
}

TEST(HistoryRecording, AChargeRunWithASilenceAndAnUploadIsAllInTheSessionFile) {
  TempDir data("voltander-data");
  const QByteArray oldData = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.path()));

  // Stages of 2.5 s, so the 2 s polls meet every state; then 4 s of silence.
  ProgramRig rig(207,
                    {"--model-seconds", "2.5", "--silent-from", "13000", "--silent-for", "4000"});
  const QtSessionFiles& files = rig.sessionFiles;
  history::Recorder& recorder = rig.form.recorder;
  HistoryWindow chart(recorder);
  chart.show();

  const auto seen = [&](const std::function<bool(const Entry&)>& is) {
    return FirstOf(recorder.entries(), is) < recorder.entries().size();
  };
  const auto restoredAfterLoss = [&] {
    const auto& e = recorder.entries();
    const std::size_t lost = FirstOf(e, [](auto& x) { return x.kind == EntryKind::LinkLost; });
    return lost < e.size() &&
           std::any_of(e.begin() + static_cast<long>(lost), e.end(),
                       [](auto& x) { return x.kind == EntryKind::LinkRestored; });
  };
  ASSERT_TRUE(ProcessEventsUntil(restoredAfterLoss, 30000));
  for (int s = 0; s <= 4; ++s)
    EXPECT_TRUE(seen([s](auto& x) { return x.kind == EntryKind::Status && x.state == s; })) << s;
  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.looksConnected(); }, 3 * kTickMs));
  rig.form.Fel.click();
  ASSERT_TRUE(ProcessEventsUntil(
      [&] { return seen([](auto& x) { return x.kind == EntryKind::ParameterUpload; }); }, 3000));
  const std::size_t before = recorder.entries().size();
  ASSERT_TRUE(ProcessEventsUntil([&] { return recorder.entries().size() > before; }, 3 * kTickMs));

  // The codes recorded are those the controller received.
  const auto frames = rig.sim().frames();
  const auto upload = std::find_if(frames.begin(), frames.end(),
                                   [](const LoggedFrame& f) { return f.bytes[1] == 'I'; });
  ASSERT_NE(upload, frames.end());
  std::string codes;
  for (int k = 2; k <= 8; ++k) codes += (k > 2 ? " " : "") + std::to_string(upload->bytes[k]);

  const QString path = files.folder() + "/" + QString::fromStdString(recorder.sessionName());
  EXPECT_TRUE(path.startsWith(QString::fromStdString(data.path())));
  const std::vector<Entry> saved = history::ReadCsv(ReadWholeFile(path.toStdString()));
  const std::vector<Entry>& live = recorder.entries();
  ASSERT_EQ(saved.size(), live.size());
  for (std::size_t k = 0; k < saved.size(); ++k) {
    ASSERT_EQ(saved[k].kind, live[k].kind) << k;
    ASSERT_EQ(saved[k].seconds, live[k].seconds) << k;
    ASSERT_EQ(saved[k].state, live[k].state) << k;
    ASSERT_EQ(saved[k].duty, live[k].duty) << k;
    ASSERT_EQ(saved[k].detail, live[k].detail) << k;
  }
  const auto at = [&](EntryKind kind) {
    return FirstOf(saved, [kind](auto& x) { return x.kind == kind; });
  };
  std::vector<std::size_t> order;
  for (int s = 0; s <= 4; ++s)
    order.push_back(
        FirstOf(saved, [s](auto& x) { return x.kind == EntryKind::Status && x.state == s; }));
  order.push_back(at(EntryKind::LinkLost));
  order.push_back(at(EntryKind::ParameterUpload));
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
  EXPECT_LT(order.back(), saved.size());
  EXPECT_LT(at(EntryKind::LinkRestored), at(EntryKind::LinkLost));
  EXPECT_EQ(saved[at(EntryKind::ParameterUpload)].detail, codes);

  // The open chart has followed the run to its newest reply, and exports it.
  auto* axis =
      qobject_cast<QDateTimeAxis*>(chart.chartView()->chart()->axes(Qt::Horizontal).value(0));
  ASSERT_NE(axis, nullptr);
  EXPECT_GE(axis->max().toMSecsSinceEpoch(), static_cast<qint64>(live.back().seconds * 1000));
  const QString png = QString::fromStdString(data.file("chart.png"));
  ASSERT_TRUE(chart.exportPng(png));
  EXPECT_FALSE(QImage(png).isNull());
  if (const char* keep = std::getenv("VOLTANDER_KEEP_CHART")) QFile::copy(png, keep);

  if (oldData.isNull())
    qunsetenv("XDG_DATA_HOME");
  else
    qputenv("XDG_DATA_HOME", oldData);
}

}  // namespace
}  // namespace voltander::test
