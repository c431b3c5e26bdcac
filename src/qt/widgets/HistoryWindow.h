// The charge-history window: the chart and the session's summary, following the
// running session or showing a past session file. Its work is bounded by what is
// on screen: a reply costs one frame of the visible pixels, and a hidden or
// minimised window draws nothing until it is shown again.
#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

#include "history/ChartFrame.h"
#include "history/PastSession.h"
#include "history/SessionSummary.h"
#include "history/Timeline.h"
#include "qt/platform/QtSessionFiles.h"

class QChartView;

namespace voltander {

namespace history {
class Recorder;
}
class HistoryChart;
class HistoryChartView;
class SummaryPanel;

class HistoryWindow : public QMainWindow {
  Q_OBJECT

 public:
  // recorder: the run to follow; it must outlive the window.
  explicit HistoryWindow(history::Recorder& recorder, QWidget* parent = nullptr);
  ~HistoryWindow() override;

  // Shows the past session of a file, all of its parts that are left; false when the
  // file cannot be read.
  bool openFile(const QString& path);
  // Back to the running session.
  void showLive();
  bool exportPng(const QString& path);
  // Works out and draws the frame for the time range now visible.
  void redraw();
  QChartView* chartView() const;
  SummaryPanel* summaryPanel() const { return summary_; }
  bool live() const { return live_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Opened {
    explicit Opened(const QString& folder) : folder(folder), session(this->folder) {}
    QtSessionFiles folder;
    history::PastSession session;
  };
  const history::Timeline& timeline() const;
  const history::SessionSummary& summary() const;
  bool drawable() const { return isVisible() && !isMinimized(); }
  void entryAdded();
  void followToNewest();
  void showAll();
  void scheduleRedraw();

  history::Recorder& recorder_;
  std::unique_ptr<Opened> opened_;
  bool live_ = true;
  // The view reaches the newest reply, and moves with the run.
  bool following_ = true;
  bool redrawPending_ = false;
  // Something changed while there was nothing to draw on.
  bool dirty_ = true;

  // What the chart shows now, and for which range and width.
  history::ChartFrame shown_;
  double shownFrom_ = 0, shownTo_ = 0;
  int shownColumns_ = 0;

  HistoryChart* chart_ = nullptr;
  HistoryChartView* view_ = nullptr;
  SummaryPanel* summary_ = nullptr;
};

}  // namespace voltander
