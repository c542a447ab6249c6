#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>

// Logger "Velmoran": the signal (kuLogSignal) and the daily file (mode 0600)
// from INFO, standard output at every level. logDir defaults to "logs" beside
// the executable (userLogFolder() for an installed program); a folder that cannot be written gives way to userLogFolder()
// (said on standard error); when none can be written the other outputs still work.
void installMessageLogging(const QString& logDir = QString());

// Velmoran/logs in the user's data folder ($XDG_DATA_HOME, ~/.local/share)
QString userLogFolder();

// Qt message handler: routes every message to the logger "Velmoran".
void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text);

// Flushes and closes every output; later messages go to standard error.
void shutdownLogging();

// The text logged for a message: "(function:line) " before debug and info
// texts, " >>> (function:line) " after warnings, critical and fatal ones.
QString logMessageText(QtMsgType type, const QMessageLogContext& context, const QString& text);

// Log file of the given day in logDir: Velmoran_yyyyMMdd.log.
QString logFilePath(const QString& logDir, const QDate& day);
