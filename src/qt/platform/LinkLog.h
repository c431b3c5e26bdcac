// The support log: when the link misbehaves at a user's desk, what passed on the line
// is written to the logging category "voltander.link", with a monotonic time in ms.
// It is off unless QT_LOGGING_RULES="voltander.link.debug=true" turns it on, so a
// normal run pays only the category test per event.
#pragma once

#include <QElapsedTimer>
#include <QLoggingCategory>

#include "platform/Journal.h"

Q_DECLARE_LOGGING_CATEGORY(lcVoltanderLink)

namespace voltander {

class LinkLog : public Journal {
 public:
  LinkLog();

  // The start, with the words Qt's own buttons speak: English there means the
  // Hungarian translation of Qt was not found.
  void started();

  void frameSent(const LineFrame& frame) override;
  void frameReceived(const LineFrame& frame) override;
  void strayBytes(int count) override;
  void portOpened(const PortTarget& port, const OpenResult& result) override;
  void lineEvent(CommEvent event, const std::string& detail) override;
  void linkUp() override;
  void linkLost() override;
  void linkRestored() override;
  void parameterUpload(const std::array<std::uint8_t, 7>& codes) override;
  void calibrationUpload(std::uint16_t n) override;
  void parameterFileOpened(const std::string& name) override;
  void parameterFileSaved(const std::string& name) override;

 private:
  void write(const QString& text) const;

  QElapsedTimer clock_;
};

}  // namespace voltander
