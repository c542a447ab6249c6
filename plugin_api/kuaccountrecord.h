#pragma once

#include <QSet>

// One trading account: the exchanges it trades on and the server's default flag.
struct kuAccountRecord
{
    QSet<int> exchanges;
    bool isDefault = false;
};
