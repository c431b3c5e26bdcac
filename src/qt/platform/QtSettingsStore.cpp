#include "qt/platform/QtSettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QString>

namespace voltander {

namespace {

constexpr const char* kOrganization = "Voltander";
// On Linux the native format is the INI text format, kept in "<app>.conf" (the
// IniFormat proper would name the file "<app>.ini").
constexpr QSettings::Format kFormat = QSettings::NativeFormat;

QString Path(const std::string& section, const std::string& key) {
  return QString::fromStdString(section) + '/' + QString::fromStdString(key);
}

}  // namespace

std::string QtSettingsStore::get(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& fallback) {
  QSettings store(kFormat, QSettings::UserScope, kOrganization, QString::fromStdString(app));
  const QVariant value = store.value(Path(section, key));
  // Values are kept as text; anything the file holds that is not plain text (a
  // hand-edited list, say) reads as its text form rather than as absent.
  if (!value.isValid()) return fallback;
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(',').toStdString();
  return value.toString().toStdString();
}

void QtSettingsStore::save(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) {
  QSettings store(kFormat, QSettings::UserScope, kOrganization, QString::fromStdString(app));
  store.setValue(Path(section, key), QString::fromStdString(value));
  store.sync();
  // The file can hold the broker's password: for its owner's eyes only.
  QFile::setPermissions(store.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

}  // namespace voltander
