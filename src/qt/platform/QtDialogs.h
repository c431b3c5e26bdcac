// The modal conversations on Qt widgets: message boxes, the input box, the file
// dialogs and the calibration window, all over the main window once it exists.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/Dialogs.h"

namespace voltander {

class QtDialogs : public Dialogs {
 public:
  // The window the dialogs are centred on and modal to; none before it exists.
  void setParentWindow(QWidget* window) { parent_ = window; }
  // The calibration window lives with the widgets; the program hands in how to show it.
  void setCalibrationWindow(std::function<void(Oszto&, QWidget*)> show) {
    showCalibration_ = std::move(show);
  }

  Answer message(const std::string& text, Buttons buttons, Icon icon,
                 const std::string& title = kAppTitle) override;
  std::string input(const std::string& title, const std::string& prompt,
                    const std::string& defaultText) override;
  FileChoice openFile(const std::string& filter, const std::string& presetName) override;
  FileChoice saveFile(const std::string& filter, const std::string& presetName) override;
  void showCalibration(Oszto& form) override;

 private:
  FileChoice chooseFile(bool save, const std::string& filter, const std::string& presetName);

  QPointer<QWidget> parent_;
  std::function<void(Oszto&, QWidget*)> showCalibration_;
};

// CR LF (and a lone CR) as the line breaks a Qt label shows.
QString DialogText(const std::string& text);

}  // namespace voltander
