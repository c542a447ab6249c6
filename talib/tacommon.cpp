#include "tacommon.h"

#include <cstring>

extern "C" TA_RetCode TA_Initialize(void)
{
    return TA_SUCCESS;
}
extern "C" TA_RetCode TA_Shutdown(void)
{
    return TA_SUCCESS;
}

namespace velmoran_ta {

void smaRun(const double* in, int first, int last, int period, double* out)
{
    int trailing = first - period + 1;
    double sum = 0.0;
    for (int i = trailing; i < first; ++i)
        sum += in[i];
    for (int i = first; i <= last; ++i) {
        sum += in[i];
        *out++ = sum / period;
        sum -= in[trailing++];
    }
}

void emaRun(const double* in, int first, int last, int period, double k, double* out)
{
    double sum = 0.0;
    for (int i = first - period + 1; i <= first; ++i)
        sum += in[i];
    double prev = sum / period;
    *out++ = prev;
    for (int i = first + 1; i <= last; ++i) {
        prev = (in[i] - prev) * k + prev;
        *out++ = prev;
    }
}

void maRun(const double* in, int first, int last, int period, TA_MAType type, double* out)
{
    // (x - prev) * 1 + prev is not always x: copy, as TA_MA does for period 1.
    if (period == 1)
        std::memcpy(out, in + first, sizeof(double) * static_cast<size_t>(last - first + 1));
    else if (type == TA_MAType_EMA)
        emaRun(in, first, last, period, emaFactor(period), out);
    else
        smaRun(in, first, last, period, out);
}

} // namespace velmoran_ta
