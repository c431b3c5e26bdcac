// Modal conversations with the user: message boxes, input boxes, the file dialog
// and the calibration window. They return only when the user has answered; the
// event loop keeps running meanwhile, so ticks and serial events still arrive.
#pragma once

#include <string>

namespace voltander {

class Oszto;

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

inline constexpr const char* kAppTitle = "Voltander";

struct FileChoice {
  bool cancelled = true;
  std::string path;       // the full path chosen
  std::string fileTitle;  // its bare file name
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Lines in text are joined by CR LF.
  virtual Answer message(const std::string& text, Buttons buttons, Icon icon,
                         const std::string& title = kAppTitle) = 0;
  // The text entered, or "" when the user cancels.
  virtual std::string input(const std::string& title, const std::string& prompt,
                            const std::string& defaultText) = 0;
  // filter: "Name (*.ext)|*.ext|..." pairs; presetName fills the name field.
  virtual FileChoice openFile(const std::string& filter, const std::string& presetName) = 0;
  virtual FileChoice saveFile(const std::string& filter, const std::string& presetName) = 0;
  // Shows the calibration window modally; returns after it has closed.
  virtual void showCalibration(Oszto& form) = 0;
};

}  // namespace voltander
