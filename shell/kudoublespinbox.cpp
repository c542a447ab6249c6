#include "kudoublespinbox.h"

#include "kufunctions.h"

kuDoubleSpinBox::kuDoubleSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    setObjectName(QStringLiteral("kuDoubleSpinBox"));
    setLocale(QLocale(QLocale::C, QLocale::AnyCountry));
}

double kuDoubleSpinBox::valueFromText(const QString& text) const
{
    return QDoubleSpinBox::valueFromText(withoutGroupBlanks(text));
}

QString kuDoubleSpinBox::textFromValue(double value) const
{
    return formatNumber(value, decimals(), QLatin1Char(' '));
}

QValidator::State kuDoubleSpinBox::validate(QString& text, int& pos) const
{
    // The C locale knows no blank groups; without this the shown text could
    // not be edited or read back.
    int strippedPos = pos;
    QString stripped = withoutGroupBlanks(text, &strippedPos);
    return QDoubleSpinBox::validate(stripped, strippedPos);
}

QString kuDoubleSpinBox::withoutGroupBlanks(const QString& text, int* pos) const
{
    // Blanks of a prefix or suffix are theirs, not group marks.
    int begin = 0;
    int end = text.size();
    if (!prefix().isEmpty() && text.startsWith(prefix()))
        begin = prefix().size();
    if (!suffix().isEmpty() && text.endsWith(suffix()) && end - suffix().size() >= begin)
        end -= suffix().size();

    const int cursor = pos ? *pos : 0;
    QString result = text.left(begin);
    for (int i = begin; i < end; ++i) {
        if (text.at(i) == QLatin1Char(' ')) {
            if (pos && i < cursor)
                --*pos;
            continue;
        }
        result.append(text.at(i));
    }
    result.append(text.mid(end));
    return result;
}
