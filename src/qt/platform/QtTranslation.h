// Qt's own words (Yes, No, Cancel, the whole file dialog) in Hungarian like the rest
// of the program, whatever the user's locale: the program's texts are Hungarian anyway.
#pragma once

#include <QLibraryInfo>
#include <QString>

class QCoreApplication;
class QTranslator;

namespace voltander {

// Installs qtbase_hu from folder. Returns the translator, owned by app, or nullptr
// when the file is missing or unreadable: Qt's words then stay English.
QTranslator* InstallQtTranslation(QCoreApplication& app, const QString& folder = QLibraryInfo::path(
                                                             QLibraryInfo::TranslationsPath));

}  // namespace voltander
