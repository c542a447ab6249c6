#pragma once

#include <QObject>
#include <QString>

// One tradable instrument; immutable after construction.
class kuPaperInfo : public QObject
{
    Q_OBJECT
public:
    kuPaperInfo(int id, const QString& ticker, const QString& issuer, int type, int lot, double priceStep,
                double nominal, int spareInt, double accruedCoupon, bool marketAllowed, const QString& shortName,
                const QString& spareText, int exchangeID, const QString& exchangeName);

    int id() const { return m_id; }
    int type() const { return m_type; }
    int lot() const { return m_lot > 1 ? m_lot : 1; }
    int exchangeID() const { return m_exchangeID; }
    int decimals() const { return m_decimals; }
    bool isMarketAllowed() const { return m_marketAllowed; }
    bool isCurrencyContract() const { return m_type == 7; }
    QString ticker() const { return m_ticker; }
    QString shortName() const { return m_shortName; }
    QString issuer() const { return m_issuer; }
    QString typeName() const;
    QString exchangeName() const { return m_exchangeName; }
    double priceStep() const { return m_priceStep > 0 ? m_priceStep : 1.0; }
    double nominal() const { return m_nominal; }
    double accruedCoupon() const { return m_accruedCoupon; }
    int spareInt() const { return m_spareInt; }
    QString spareText() const { return m_spareText; }

    // Digits after the point of a price step: position of its last non-zero digit, at most 10.
    static int decimalsOf(double step);

private:
    int m_id;
    int m_type;
    int m_lot;
    int m_exchangeID;
    int m_spareInt;
    int m_decimals = 0;
    bool m_marketAllowed;
    double m_priceStep;
    double m_nominal;
    double m_accruedCoupon;
    QString m_ticker;
    QString m_issuer;
    QString m_shortName;
    QString m_spareText;
    QString m_exchangeName;
};
