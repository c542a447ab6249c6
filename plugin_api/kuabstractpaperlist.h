#pragma once

#include <QString>

// Instrument lookups by id that plug-in windows are given.
class kuAbstractPaperList
{
public:
    virtual ~kuAbstractPaperList() = default;
    virtual QString ticker(int paperID) const = 0;
    virtual QString issuer(int paperID) const = 0;
    virtual QString exchangeName(int paperID) const = 0;
};
