// Feeds arbitrary reply bodies through the converter: bit 0 of the first byte
// picks whether the rest is taken as hex text as it arrives or as the bytes
// behind it; bit 1 repeats the rest up to about the reader's size limit (the
// other bits say how far below or above it), so that small inputs, such as the
// replies in corpus/converter captured from the demo server, reach the size checks.

#include "dcmessagepack.h"
#include "kucandlestore.h"
#include "kumsgpackcheck.h"
#include "kumsgpackreader.h"

#include <QCoreApplication>
#include <QJsonObject>

#include <msgpack.h>

namespace {

// Storing candles and plug-ins would only exercise SQLite.
class NoCandleStore : public kuCandleStore
{
protected:
    bool writeBatch(int, const QVector<Candle>&, const QVector<Candle>&) override { return true; }
};

class Converter : public dcMessagePack
{
public:
    Converter() { setCandleStore(std::make_unique<NoCandleStore>()); }

protected:
    bool runTransaction(const QVector<Statement>&) override { return true; }
};

QCoreApplication* app()
{
    static int argc = 1;
    static char name[] = "fuzz_converter";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return &instance;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_LOGGING_RULES", "*.warning=false");
    app();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Converter converter;
    if (size == 0)
        return 0;
    QByteArray rest(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    if ((data[0] & 2) && !rest.isEmpty()) {
        const int target = kuMsgPackCheck::maxHexBytes - 1024 + (data[0] >> 2) * 64;
        rest = rest.repeated(target / rest.size() + 1).left(target);
    }
    const QByteArray hex = (data[0] & 1) ? rest : rest.toHex();

    QVariant value;
    kuMsgPackReader::unpackHex(hex, &value);

    kuMsgPackReader reader;
    const msgpack_object& list = converter.decodeList(reader, wtOrderBook, hex, dcMessagePack::noPaper);
    for (int start : {0, 2}) {
        converter.buildQuotes(list, start);
        converter.buildOrderBook(list, start);
        converter.buildLastTrades(list, start);
    }
    converter.buildCandles(list);
    converter.emitLastPrices(list);
    const msgpack_object* const begin = list.via.array.ptr;
    converter.buildOrders(begin, begin + list.via.array.size);
    converter.buildTrades(begin, begin + list.via.array.size);
    converter.buildPositions(begin, begin + list.via.array.size);
    converter.buildPapers(list);
    converter.storeCandles(1, list);
    converter.storePluginList(kuMsgPackReader::toVariant(list).toList());

    converter.slot_authorizedData(hex);
    converter.slot_snapshotDateTime(hex);
    converter.slot_orderStatus(hex, QJsonObject{{"paperID", 1}, {"type", 1001}});
    converter.slot_receivedUpdates(hex);
    converter.waitForDone();
    QCoreApplication::processEvents();
    return 0;
}
