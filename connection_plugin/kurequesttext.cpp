#include "kurequesttext.h"

#include "kumsgpackcheck.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QTextCodec>
#include <QUrl>

namespace kuRequestText {

QString encoded(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

QString login(const QString& name, QTextCodec* cp1251)
{
    const QByteArray bytes = cp1251 ? cp1251->fromUnicode(name) : name.toLatin1();
    const QByteArray text = bytes.toPercentEncoding();
    const int zero = text.indexOf('\0');
    return QString::fromLatin1(zero < 0 ? text : text.left(zero));
}

QString wholeNumber(qint64 value)
{
    return QString::number(value);
}

QString price(double value)
{
    return QString::number(value, 'f', 6);
}

QString accountHash(const QString& account)
{
    static QTextCodec* koi8 = QTextCodec::codecForName("KOI8-R");
    return QString::fromLatin1(QCryptographicHash::hash(koi8->fromUnicode(account), QCryptographicHash::Sha1).toHex());
}

QString fill(const QString& pattern, const QStringList& values)
{
    QString result;
    result.reserve(pattern.size() + 64);
    const int count = values.size();
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c != QLatin1Char('%') || i + 1 >= pattern.size() || !pattern.at(i + 1).isDigit()) {
            result += c;
            continue;
        }
        int number = pattern.at(i + 1).digitValue();
        int width = 1;
        if (i + 2 < pattern.size() && pattern.at(i + 2).isDigit()) {
            const int two = number * 10 + pattern.at(i + 2).digitValue();
            if (two <= count) {
                number = two;
                width = 2;
            }
        }
        if (number >= 1 && number <= count) {
            result += values.at(number - 1);
            i += width;
        } else {
            result += c;
        }
    }
    return result;
}

bool isHealthyReply(const QByteArray& hexData, QString* why)
{
    return kuMsgPackCheck::isDataReply(hexData, why);
}

QString forLog(const QUrl& url)
{
    static const QRegularExpression session(QStringLiteral("([?&]ID=)[^&#]*"));
    static const QRegularExpression password(QStringLiteral("&PW=[^&#]*|PW=[^&#]*&?"));
    return url.toString(QUrl::FullyEncoded).replace(session, QStringLiteral("\\1***")).remove(password);
}

QString quoted(const QByteArray& bytes, int maxBytes)
{
    QString text = QStringLiteral("\"");
    const int shown = qMin(bytes.size(), maxBytes);
    for (int i = 0; i < shown; ++i) {
        const auto c = uchar(bytes.at(i));
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\')
            text += QChar(c);
        else
            text += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    text += QLatin1Char('"');
    if (bytes.size() > shown)
        text += QStringLiteral(" (%1 bytes)").arg(bytes.size());
    return text;
}

} // namespace kuRequestText
