#pragma once

#include <QChar>
#include <QDateTime>
#include <QString>
#include <QWidget>

#include <cmath>

// Styled modal message boxes; they return when the user closes them.
void showMessage(const QString& text);
void showError(const QString& text);
void showWarning(const QString& text);
// True only when the user clicked Ok.
bool askQuestion(const QString& text);
// True only when the user clicked Yes (the default).
bool askYesNo(const QString& text);

// Tahoma at the point size + 3 in pixels; a font already sized in pixels is kept.
void setTahomaFont(QWidget* widget);

// setTahomaFont on every descendant, then on the widget itself.
template <typename W>
void setTahomaFontTree(W* widget)
{
    if (!widget)
        return;
    const QList<QWidget*> children = widget->template findChildren<QWidget*>(QString());
    for (QWidget* child : children)
        setTahomaFont(child);
    setTahomaFont(widget);
}

// Fixed-point text with the thousands groups split by separator.
QString formatNumber(double value, int precision, QChar separator);
// Fixed-point text without groups. Neither shows a negative zero.
QString fixedNumber(double value, int precision);
// A number as a person types it, whatever the locale: an optional sign ("-", "+" or the minus
// U+2212), "," or "." before the fraction digits, and blanks (also U+00A0 and U+202F) between
// groups of three digits in the integer part ("12 345 678,5"); the number goes to *value. False for
// anything else: letters, exponents, two marks, a mark without digits after it, a blank anywhere
// else ("99 5", "1 ,5"), more fraction digits than decimals (a mark at all when it is 0; below 0
// any count), nothing but blanks, a number beyond a double.
bool readTypedNumber(const QString& text, int decimals, double* value);
// value rounded half away from zero to 0..8 decimals, the precision values are stored with;
// beyond 2^53 a double has no fraction left and comes back unchanged. Inline: candle rows
// round five values each.
inline double rounded(double value, int decimals)
{
    static constexpr double scales[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    const double scale = scales[qBound(0, decimals, 8)];
    const double scaled = value * scale;
    // NaN and infinities go back as they came.
    if (!(std::fabs(scaled) < 9007199254740992.0))
        return value;
    // std::round without its library call: below 2^53 the integer part converts
    // exactly and the fraction is exact.
    double whole = double(qint64(scaled));
    const double fraction = scaled - whole;
    if (fraction >= 0.5)
        whole += 1.0;
    else if (fraction <= -0.5)
        whole -= 1.0;
    // -0.3 rounds to -0, as std::round gives it.
    return std::copysign(whole, scaled) / scale;
}
// Server timestamps are shown at the exchange's fixed UTC+3, whatever the local zone.
QDateTime dateTimeFromUnix(qint64 seconds);
// Operating-system text sent at login; plain ASCII.
QString osDescription();
// Text of a local error code (0 to 15); other codes give the text of code 0.
QString errorText(int code);
// First position of pattern in text at or after from, or -1.
int findSubstring(const QString& text, int from, const QString& pattern);
