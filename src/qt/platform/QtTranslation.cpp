#include "qt/platform/QtTranslation.h"

#include <QCoreApplication>
#include <QTranslator>

namespace voltander {

QTranslator* InstallQtTranslation(QCoreApplication& app, const QString& folder) {
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qtbase_hu"), folder) &&
      QCoreApplication::installTranslator(translator)) {
    return translator;
  }
  delete translator;
  return nullptr;
}

}  // namespace voltander
