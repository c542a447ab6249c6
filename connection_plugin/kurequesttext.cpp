#include "kurequesttext.h"

#include <QCryptographicHash>
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

QString wholeNumber(int value)
{
    return QString::number(double(value), 'f', 0);
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

bool isHealthyReply(const QByteArray& hexData)
{
    if (hexData.isEmpty() || hexData.size() % 2 != 0)
        return false;
    for (char c : hexData) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex)
            return false;
    }
    const quint8 first = quint8(QByteArray::fromHex(hexData.left(2)).at(0));
    const bool isMap = (first >= 0x80 && first <= 0x8f) || first == 0xde || first == 0xdf;
    return !isMap;
}

} // namespace kuRequestText
