#include "qt/platform/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QString>

namespace voltander {

namespace {

Q_LOGGING_CATEGORY(lcSettings, "voltander.settings", QtWarningMsg)

constexpr const char* kOrganization = "Voltander";
// On Linux the native format is the INI text format, kept in "<app>.conf" (the
// IniFormat proper would name the file "<app>.ini").
constexpr QSettings::Format kFormat = QSettings::NativeFormat;
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kOpenToOthers =
    QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
    QFileDevice::WriteOther;

QString Path(const std::string& section, const std::string& key) {
  return QString::fromStdString(section) + '/' + QString::fromStdString(key);
}

QSettings Open(const std::string& app) {
  return QSettings(kFormat, QSettings::UserScope, kOrganization, QString::fromStdString(app));
}

}  // namespace

void QtSettingsStore::guard(const std::string& app) {
  if (!guarded_.insert(app).second) return;
  const QSettings store = Open(app);
  const QFileInfo file(store.fileName());
  if (!file.exists() || !(file.permissions() & kOpenToOthers)) return;
  if (store.value(QStringLiteral("Mqtt/Password")).toString().isEmpty()) return;
  QFile::setPermissions(file.filePath(), kOwnerOnly);
  qCWarning(lcSettings).noquote()
      << QStringLiteral("A beállításfájl (%1) jelszót tárol, és mások is olvashatták; mostantól "
                        "csak a tulajdonosa olvashatja (0600).")
             .arg(file.filePath());
}

std::string QtSettingsStore::get(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& fallback) {
  guard(app);
  const QSettings store = Open(app);
  const QVariant value = store.value(Path(section, key));
  // Values are kept as text; anything the file holds that is not plain text (a
  // hand-edited list, say) reads as its text form rather than as absent.
  if (!value.isValid()) return fallback;
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(',').toStdString();
  return value.toString().toStdString();
}

void QtSettingsStore::save(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) {
  guard(app);
  QSettings store = Open(app);
  // Made here rather than by QSettings, which would follow the umask.
  const QString folder = QFileInfo(store.fileName()).absolutePath();
  if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner);
  store.setValue(Path(section, key), QString::fromStdString(value));
  store.sync();
  QFile::setPermissions(store.fileName(), kOwnerOnly);
}

}  // namespace voltander
