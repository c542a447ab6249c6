#include "kucolorbutton.h"

#include <QColorDialog>
#include <QPixmap>

kuColorButton::kuColorButton(QWidget* parent) : QToolButton(parent)
{
    initialize(Qt::black);
}

kuColorButton::kuColorButton(const QColor& color, QWidget* parent) : QToolButton(parent)
{
    initialize(color);
}

void kuColorButton::initialize(const QColor& color)
{
    setObjectName(QStringLiteral("kuColorButton"));
    m_alphaEnabled = color.alpha() != 255;
    setDefaultColor(color);
    emit colorChanged(this->color());
    connect(this, &QToolButton::clicked, this, &kuColorButton::onHandleClicked);
}

QColor kuColorButton::color() const
{
    QColor result = m_color;
    if (!m_alphaEnabled)
        result.setAlpha(255);
    return result;
}

void kuColorButton::setColor(const QColor& color)
{
    setDefaultColor(color);
    emit colorChanged(this->color());
}

void kuColorButton::setDefaultColor(const QColor& color)
{
    QPixmap swatch(iconSize());
    swatch.fill(color);
    setIcon(QIcon(swatch));

    m_color = color;
    if (!m_alphaEnabled)
        m_color.setAlpha(255);

    const QString text = QStringLiteral("RGBA #%1%2%3%4")
                                 .arg(m_color.red(), 2, 16, QLatin1Char('0'))
                                 .arg(m_color.green(), 2, 16, QLatin1Char('0'))
                                 .arg(m_color.blue(), 2, 16, QLatin1Char('0'))
                                 .arg(m_color.alpha(), 2, 16, QLatin1Char('0'));
    setText(text);
    setToolTip(text + QLatin1Char('\n') +
               QStringLiteral("RGBA %1, %2, %3, %4")
                       .arg(m_color.red())
                       .arg(m_color.green())
                       .arg(m_color.blue())
                       .arg(m_color.alpha()));
}

void kuColorButton::setAlphaEnabled(bool enabled)
{
    m_alphaEnabled = enabled;
    // The stored colour keeps its alpha; only what we hand out changes.
    const QColor handedOut = color();
    if (handedOut != m_color)
        emit colorChanged(handedOut);
}

void kuColorButton::onHandleClicked()
{
    const QColorDialog::ColorDialogOptions options =
            m_alphaEnabled ? QColorDialog::ShowAlphaChannel : QColorDialog::ColorDialogOptions();
    const QColor chosen = QColorDialog::getColor(m_color, window(), tr("Выбор цвета"), options);
    if (!chosen.isValid())
        return;
    setDefaultColor(chosen);
    emit colorChanged(color());
}
