#include "qt/platform/QtDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>

#include "qt/platform/NameFilters.h"

namespace voltander {

namespace {

// What the user was shown, for a support log beside the link's: off unless the rule
// voltander.dialogs.debug=true asks for it.
Q_LOGGING_CATEGORY(lcVoltanderDialogs, "voltander.dialogs", QtInfoMsg)

QMessageBox::Icon ToQt(Icon icon) {
  switch (icon) {
    case Icon::Critical:
      return QMessageBox::Critical;
    case Icon::Question:
      return QMessageBox::Question;
    case Icon::Exclamation:
      return QMessageBox::Warning;
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QString Title(const std::string& title) {
  return QString::fromStdString(title.empty() ? std::string(kAppTitle) : title);
}

}  // namespace

QString DialogText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

Answer QtDialogs::message(const std::string& text, Buttons buttons, Icon icon,
                          const std::string& title) {
  QMessageBox box(ToQt(icon), Title(title), DialogText(text), QMessageBox::NoButton, parent_);
  box.setTextFormat(Qt::PlainText);
  switch (buttons) {
    case Buttons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
    case Buttons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case Buttons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::No);
      break;
  }
  qCDebug(lcVoltanderDialogs).noquote() << "message box:" << box.text();
  box.exec();
  // A box closed by the program's end has no clicked button: that counts as the
  // cautious answer, so nothing goes ahead on a question nobody answered.
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
      return Answer::Ok;
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Cancel:
      return Answer::Cancel;
    default:
      break;
  }
  switch (buttons) {
    case Buttons::Ok:
      return Answer::Ok;
    case Buttons::OkCancel:
      return Answer::Cancel;
    case Buttons::YesNo:
      return Answer::No;
  }
  return Answer::Cancel;
}

std::string QtDialogs::input(const std::string& title, const std::string& prompt,
                             const std::string& defaultText) {
  QInputDialog dialog(parent_);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(Title(title));
  dialog.setLabelText(DialogText(prompt));
  dialog.setTextValue(QString::fromStdString(defaultText));
  if (dialog.exec() != QDialog::Accepted) return "";
  return dialog.textValue().toStdString();
}

FileChoice QtDialogs::openFile(const std::string& filter, const std::string& presetName) {
  return chooseFile(false, filter, presetName);
}

FileChoice QtDialogs::saveFile(const std::string& filter, const std::string& presetName) {
  return chooseFile(true, filter, presetName);
}

FileChoice QtDialogs::chooseFile(bool save, const std::string& filter,
                                 const std::string& presetName) {
  QFileDialog dialog(parent_);
  QStringList filters;
  for (const std::string& f : QtNameFilters(filter)) filters << QString::fromStdString(f);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
  }
  // Any name is accepted: the commands test existence themselves and say so in
  // their own words, so the dialog neither asks to overwrite nor says "not found".
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  // A desktop's own dialog may test existence itself and speaks its own language;
  // Qt's dialog does neither and carries the Hungarian translation.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  if (!presetName.empty()) dialog.selectFile(QString::fromStdString(presetName));

  FileChoice choice;
  if (dialog.exec() != QDialog::Accepted) return choice;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return choice;
  const QFileInfo info(chosen.first());
  choice.cancelled = false;
  choice.path = info.absoluteFilePath().toStdString();
  choice.fileTitle = info.fileName().toStdString();
  return choice;
}

void QtDialogs::showCalibration(Oszto& form) {
  if (showCalibration_) showCalibration_(form, parent_);
}

}  // namespace voltander
