#pragma once

#include <QString>

// Candle cache of one instrument: minute candles in "tablechart_for_<id>",
// every other time frame in the same name followed by "_hist".
QString candleTableName(int paperId);
QString candleHistTableName(int paperId);

// Creates both tables when missing, in one transaction; false when that failed.
bool createCandleTables(int paperId);
