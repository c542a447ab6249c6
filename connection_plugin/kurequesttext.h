#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextCodec;
class QUrl;

// Values as they go into request URLs.
namespace kuRequestText {

// Percent-encoded UTF-8; unreserved characters stay as they are.
QString encoded(const QString& value);
// The login name in cp1251, percent-encoded.
QString login(const QString& name, QTextCodec* cp1251);
// Fixed notation without decimals.
QString wholeNumber(qint64 value);
// Fixed notation with 6 decimals.
QString price(double value);
// SHA-1 of the KOI8-R bytes of the account name, 40 lower-case hex digits.
QString accountHash(const QString& account);
// Replaces %1..%N by values[0..N-1] in one pass, so that a value holding "%2"
// is never substituted again. Values must already be encoded.
QString fill(const QString& pattern, const QStringList& values);
// A request URL as it may be logged: the value of ID (the session, or the
// login name) masked, PW left out. Every place that logs a request uses it.
QString forLog(const QUrl& url);
// Bytes from the server as they may be logged: quoted, at most maxBytes of
// them, anything but printable ASCII escaped.
QString quoted(const QByteArray& bytes, int maxBytes = 64);

// A poll or probe answer that shows a working session: hex text that decodes
// to a list (not the server's error map, not garbage); why tells otherwise.
bool isHealthyReply(const QByteArray& hexData, QString* why = nullptr);

} // namespace kuRequestText
