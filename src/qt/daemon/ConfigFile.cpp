#include "qt/daemon/ConfigFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace voltander {

namespace {

// A value QSettings took for a list (it holds a comma) reads back as the text it was.
std::string Text(const QVariant& value) {
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(',').toStdString();
  return value.toString().toStdString();
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

service::ConfigFileTexts ReadConfigFile(const std::string& path) {
  service::ConfigFileTexts file;
  file.path = path;
  struct stat st {};
  file.exists = stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  file.readable = file.exists && access(path.c_str(), R_OK) == 0;
  file.mode = static_cast<unsigned>(st.st_mode) & 07777;
  if (!file.readable) return file;
  QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
  for (const QString& key : settings.allKeys())
    file.values[key.toStdString()] = Text(settings.value(key));
  file.wellFormed = settings.status() == QSettings::NoError;
  return file;
}

service::ConfigEnvironment ReadEnvironment() {
  return {Variable("STATE_DIRECTORY"), Variable("XDG_DATA_HOME"), Variable("HOME")};
}

IniFileStore::IniFileStore(const std::string& path, bool writable)
    : file_(QString::fromStdString(path), QSettings::IniFormat), writable_(writable) {}

std::string IniFileStore::get(const std::string&, const std::string& section,
                              const std::string& key, const std::string& fallback) {
  const QVariant value = file_.value(QString::fromStdString(section + "/" + key));
  return value.isValid() ? Text(value) : fallback;
}

void IniFileStore::save(const std::string&, const std::string& section, const std::string& key,
                        const std::string& value) {
  if (!writable_) return;
  file_.setValue(QString::fromStdString(section + "/" + key), QString::fromStdString(value));
  file_.sync();
}

}  // namespace voltander
