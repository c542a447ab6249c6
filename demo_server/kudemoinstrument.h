#pragma once

#include <QString>
#include <QVector>

// One tradable instrument as the instrument list sends it, plus its opening price.
struct kuDemoInstrument
{
    int id = 0;
    int type = 1;
    int lot = 1;
    int exchangeId = 1;
    int spare = 0;
    int marketAllowed = 1;
    double step = 0.01;
    double nominal = 0.0;
    double coupon = 0.0;
    QString ticker;
    QString issuer;
    QString shortName;
    QString spareText;
    QString exchangeName;
    double firstPrice = 0.0;

    bool isDerivative() const { return type == 4 || type == 5; }
    // Money of one piece at a price: bonds are quoted in per cent of the nominal,
    // derivatives in points worth `nominal` per price step.
    double value(double price) const;

    // The fixed catalogue; the seed only moves the opening prices.
    static QVector<kuDemoInstrument> catalogue(quint64 seed);
};
