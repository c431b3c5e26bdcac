#include "qt/widgets/PortComboBox.h"

#include <sys/stat.h>

#include <QSerialPortInfo>
#include <map>

#include "qt/platform/PortNames.h"
#include "qt/platform/QtPortSearch.h"

namespace voltander {

namespace {

constexpr const char* kNoDevice = "nincs ilyen eszköz";
constexpr const char* kDescription = "Leírás: ";
constexpr const char* kManufacturer = "Gyártó: ";
constexpr const char* kUsbIds = "USB azonosító: ";
constexpr const char* kSerialNumber = "Sorozatszám: ";

QString Hex4(quint16 v) { return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')); }

bool IsCharDevice(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

QString Details(const QSerialPortInfo& info) {
  QString text;
  auto line = [&text](const char* label, const QString& value) {
    if (!value.isEmpty()) text += QLatin1Char('\n') + QString::fromUtf8(label) + value;
  };
  line(kDescription, info.description());
  line(kManufacturer, info.manufacturer());
  if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
    line(kUsbIds,
         Hex4(info.vendorIdentifier()) + QLatin1Char(':') + Hex4(info.productIdentifier()));
  }
  line(kSerialNumber, info.serialNumber());
  return text;
}

}  // namespace

void PortComboBox::showPopup() {
  refreshDevices();
  QComboBox::showPopup();
}

void PortComboBox::refreshDevices() {
  std::map<std::string, QSerialPortInfo> known;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    known.emplace(ResolvedDevice(info.systemLocation().toStdString()), info);
  }
  const std::string links = PortLinkFolder() + "/";
  QFont plain = font();
  plain.setBold(false);
  QFont bold = plain;
  bold.setBold(true);

  for (int i = 0; i < count(); ++i) {
    const int n = i + 1;
    std::string path = DevicePathForPort(n);
    if (path.empty()) path = links + "COM" + std::to_string(n);
    const std::string node = ResolvedDevice(path);
    const auto info = known.find(node);
    // A built-in node without hardware behind it (most /dev/ttyS*) is no port; a
    // user's link to any terminal line is.
    const bool viaLink = path.compare(0, links.size(), links) == 0;
    const bool present = IsCharDevice(node) && (viaLink || info != known.end());

    QString tip = QString::fromStdString(path);
    if (viaLink && !node.empty()) tip += QStringLiteral(" → ") + QString::fromStdString(node);
    if (!present) tip += QStringLiteral("\n") + QString::fromUtf8(kNoDevice);
    if (info != known.end()) tip += Details(info->second);
    setItemData(i, present ? bold : plain, Qt::FontRole);
    setItemData(i, tip, Qt::ToolTipRole);
  }
}

}  // namespace voltander
