#include "kufunctions.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QOperatingSystemVersion>
#include <QSysInfo>
#include <QVector>

#include <cmath>

#include "kuiconmanager.h"

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("kuFunctions", text);
}

// Widens the information boxes, which would otherwise hug short texts.
const QString padding(11, QLatin1Char(' '));

QMessageBox::StandardButton runBox(const char* title, QMessageBox::Icon icon, const QString& text,
                                   QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box;
    // A wait cursor left by the caller must not stay over the box.
    QGuiApplication::restoreOverrideCursor();
    QFont font = box.font();
    font.setPixelSize(14);
    font.setFamily(QStringLiteral("Tahoma"));
    font.setWeight(QFont::DemiBold);
    box.setWindowTitle(tr(title));
    box.setWindowIcon(kuIconManager::icon(QStringLiteral("ku_logo_small.png")));
    box.setWindowModality(Qt::WindowModal);
    box.setFont(font);
    box.setIcon(icon);
    box.setText(text);
    box.setStandardButtons(buttons);
    box.setDefaultButton(defaultButton);
    setTahomaFontTree(&box);
    box.exec();
    return box.standardButton(box.clickedButton());
}

} // namespace

void showMessage(const QString& text)
{
    runBox("Сообщение", QMessageBox::Information, text + padding, QMessageBox::Close, QMessageBox::Close);
}

void showError(const QString& text)
{
    runBox("Ошибка", QMessageBox::Critical, text + padding, QMessageBox::Close, QMessageBox::Close);
}

void showWarning(const QString& text)
{
    runBox("Предупреждение", QMessageBox::Warning, text + padding, QMessageBox::Close, QMessageBox::Close);
}

bool askQuestion(const QString& text)
{
    return runBox("Вопрос", QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

bool askYesNo(const QString& text)
{
    return runBox("Вопрос", QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

void setTahomaFont(QWidget* widget)
{
    if (!widget)
        return;
    QFont font = widget->font();
    if (font.pointSize() == -1)
        return;
    font.setPixelSize(font.pointSize() + 3);
    font.setFamily(QStringLiteral("Tahoma"));
    widget->setFont(font);
}

namespace {

// A value that rounds to zero at the shown decimals reads as zero, not "-0.00".
QString withoutNegativeZero(QString text)
{
    if (!text.startsWith(QLatin1Char('-')))
        return text;
    bool digits = false;
    for (int i = 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isLetter() || (c.isDigit() && c != QLatin1Char('0')))
            return text;
        digits = digits || c.isDigit();
    }
    if (digits)
        text.remove(0, 1);
    return text;
}

} // namespace

QString formatNumber(double value, int precision, QChar separator)
{
    // Made once: the lists format every shown number through here, many times a second.
    static const QLocale english(QLocale::English, QLocale::AnyCountry);
    QString text = english.toString(value, 'f', precision);
    text.replace(QLatin1Char(','), separator);
    return withoutNegativeZero(text);
}

QString fixedNumber(double value, int precision)
{
    return withoutNegativeZero(QString::number(value, 'f', precision));
}

bool readTypedNumber(const QString& text, int decimals, double* value)
{
    const QString trimmed = text.trimmed();
    auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F); };
    auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    QString number; // in the C locale's form
    int i = 0;
    if (i < trimmed.size() && (trimmed.at(i) == QLatin1Char('-') || trimmed.at(i) == QChar(0x2212))) {
        number.append(QLatin1Char('-'));
        ++i;
    } else if (i < trimmed.size() && trimmed.at(i) == QLatin1Char('+')) {
        ++i;
    }
    // Integer part. A blank splits groups of thousands only: "99 5" is a mistyped 99,5, not 995.
    int digits = 0;
    int group = 0; // digits since the last blank, or since the start
    bool grouped = false;
    for (; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (isDigit(c)) {
            number.append(c);
            ++digits;
            ++group;
        } else if (isBlank(c)) {
            if (grouped ? group != 3 : (group == 0 || group > 3))
                return false;
            grouped = true;
            group = 0;
        } else {
            break;
        }
    }
    if (grouped && group != 3)
        return false;
    // Fraction: "," or "." and at least one digit; no blanks, no second mark.
    int fraction = 0;
    if (i < trimmed.size() && (trimmed.at(i) == QLatin1Char(',') || trimmed.at(i) == QLatin1Char('.'))) {
        if (digits == 0)
            number.append(QLatin1Char('0'));
        number.append(QLatin1Char('.'));
        for (++i; i < trimmed.size() && isDigit(trimmed.at(i)); ++i) {
            number.append(trimmed.at(i));
            ++fraction;
        }
        if (fraction == 0 || decimals == 0)
            return false;
    }
    if (i != trimmed.size() || digits + fraction == 0 || (decimals > 0 && fraction > decimals))
        return false;
    bool ok = false;
    const double read = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(read))
        return false;
    if (value)
        *value = read == 0 ? 0.0 : read; // no negative zero from "-0"
    return true;
}

QDateTime dateTimeFromUnix(qint64 seconds)
{
    return QDateTime::fromMSecsSinceEpoch(seconds * 1000, Qt::OffsetFromUTC, 10800);
}

QString osDescription()
{
    QString version = QStringLiteral(">7 ");
#ifdef Q_OS_WIN
    const QOperatingSystemVersion os = QOperatingSystemVersion::current();
    if (os >= QOperatingSystemVersion::Windows10)
        version = QStringLiteral("10 ");
    else if (os >= QOperatingSystemVersion::Windows8_1)
        version = QStringLiteral("8.1 ");
    else if (os >= QOperatingSystemVersion::Windows8)
        version = QStringLiteral("8 ");
    else if (os >= QOperatingSystemVersion::Windows7)
        version = QStringLiteral("7 ");
#endif
    return QStringLiteral("Microsoft Windows ") + version + QStringLiteral("( ") + QSysInfo::currentCpuArchitecture() +
           QStringLiteral(" )");
}

QString errorText(int code)
{
    static const char* const texts[] = {
            QT_TRANSLATE_NOOP("kuFunctions", "Ошибка с неизвестным кодом"),
            QT_TRANSLATE_NOOP("kuFunctions", "Не удается открыть файл"),
            QT_TRANSLATE_NOOP("kuFunctions", "Не удается создать временную таблицу"),
            QT_TRANSLATE_NOOP("kuFunctions", "Не удается создать таблицу"),
            QT_TRANSLATE_NOOP("kuFunctions", "Не удается добавить записи в таблицу"),
            QT_TRANSLATE_NOOP("kuFunctions", "Не удается удалить записи из таблицы"),
            QT_TRANSLATE_NOOP("kuFunctions", "Не удается получить доступ к БД"),
            QT_TRANSLATE_NOOP("kuFunctions", "Ошибка в сетевом соединении"),
            QT_TRANSLATE_NOOP("kuFunctions", "Не удается создать временный файл"),
            QT_TRANSLATE_NOOP("kuFunctions", "Не удается записать файл"),
            QT_TRANSLATE_NOOP("kuFunctions", "Ошибка транзакции"),
            QT_TRANSLATE_NOOP("kuFunctions", "Недостаточно памяти"),
            QT_TRANSLATE_NOOP("kuFunctions", "Тикер не найден"),
            QT_TRANSLATE_NOOP("kuFunctions", "Нет доступа к данным"),
            QT_TRANSLATE_NOOP("kuFunctions", "Сеть недоступна"),
            QT_TRANSLATE_NOOP("kuFunctions", "Ошибка в данных"),
    };
    constexpr int count = int(sizeof(texts) / sizeof(texts[0]));
    // An unknown code gets the catch-all text rather than whatever follows the table.
    if (code < 0 || code >= count)
        code = 0;
    return tr(texts[code]);
}

int findSubstring(const QString& text, int from, const QString& pattern)
{
    if (from < 0)
        from = 0;
    const int n = text.size();
    const int m = pattern.size();
    if (from >= n)
        return -1;
    if (m == 0)
        return from;

    // Knuth-Morris-Pratt: prefix[i] is the length of the longest proper
    // prefix of pattern[0..i] that is also its suffix.
    QVector<int> prefix(m, 0);
    for (int i = 1, k = 0; i < m; ++i) {
        while (k > 0 && pattern.at(k) != pattern.at(i))
            k = prefix[k - 1];
        if (pattern.at(k) == pattern.at(i))
            ++k;
        prefix[i] = k;
    }

    for (int i = from, q = 0; i < n; ++i) {
        while (q > 0 && pattern.at(q) != text.at(i))
            q = prefix[q - 1];
        if (pattern.at(q) == text.at(i))
            ++q;
        if (q == m)
            return i - m + 1;
    }
    return -1;
}
