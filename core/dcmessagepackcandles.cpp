#include "dcmessagepack.h"

#include "dcmessagepackrecords.h"
#include "kucandlestore.h"

#include <cmath>

using namespace dcMessagePackImpl;

void dcMessagePack::buildCandles(const msgpack_object& entry)
{
    const Elements values = elementsOf(entry);
    if (values.size <= 2)
        return;
    QJsonObject message;
    message.insert(kuKeys::candle::updateType, toInt(values.at(2)));
    message.insert(kuKeys::candle::candles, records(candleLayout, values, 3));
    emit on_updateChart(toInt(values.at(1)), QVariant(message));
}

void dcMessagePack::setCandleStore(std::unique_ptr<kuCandleStore> store)
{
    candleStore = std::move(store);
}

void dcMessagePack::storeCandles(int paperID, const msgpack_object& list)
{
    // Rows of one thread reuse the same memory from reply to reply.
    thread_local QVector<kuCandleStore::Candle> candles;
    const Elements values = elementsOf(list);
    const int width = candleLayout.width;
    const int n = values.size / width;
    // Written in place and cut to the rows kept: no per-row append.
    candles.resize(n);
    kuCandleStore::Candle* out = candles.data();
    for (int i = 0; i < n; ++i) {
        const msgpack_object* const v = values.ptr + i * width;
        kuCandleStore::Candle& c = *out;
        c.open = toDouble(v[0]);
        c.close = toDouble(v[1]);
        c.high = toDouble(v[2]);
        c.low = toDouble(v[3]);
        c.volume = toDouble(v[4]);
        c.start = toULongLong(v[5]);
        c.timeFrame = toInt(v[6]);
        if (std::isfinite(c.open) && std::isfinite(c.close) && std::isfinite(c.high) && std::isfinite(c.low) &&
            std::isfinite(c.volume))
            ++out;
    }
    candles.resize(int(out - candles.data()));
    candleStore->insert(paperID, candles);
    if (size_t(candles.capacity()) * sizeof(kuCandleStore::Candle) > kuMsgPackReader::keptObjectBytes)
        candles = QVector<kuCandleStore::Candle>();
}
