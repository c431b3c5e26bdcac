// The service writes its log to standard error. Under systemd that stream goes to the
// journal, which stamps each line itself and reads its priority from a "<n>" prefix
// (sd-daemon.h), so there the lines carry that prefix and no time of their own;
// anywhere else they carry a local time and a level letter.
#pragma once

#include <QLoggingCategory>
#include <QString>

namespace voltander {

Q_DECLARE_LOGGING_CATEGORY(lcService)

// Whether standard error is the journal's stream: $JOURNAL_STREAM names its device
// and inode.
bool StderrIsJournal();

// One line as written, without its line feed; a message's own line breaks become
// blanks, so one message stays one journal entry.
QString FormatLogLine(QtMsgType type, const char* category, const QString& message, bool journal);

// Sends every log message of the process through FormatLogLine to standard error.
void InstallServiceLog();

}  // namespace voltander
