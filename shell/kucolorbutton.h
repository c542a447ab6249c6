#pragma once

#include <QColor>
#include <QToolButton>

// Tool button that shows a colour and lets the user pick another.
class kuColorButton : public QToolButton
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(bool alphaEnabled READ alphaEnabled WRITE setAlphaEnabled)

public:
    explicit kuColorButton(QWidget* parent = nullptr);
    explicit kuColorButton(const QColor& color, QWidget* parent = nullptr);

    // The stored colour, opaque unless the alpha channel counts.
    QColor color() const;
    bool alphaEnabled() const { return m_alphaEnabled; }

signals:
    void colorChanged(const QColor& color);

public slots:
    void setColor(const QColor& color);
    void setDefaultColor(const QColor& color);
    void setAlphaEnabled(bool enabled);
    void onHandleClicked();

private:
    void initialize(const QColor& color);

    QColor m_color;
    bool m_alphaEnabled = false;
};
