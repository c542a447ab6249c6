#pragma once

#include <QImage>
#include <QItemDelegate>
#include <QPoint>
#include <QRect>
#include <QVector>

// Paints the rows of the plug-in catalogue as cards with push buttons and
// turns clicks on those buttons into signals.
class kuPluginManagerDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    enum ButtonKind
    {
        bkNone = 0,
        bkInstall = 1,
        bkRemove,
        bkUpdate,
        bkEnable,
        bkDisable,
        bkCancel,
        bkRestart
    };

    explicit kuPluginManagerDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    QRect buttonRect() const { return m_buttonRect; }
    // Buttons of a plug-in row, left to right.
    static QVector<int> buttonKinds(uint flags, bool installed, bool enabled, bool noRemove);
    static QString buttonText(int kind);
    // "ver. 1.06.01" for 10601000; empty for 10000000 and below.
    static QString versionText(int version);
    // Side of the square a card's icon is drawn in.
    static constexpr int iconSlot = 32;
    // A catalogue icon from the server's image bytes: read only when it declares
    // at most maxIconSide pixels a side, scaled to the icon slot; else null.
    static constexpr int maxIconSide = 1024;
    static QImage catalogueIcon(const QByteArray& imageBytes);
    static bool hasMessage(uint flags);
    static QString messageText(uint flags, const QString& title);
    // Where the buttons of a row are drawn and clicked.
    QVector<QRect> buttonRects(const QRect& row, int count, bool downloading) const;

signals:
    void install(QModelIndex index);
    void remove(QModelIndex index);
    void update(QModelIndex index);
    void enable(QModelIndex index);
    void disable(QModelIndex index);
    void cancel(QModelIndex index);
    void restart(QModelIndex index);
    void needUpdate(QModelIndex index);

private:
    int areaWidth(int count, bool downloading) const;
    static QVector<int> buttonKinds(const QModelIndex& index);
    static QColor bandColour(uint flags);
    void paintBand(QPainter* painter, const QStyleOptionViewItem& option, uint flags) const;
    void paintMessage(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                      uint flags) const;
    void paintCard(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index, uint flags) const;
    void paintButtons(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                      uint flags) const;
    void paintGroup(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

    QRect m_buttonRect;
    QPoint m_pressPos;
    QImage m_defaultIcon;
};
