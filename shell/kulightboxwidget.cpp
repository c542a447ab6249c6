#include "kulightboxwidget.h"

#include "qprogressindicator.h"

#include <QChildEvent>
#include <QGridLayout>
#include <QPainter>

kuLightBoxWidget::kuLightBoxWidget(QWidget* parent, bool toTheTop) : QWidget(parent, Qt::WindowFlags())
{
    setObjectName(QStringLiteral("kuLightBoxWidget"));
    if (toTheTop && parent) {
        QWidget* top = parent;
        while (top->parentWidget())
            top = top->parentWidget();
        if (top != parent)
            setParent(top);
    }
    if (parentWidget())
        parentWidget()->installEventFilter(this);
    hide();
}

void kuLightBoxWidget::refresh()
{
    if (!m_updating)
        updateCover();
}

bool kuLightBoxWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget()) {
        switch (event->type()) {
        case QEvent::ChildAdded:
            // Raised rather than re-attached: a new parent would hide the cover
            // of a window that adds widgets after it was shown.
            if (static_cast<QChildEvent*>(event)->child() != this)
                raise();
            break;
        case QEvent::Resize:
            if (isVisible() && !m_updating)
                updateCover();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void kuLightBoxWidget::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.setOpacity(0.7);
        painter.drawPixmap(QRect(0, 0, width(), height()), m_cover, m_cover.rect());
    }
    QWidget::paintEvent(event);
}

void kuLightBoxWidget::showEvent(QShowEvent* event)
{
    if (!m_updating)
        updateCover();
    QWidget::showEvent(event);
}

void kuLightBoxWidget::updateCover()
{
    m_updating = true;
    hide();
    if (parentWidget())
        resize(parentWidget()->size());
    makeCover();
    rebuildLayout();
    show();
    m_updating = false;
}

void kuLightBoxWidget::makeCover()
{
    m_cover = QPixmap(size());
    m_cover.fill(Qt::black);
}

void kuLightBoxWidget::rebuildLayout()
{
    if (QLayout* old = layout()) {
        while (QLayoutItem* item = old->takeAt(0)) {
            delete item->widget();
            delete item;
        }
        delete old;
    }

    auto* grid = new QGridLayout;
    auto* spinner = new QProgressIndicator(this);
    spinner->setSizePolicy(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding, QSizePolicy::DefaultType));
    spinner->startAnimation();
    spinner->setColor(Qt::green);

    for (int i = 0; i < 3; ++i) {
        grid->setRowStretch(i, i == 1 ? 4 : 3);
        grid->setColumnStretch(i, i == 1 ? 4 : 3);
    }
    grid->addWidget(spinner, 1, 1, Qt::AlignCenter);
    setLayout(grid);
}
