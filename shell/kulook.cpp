#include "kulook.h"

#include "kuappsetting.h"
#include "kuclient.h"

const kuAppSetting* kuLook::settings()
{
    const QPointer<kuClient> client = kuClient::instance();
    return client ? client->appSetting() : nullptr;
}

QColor kuLook::upColor()
{
    const kuAppSetting* look = settings();
    return look ? look->upColor() : kuAppSetting::defaultUpColor();
}

QColor kuLook::downColor()
{
    const kuAppSetting* look = settings();
    return look ? look->downColor() : kuAppSetting::defaultDownColor();
}

QFont kuLook::masterFont()
{
    const kuAppSetting* look = settings();
    return look ? look->masterFont() : kuAppSetting::defaultMasterFont();
}

QColor kuLook::signColor(double value)
{
    if (value > 0)
        return upColor();
    if (value < 0)
        return downColor();
    return QColor();
}
