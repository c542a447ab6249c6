#include "kudoublespinbox.h"

#include "kufunctions.h"

#include <QKeyEvent>
#include <QLineEdit>

kuDoubleSpinBox::kuDoubleSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    setObjectName(QStringLiteral("kuDoubleSpinBox"));
    setLocale(QLocale(QLocale::C, QLocale::AnyCountry));
    // A refused entry goes back to the value before editing, not to a prefix of it taken on the way.
    setKeyboardTracking(false);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_edited = true; });
}

double kuDoubleSpinBox::valueFromText(const QString& text) const
{
    double read = 0;
    if (readTypedNumber(numberPart(text), decimals(), &read))
        return read;
    return value();
}

QString kuDoubleSpinBox::textFromValue(double value) const
{
    return formatNumber(value, decimals(), QLatin1Char(' '));
}

QValidator::State kuDoubleSpinBox::validate(QString& text, int&) const
{
    // Never Invalid, which would drop the keystroke: "1,234.5" would become 1,2345 and "89a3" 893.
    // What does not read as a number in range is refused when editing ends.
    double read = 0;
    if (!readTypedNumber(numberPart(text), decimals(), &read) || read < minimum() || read > maximum())
        return QValidator::Intermediate;
    return QValidator::Acceptable;
}

void kuDoubleSpinBox::fixup(QString&) const
{
    // Qt's fixup drops the C locale's "," groups and would make 893,5 into 8935: what does not
    // read as a number keeps the previous value instead.
}

bool kuDoubleSpinBox::commitEntry()
{
    noteEntry();
    interpretText();
    return !m_entryRefused;
}

void kuDoubleSpinBox::focusOutEvent(QFocusEvent* event)
{
    noteEntry();
    QDoubleSpinBox::focusOutEvent(event);
}

void kuDoubleSpinBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        noteEntry();
    QDoubleSpinBox::keyPressEvent(event);
}

void kuDoubleSpinBox::noteEntry()
{
    if (!m_edited || isReadOnly())
        return;
    m_edited = false;
    QString text = lineEdit()->displayText();
    int pos = 0;
    m_entryRefused = validate(text, pos) != QValidator::Acceptable;
    if (m_entryRefused)
        m_refusedText = numberPart(text).trimmed();
}

QString kuDoubleSpinBox::numberPart(const QString& text) const
{
    // Blanks of a prefix or suffix are theirs, not group marks.
    int begin = 0;
    int end = text.size();
    if (!prefix().isEmpty() && text.startsWith(prefix()))
        begin = prefix().size();
    if (!suffix().isEmpty() && text.endsWith(suffix()) && end - suffix().size() >= begin)
        end -= suffix().size();
    return text.mid(begin, end - begin);
}
