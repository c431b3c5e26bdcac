#include "qt/daemon/ServiceLog.h"

#include "qt/daemon/JournalStream.h"

#include <utility>

namespace voltander {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The digit of the box a line event brings up, "" for the two that bring none.
std::string BoxDigit(CommEvent event) {
  switch (event) {
    case CommEvent::Break: return "1";
    case CommEvent::Overrun: return "3";
    case CommEvent::RxOver: return "4";
    case CommEvent::RxParity: return "5";
    case CommEvent::TxFull: return "6";
    case CommEvent::Dcb: return "7";
    default: return "";
  }
}

}  // namespace

Answer ServiceLog::message(const std::string& text, Buttons buttons, Icon,
                           const std::string&) {
  std::string cause;
  if (const auto it = lineCauses_.find(text); it != lineCauses_.end()) {
    cause = "vonalesemény " + it->second;
    lineCauses_.erase(it);
  } else {
    cause = std::exchange(cause_, {});
  }
  if (cause.empty()) {
    qCWarning(lcService).noquote() << Text(text);
  } else {
    qCWarning(lcService).noquote() << Text(text) << "(" + Text(cause) + ")";
  }
  switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::OkCancel: return Answer::Cancel;
    case Buttons::YesNo: return Answer::No;
  }
  return Answer::Ok;
}

void ServiceLog::portOpened(const PortTarget& port, const OpenResult& result) {
  const QString device = Text(port.device);
  if (result.ok()) {
    cause_.clear();
    if (!tried_ || away_) qCInfo(lcService).noquote() << "A port megnyitva:" << device;
    away_ = false;
  } else {
    // The system's words, without the path they start with.
    const std::size_t colon = result.osText.rfind(": ");
    const std::string why =
        colon == std::string::npos ? result.osText : result.osText.substr(colon + 2);
    cause_ = port.device + ": " + why;
    const QString line = QStringLiteral("A port nem nyitható meg: %1 (%2, kód %3); 5 "
                                        "másodpercenként újra próbálom.")
                             .arg(device, Text(why))
                             .arg(result.code);
    if (!away_) {
      qCWarning(lcService).noquote() << line;
    } else {
      qCDebug(lcService).noquote() << line;
    }
    away_ = true;
  }
  tried_ = true;
}

void ServiceLog::lineEvent(CommEvent event, const std::string& detail) {
  const std::string what = std::to_string(static_cast<int>(event)) + ": " + detail;
  if (const std::string digit = BoxDigit(event); !digit.empty()) {
    lineCauses_[digit] = what;
  } else if (event == CommEvent::Frame) {
    // No box of its own: the link beeps and opens the port again at once.
    qCWarning(lcService).noquote()
        << QStringLiteral("Keretezési hiba a vonalon, a port újranyitva (vonalesemény %1)")
               .arg(Text(what));
  }
}

void ServiceLog::linkUp() { qCInfo(lcService).noquote() << "A töltő válaszol: kapcsolódva."; }

void ServiceLog::linkLost() {
  qCWarning(lcService).noquote() << "A töltő nem válaszol: a kapcsolat megszakadt.";
}

void ServiceLog::linkRestored() {
  qCInfo(lcService).noquote() << "A töltő újra válaszol: a kapcsolat helyreállt.";
}

}  // namespace voltander
