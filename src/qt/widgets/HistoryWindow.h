// The charge-history chart: the duty as a line, the controller's states as coloured
// bands under it, the fault and calibration-loop times as strips above it and the
// events as markers. It follows the running session, or shows a past session file;
// long histories are thinned to what the visible pixels can show before drawing.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <vector>

#include "history/Downsample.h"
#include "history/HistoryEntry.h"

class QAreaSeries;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace voltander {

namespace history {
class Recorder;
}

class HistoryWindow : public QMainWindow {
  Q_OBJECT

 public:
  // recorder: the run to follow; it must outlive the window.
  explicit HistoryWindow(history::Recorder& recorder, QWidget* parent = nullptr);
  ~HistoryWindow() override;

  // Shows a past session file; false when it cannot be read.
  bool openFile(const QString& path);
  // Back to the running session.
  void showLive();
  bool exportPng(const QString& path);
  // Thins and draws the entries for the time range now visible.
  void redraw();
  QChartView* chartView() const { return view_; }
  bool live() const { return live_; }

 private:
  void setEntries(const std::vector<history::Entry>& entries);
  // A new entry of the run, followed by the view when it shows the newest.
  void add(const history::Entry& e);
  void keep(const history::Entry& e);
  void showAll();
  void scheduleRedraw();
  void eventTip(const QPointF& point, bool entered);

  history::Recorder& recorder_;
  bool live_ = true;
  bool redrawPending_ = false;

  // Times in milliseconds since the epoch, as the axis counts them.
  std::vector<history::Sample> duty_, state_, fault_, calibration_;
  std::vector<history::Entry> events_;

  QChart* chart_ = nullptr;
  QChartView* view_ = nullptr;
  QDateTimeAxis* timeAxis_ = nullptr;
  QValueAxis* valueAxis_ = nullptr;
  QLineSeries* dutyLine_ = nullptr;
  std::array<QAreaSeries*, 5> stateBands_{};
  QAreaSeries* faultStrip_ = nullptr;
  QAreaSeries* calibrationStrip_ = nullptr;
  QScatterSeries* eventMarks_ = nullptr;
};

// The text an event's marker shows when the pointer rests on it.
QString EventText(const history::Entry& e);

}  // namespace voltander
