#pragma once

#include <QMetaType>

// Kind of a window and of its data stream. The numbers travel as the WT=
// parameter of server requests and are stored in saved layouts ("winType").
enum WinType
{
    wtQuotes = 1,
    wtChart = 7,
    wtOrderBook = 10,
    wtLastTrades = 13,
    wtLastPrice = 14,
    wtPortfolio = 80,
    wtOrders = 82,
    wtTrades = 83,
    wtAuthorization = 1000,
    wtInitInfo = 1001,
    wtReportData = 2000,
    wtPluginList = 3000
};

Q_DECLARE_METATYPE(WinType)

// Registers WinType under the name "WinType" for queued signals; safe to call again.
void registerWinType();
