#pragma once

#include <QString>

// Plug-in kinds reported by kuBasePluginInterface::type().
enum kuPluginKind
{
    pkConnection = 800,
    pkWidget = 801
};

// What every plug-in of the program reports about itself.
class kuBasePluginInterface
{
public:
    virtual ~kuBasePluginInterface() = default;

    virtual int type() const = 0;
    virtual QString pluginName() const = 0;
    virtual QString description() const = 0;
    // 64 lower-case hex characters; the key of table "plugins".
    virtual QString guid() const = 0;
    virtual int version() const = 0;
};
