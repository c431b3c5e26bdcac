#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStringList>

#include "qt/LinkLog.h"

namespace voltander {
namespace {

QStringList captured;

void Capture(QtMsgType, const QMessageLogContext& context, const QString& text) {
  if (QLatin1String(context.category) == QLatin1String("voltander.link")) captured << text;
}

// The log is silent by default; the rule turns on lines with a time, the frame's
// bytes in hex and an opening's failure in the system's own words.
TEST(LinkLogTest, RuleTurnsOnTimedLinesOfFramesAndOpenings) {
  const QtMessageHandler previous = qInstallMessageHandler(Capture);
  for (const bool on : {false, true}) {
    SCOPED_TRACE(on);
    QLoggingCategory::setFilterRules(on ? QStringLiteral("voltander.link.debug=true") : QString());
    captured.clear();
    LinkLog log;
    log.frameSent({'S', 'R', '0', '0', '0', '0', '0', '0', '0', 'T'});
    log.portOpened(7, {OpenError::InvalidPort, 8002, "No such file or directory"});
    if (!on) {
      EXPECT_TRUE(captured.isEmpty()) << captured.join('\n').toStdString();
      continue;
    }
    EXPECT_EQ(captured.size(), 2);
    const QRegularExpression timed(QStringLiteral("^ *\\d+ ms "));
    EXPECT_TRUE(timed.match(captured.value(0)).hasMatch()) << captured.value(0).toStdString();
    EXPECT_TRUE(captured.value(0).contains("53 52 30 30 30 30 30 30 30 54"));
    EXPECT_TRUE(captured.value(1).contains("Comm 7")) << captured.value(1).toStdString();
    EXPECT_TRUE(captured.value(1).contains("8002"));
    EXPECT_TRUE(captured.value(1).contains("No such file or directory"));
  }
  QLoggingCategory::setFilterRules(QString());
  qInstallMessageHandler(previous);
}

}  // namespace
}  // namespace voltander
