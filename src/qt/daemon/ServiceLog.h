// What a window would show, written to the log instead: every message box becomes one
// warning line with its Hungarian text and what caused it (the opening or the line
// event behind it). A port that goes away is told once when it goes and once when it
// is back; the tries in between only at debug level, so months of waiting for an
// unplugged adapter fill no journal.
#pragma once

#include <map>
#include <string>

#include "platform/Dialogs.h"
#include "platform/Journal.h"
#include "platform/System.h"

namespace voltander {

class ServiceLog : public Dialogs, public Journal, public Beep {
 public:
  // Boxes: nothing is asked of anyone, so every question is answered no.
  Answer message(const std::string& text, Buttons buttons, Icon icon,
                 const std::string& title) override;
  std::string input(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  FileChoice openFile(const std::string&, const std::string&) override { return {}; }
  FileChoice saveFile(const std::string&, const std::string&) override { return {}; }
  void showCalibration(Oszto&) override {}

  // The link beeps at a framing error; the line event before it says why.
  void beep() override {}

  void portOpened(const PortTarget& port, const OpenResult& result) override;
  void lineEvent(CommEvent event, const std::string& detail) override;
  void linkUp() override;
  void linkLost() override;
  void linkRestored() override;

 private:
  // Why the next box comes: the last failed opening, and each line event by the digit
  // of its box (several can wait behind one another).
  std::string cause_;
  std::map<std::string, std::string> lineCauses_;
  // The last opening failed; nothing tried yet counts as open.
  bool away_ = false;
  bool tried_ = false;
};

}  // namespace voltander
