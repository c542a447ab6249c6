#pragma once

#include <QtGlobal>

// The market's randomness as pure functions of the seed: the same seed gives the same
// instruments, history and first prices.
namespace kuDemoRandom {

// A 64-bit hash that spreads every bit of x over the result.
inline quint64 mix(quint64 x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// A draw from [0, 1).
inline double unit(quint64 x)
{
    return double(x >> 11) * (1.0 / 9007199254740992.0);
}

} // namespace kuDemoRandom
