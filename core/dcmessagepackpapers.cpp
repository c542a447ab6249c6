#include "dcmessagepack.h"

#include "dcmessagepackvalues.h"

#include <cstring>

using namespace dcMessagePackImpl;

namespace {

// Positions of one instrument in the initial-information reply.
enum PaperField
{
    paperId,
    paperType,
    paperLot,
    paperExchangeId,
    paperSpareInt,
    paperMarketAllowed,
    paperPriceStep,
    paperNominal,
    paperAccruedCoupon,
    paperTicker,
    paperIssuer,
    paperShortName,
    paperSpareText,
    paperExchangeName,
    paperWidth
};

} // namespace

namespace {

// Issuers, short names and exchange names repeat from one instrument to the next:
// a text whose bytes are those of the previous instrument's shares its string.
class RepeatedText
{
public:
    const QString& text(const msgpack_object& o)
    {
        if (o.type != MSGPACK_OBJECT_STR && o.type != MSGPACK_OBJECT_BIN) {
            bytes = nullptr;
            last = koi8Text(o);
            return last;
        }
        const char* const ptr = o.type == MSGPACK_OBJECT_STR ? o.via.str.ptr : o.via.bin.ptr;
        const uint32_t size = o.type == MSGPACK_OBJECT_STR ? o.via.str.size : o.via.bin.size;
        if (!bytes || size != length || std::memcmp(ptr, bytes, size) != 0) {
            last = kuKoi8r::toUnicode(ptr, int(size));
            bytes = ptr;
            length = size;
        }
        return last;
    }

private:
    // The previous text's bytes, in the reply being read.
    const char* bytes = nullptr;
    uint32_t length = 0;
    QString last;
};

} // namespace

QVector<QSharedPointer<kuPaperInfo>> dcMessagePack::buildPapers(const msgpack_object& list) const
{
    const Elements values = elementsOf(list);
    QVector<QSharedPointer<kuPaperInfo>> papers;
    const int n = values.size / paperWidth;
    papers.reserve(n);
    RepeatedText issuer, shortName, spareText, exchangeName;
    for (int i = 0; i < n; ++i) {
        const msgpack_object* const paper = values.ptr + i * paperWidth;
        auto v = [&](PaperField field) -> const msgpack_object& { return paper[field]; };
        // One allocation holds the object and its reference count.
        papers.append(QSharedPointer<kuPaperInfo>::create(
                toInt(v(paperId)), koi8Text(v(paperTicker)), issuer.text(v(paperIssuer)), toInt(v(paperType)),
                toInt(v(paperLot)), toDouble(v(paperPriceStep)), toDouble(v(paperNominal)), toInt(v(paperSpareInt)),
                toDouble(v(paperAccruedCoupon)), toInt(v(paperMarketAllowed)) != 0, shortName.text(v(paperShortName)),
                spareText.text(v(paperSpareText)), toInt(v(paperExchangeId)), exchangeName.text(v(paperExchangeName))));
    }
    return papers;
}
