#include "qt/daemon/JournalStream.h"

#include <sys/stat.h>

#include <QDateTime>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace voltander {

Q_LOGGING_CATEGORY(lcService, "voltander.service", QtInfoMsg)

namespace {

bool gJournal = false;

// syslog's priorities, as sd-daemon.h spells them.
const char* Priority(QtMsgType type) {
  switch (type) {
    case QtDebugMsg: return "<7>";
    case QtInfoMsg: return "<6>";
    case QtWarningMsg: return "<4>";
    case QtCriticalMsg: return "<3>";
    case QtFatalMsg: return "<2>";
  }
  return "<6>";
}

char Letter(QtMsgType type) {
  switch (type) {
    case QtDebugMsg: return 'D';
    case QtInfoMsg: return 'I';
    case QtWarningMsg: return 'W';
    case QtCriticalMsg: return 'E';
    case QtFatalMsg: return 'F';
  }
  return 'I';
}

void Write(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const QByteArray line =
      (FormatLogLine(type, context.category, message, gJournal) + QLatin1Char('\n')).toUtf8();
  std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
  std::fflush(stderr);
}

}  // namespace

bool StderrIsJournal() {
  const char* stream = std::getenv("JOURNAL_STREAM");
  struct stat st {};
  if (!stream || fstat(2, &st) != 0) return false;
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) == stream;
}

QString FormatLogLine(QtMsgType type, const char* category, const QString& message, bool journal) {
  QString text = message;
  text.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QString where = QLatin1String(category ? category : "default") + QLatin1String(": ");
  if (journal) return QLatin1String(Priority(type)) + where + text;
  return QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char(' ') +
         QLatin1Char(Letter(type)) + QLatin1Char(' ') + where + text;
}

void InstallServiceLog() {
  gJournal = StderrIsJournal();
  qInstallMessageHandler(Write);
}

}  // namespace voltander
