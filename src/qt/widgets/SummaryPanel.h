// The session's figures beside the chart: time in each state, with the fault light
// and in the calibration loop, the link losses and uploads, the first and last time.
#pragma once

#include <QWidget>
#include <vector>

#include "history/SessionSummary.h"

class QLabel;

namespace voltander {

class SummaryPanel : public QWidget {
 public:
  explicit SummaryPanel(QWidget* parent = nullptr);
  void setSummary(const history::SessionSummary& summary);
  // The values as shown, top to bottom.
  QStringList values() const;

 private:
  std::vector<QLabel*> values_;
};

}  // namespace voltander
