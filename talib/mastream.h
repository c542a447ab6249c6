// The SMA or EMA of maRun fed a block of values at a time, with the same
// operations in the same order (so the same bits), for chains of averages
// that would otherwise need buffers as long as the input.
#pragma once

#include "tacommon.h"

#include <cstring>

namespace velmoran_ta {

class MaStream
{
public:
    // `ring` holds `period` values; only an SMA over more than one value uses it.
    MaStream(int period, TA_MAType type, double* ring)
        : m_ring(ring), m_period(period), m_k(emaFactor(period)),
          m_kind(period == 1 ? Copy : (type == TA_MAType_EMA ? Ema : Sma))
    {}

    // Adds in[0..n-1] and writes the averages that are complete to out[0..];
    // returns their count: the last that many inputs have one each.
    int run(const double* in, int n, double* out)
    {
        if (m_kind == Copy) {
            std::memcpy(out, in, sizeof(double) * static_cast<std::size_t>(n));
            return n;
        }
        // The state in locals, so that it stays in registers.
        const double period = m_period;
        double sum = m_sum;
        int k = 0;
        for (; k < n && m_count < m_period - 1; ++k, ++m_count) {
            if (m_kind == Sma)
                push(in[k]);
            sum += in[k];
        }
        const int produced = n - k;
        if (m_kind == Sma) {
            double* ring = m_ring;
            int slot = m_slot;
            for (int j = 0; k < n; ++k, ++j) {
                const double x = in[k];
                ring[slot] = x;
                if (++slot == m_period)
                    slot = 0;
                sum += x;
                out[j] = sum;
                // The slot after the newest holds the oldest value of the window.
                sum -= ring[slot];
            }
            m_slot = slot;
            // The divisions off the running sum's path, in a loop that vectorises.
            for (int j = 0; j < produced; ++j)
                out[j] = out[j] / period;
        } else {
            double prev = m_prev;
            if (k < n && m_count == m_period - 1) {
                // Seeded with the plain average of the first period.
                sum += in[k++];
                ++m_count;
                prev = sum / period;
                *out++ = prev;
            }
            const double factor = m_k;
            for (; k < n; ++k) {
                prev = (in[k] - prev) * factor + prev;
                *out++ = prev;
            }
            m_prev = prev;
        }
        m_sum = sum;
        return produced;
    }

private:
    enum Kind
    {
        Copy,
        Sma,
        Ema
    };

    void push(double x)
    {
        m_ring[m_slot] = x;
        if (++m_slot == m_period)
            m_slot = 0;
    }

    double* m_ring;
    int m_period;
    double m_k;
    Kind m_kind;
    int m_slot = 0;
    int m_count = 0;
    double m_sum = 0.0;
    double m_prev = 0.0;
};

} // namespace velmoran_ta

