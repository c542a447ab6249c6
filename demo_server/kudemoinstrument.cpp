#include "kudemoinstrument.h"

#include <QRandomGenerator64>

#include <cmath>

double kuDemoInstrument::value(double price) const
{
    if (type == 2)
        return nominal * price / 100.0;
    if (isDerivative())
        return step > 0 ? price / step * nominal : price;
    return price;
}

namespace {

struct Row
{
    int type, lot, exchange, market;
    double step, nominal, coupon, price;
    const char *ticker, *issuer, *shortName;
};

const char* const stockExchange = "ВФБ";
// The terminal's instrument chooser shows the options under the exchange of this code.
const char* const derivativesExchange = "FORTS";

const Row rows[] = {
        {1, 10, 1, 1, 0.01, 1, 0, 245.30, "VLMR", "ПАО \"Велморан\"", "Велморан"},
        {1, 100, 1, 1, 0.01, 1, 0, 31.85, "BRNH", "ПАО \"Бренхольт Банк\"", "Бренхольт"},
        {1, 1, 1, 1, 0.5, 1, 0, 5432.5, "SEVN", "ПАО \"Северная нефть\"", "Сев. нефть"},
        {1, 10, 1, 1, 0.02, 1, 0, 78.46, "ALMZ", "АО \"Алмазный край\"", "Алмазный край"},
        {1, 1000, 1, 1, 0.0005, 1, 0, 0.2455, "TRGV", "ПАО \"Трансгаз Восток\"", "Трансгаз"},
        {1, 1, 1, 1, 1, 1, 0, 14350, "UMET", "ПАО \"Уральская металлургия\"", "Урал. металл"},
        {1, 1, 1, 1, 0.2, 1, 0, 1534.6, "RTLG", "ПАО \"Ретейл Лига\"", "Ретейл Лига"},
        {1, 10000, 1, 1, 0.00001, 1, 0, 0.04125, "ENSF", "ПАО \"Энергосеть\"", "Энергосеть"},
        {1, 1, 1, 1, 0.1, 1, 0, 987.4, "AGZR", "ПАО \"Агрохолдинг Заречье\"", "Агро Заречье"},
        {1, 10, 1, 1, 0.05, 1, 0, 265.75, "TLKS", "ПАО \"Телеком Связь\"", "Телеком"},
        {1, 10, 1, 1, 0.01, 1, 0, 231.20, "VLMRP", "ПАО \"Велморан\", ап", "Велморан ап"},
        {1, 1, 1, 0, 1, 1, 0, 520, "RPAR", "АО \"Речное пароходство\"", "Реч. пароходство"},
        {2, 1, 1, 1, 0.01, 1000, 12.34, 98.45, "VG26238", "Министерство финансов Велморана", "ВГО 26238"},
        {2, 1, 1, 1, 0.01, 1000, 25.67, 101.20, "VLMR-B1", "ПАО \"Велморан\", БО-01", "Велморан БО-01"},
        {2, 1, 1, 0, 0.01, 1000, 5.12, 99.85, "BRNH-B3", "ПАО \"Бренхольт Банк\", 003Р", "Бренхольт 003Р"},
        {2, 1, 1, 1, 0.01, 500, 3.40, 100.50, "SEVN-B2", "ПАО \"Северная нефть\", БО-02", "Сев. нефть БО-02"},
        {2, 1, 1, 1, 0.05, 1000, 0.0, 87.10, "VG29014", "Министерство финансов Велморана", "ВГО 29014"},
        {7, 1000, 1, 1, 0.0025, 1, 0, 92.3450, "USDVLM_TOM", "Доллар США / велморанский рубль", "USD/VLM"},
        {7, 1000, 1, 1, 0.0025, 1, 0, 99.8125, "EURVLM_TOM", "Евро / велморанский рубль", "EUR/VLM"},
        {7, 1000, 1, 1, 0.0005, 1, 0, 12.6850, "CNYVLM_TOM", "Юань / велморанский рубль", "CNY/VLM"},
        {4, 1, 2, 1, 1, 1, 0, 24600, "VLMR-3.27", "Фьючерс на акции ПАО \"Велморан\"", "VLMR-3.27"},
        {4, 1, 2, 1, 10, 6.5, 0, 125000, "VIX-3.27", "Фьючерс на индекс ВФБ", "VIX-3.27"},
        {4, 1, 2, 1, 1, 1, 0, 93150, "USD-3.27", "Фьючерс на курс доллара США", "USD-3.27"},
        {4, 1, 2, 1, 0.01, 7.5, 0, 74.35, "BR-2.27", "Фьючерс на нефть сорта Брент", "BR-2.27"},
        {4, 1, 2, 1, 0.1, 9.2, 0, 2650.0, "GOLD-3.27", "Фьючерс на золото", "GOLD-3.27"},
        {5, 1, 2, 1, 10, 6.5, 0, 4350, "VIX125000BC7", "Опцион колл на фьючерс VIX-3.27, страйк 125000",
         "VIX125000BC7"},
        {5, 1, 2, 1, 10, 6.5, 0, 3980, "VIX125000BO7", "Опцион пут на фьючерс VIX-3.27, страйк 125000", "VIX125000BO7"},
        {5, 1, 2, 1, 1, 1, 0, 1250, "USD93000BC7", "Опцион колл на фьючерс USD-3.27, страйк 93000", "USD93000BC7"},
        {5, 1, 2, 1, 1, 1, 0, 1100, "USD93000BO7", "Опцион пут на фьючерс USD-3.27, страйк 93000", "USD93000BO7"},
        {5, 1, 2, 1, 1, 1, 0, 860, "VLMR24500BC7", "Опцион колл на фьючерс VLMR-3.27, страйк 24500", "VLMR24500BC7"},
};

} // namespace

QVector<kuDemoInstrument> kuDemoInstrument::catalogue(quint64 seed)
{
    QRandomGenerator64 random(seed);
    QVector<kuDemoInstrument> list;
    int id = 1;
    for (const Row& row : rows) {
        kuDemoInstrument p;
        p.id = id++;
        p.type = row.type;
        p.lot = row.lot;
        p.exchangeId = row.exchange;
        p.marketAllowed = row.market;
        p.step = row.step;
        p.nominal = row.nominal;
        p.coupon = row.coupon;
        p.ticker = QString::fromUtf8(row.ticker);
        p.issuer = QString::fromUtf8(row.issuer);
        p.shortName = QString::fromUtf8(row.shortName);
        p.exchangeName = QString::fromUtf8(row.exchange == 1 ? stockExchange : derivativesExchange);
        // Up to 10 % either way (bonds 2 %), kept on the price grid.
        const double spread = row.type == 2 ? 0.02 : 0.1;
        const double factor = 1.0 - spread + 2 * spread * random.generateDouble();
        p.firstPrice = std::max(row.step, std::round(row.price * factor / row.step) * row.step);
        list.append(p);
    }
    return list;
}
