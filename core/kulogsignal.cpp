#include "kulogsignal.h"

kuLogSignal* kuLogSignal::instance()
{
    static kuLogSignal signal;
    return &signal;
}
