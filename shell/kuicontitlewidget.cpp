#include "kuicontitlewidget.h"

#include <QBoxLayout>
#include <QLabel>
#include <QStyle>

namespace {
constexpr int iconSize = 16;
constexpr int titleWidth = 128;
} // namespace

kuIconTitleWidget::kuIconTitleWidget(const QIcon& icon, const QString& title, QWidget* parent)
    : QFrame(parent), m_iconLabel(new QLabel(this)), m_titleLabel(new QLabel(this))
{
    setObjectName(QStringLiteral("kuIconTitleWidget"));
    m_iconLabel->setObjectName(QStringLiteral("iconLabel"));
    m_titleLabel->setObjectName(QStringLiteral("titleLabel"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 2);
    layout->addWidget(m_iconLabel, 0);
    layout->addWidget(m_titleLabel, 1, Qt::AlignCenter);

    setIcon(icon);
    setTitle(title);
}

void kuIconTitleWidget::setIcon(const QIcon& icon)
{
    if (icon.isNull()) {
        m_iconLabel->clear();
        m_iconLabel->hide();
        return;
    }
    m_iconLabel->setPixmap(icon.pixmap(iconSize, iconSize, QIcon::Normal, QIcon::Off));
    m_iconLabel->show();
}

void kuIconTitleWidget::setTitle(const QString& title)
{
    if (title.isEmpty()) {
        m_titleLabel->clear();
        m_titleLabel->setToolTip(QString());
        m_titleLabel->hide();
        return;
    }
    m_titleLabel->setText(m_titleLabel->fontMetrics().elidedText(title, Qt::ElideRight, titleWidth));
    m_titleLabel->setToolTip(title);
    m_titleLabel->show();
}

void kuIconTitleWidget::polishUpdate()
{
    for (QWidget* widget :
         {static_cast<QWidget*>(m_iconLabel), static_cast<QWidget*>(m_titleLabel), static_cast<QWidget*>(this)}) {
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
        widget->update();
    }
}
