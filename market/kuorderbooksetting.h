#pragma once

#include <QColor>
#include <QDialog>

#include <memory>

class QPushButton;
class Ui_kuOrderBookSetting;
class kuColorButton;

// Background colours of new order books and of Restore Defaults.
inline const QColor defaultBidColor{QStringLiteral("#90EE90")};
inline const QColor defaultOfferColor{QStringLiteral("#FFC0CB")};

// Picks the background colours of an order book's bid and offer rows.
class kuOrderBookSetting : public QDialog
{
    Q_OBJECT
public:
    explicit kuOrderBookSetting(QWidget* parent = nullptr);
    ~kuOrderBookSetting() override;

    QColor bidColor() const;
    QColor offerColor() const;
    void setBidColor(const QColor& color);
    void setOfferColor(const QColor& color);

public slots:
    void slot_restoreColors();

private:
    void setupButtons();
    void updateRestoreButton();

    std::unique_ptr<Ui_kuOrderBookSetting> ui;
    kuColorButton* m_bidButton = nullptr;
    kuColorButton* m_offerButton = nullptr;
    QPushButton* m_restoreButton = nullptr;
};
