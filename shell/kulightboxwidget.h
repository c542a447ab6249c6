#pragma once

#include <QPixmap>
#include <QWidget>

// Busy cover laid over a window while it waits for data: a dark veil with a
// spinner in the middle that follows the size and stacking of its parent.
// Showing and hiding it is the owner's business.
class kuLightBoxWidget : public QWidget
{
    Q_OBJECT

public:
    explicit kuLightBoxWidget(QWidget* parent, bool toTheTop = false);

    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

    void updateCover();
    void makeCover();
    void rebuildLayout();

private:
    bool m_updating = false;
    QPixmap m_cover;
};
