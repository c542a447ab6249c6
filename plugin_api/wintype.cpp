#include "wintype.h"

void registerWinType()
{
    qRegisterMetaType<WinType>("WinType");
}
