// The port list that tells which Comm numbers have a device behind them: those are
// shown in bold, and every entry's tooltip names its device and what the system
// knows about it. Looked up each time the list opens, so a plugged-in adapter shows
// without any polling; the entries' texts stay the form's.
#pragma once

#include <QComboBox>

namespace voltander {

class PortComboBox : public QComboBox {
 public:
  using QComboBox::QComboBox;
  void showPopup() override;
  // Marks the entries and sets their tooltips from the devices present now.
  void refreshDevices();
};

}  // namespace voltander
