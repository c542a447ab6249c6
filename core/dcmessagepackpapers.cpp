#include "dcmessagepack.h"

#include "dcmessagepackvalues.h"

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

QVector<QSharedPointer<kuPaperInfo>> dcMessagePack::buildPapers(const msgpack_object& list) const
{
    const Elements values = elementsOf(list);
    QVector<QSharedPointer<kuPaperInfo>> papers;
    const int n = values.size / paperWidth;
    papers.reserve(n);
    for (int i = 0; i < n; ++i) {
        const msgpack_object* const paper = values.ptr + i * paperWidth;
        auto v = [&](PaperField field) -> const msgpack_object& { return paper[field]; };
        papers.append(QSharedPointer<kuPaperInfo>(new kuPaperInfo(
                toInt(v(paperId)), koi8Text(v(paperTicker)), koi8Text(v(paperIssuer)), toInt(v(paperType)),
                toInt(v(paperLot)), toDouble(v(paperPriceStep)), toDouble(v(paperNominal)), toInt(v(paperSpareInt)),
                toDouble(v(paperAccruedCoupon)), toInt(v(paperMarketAllowed)) != 0, koi8Text(v(paperShortName)),
                koi8Text(v(paperSpareText)), toInt(v(paperExchangeId)), koi8Text(v(paperExchangeName)))));
    }
    return papers;
}
