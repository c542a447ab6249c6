// The SMA or EMA of maRun fed one value at a time, with the same operations in
// the same order (so the same bits), for chains of averages that would
// otherwise need a buffer as long as the input.
#pragma once

#include "tacommon.h"

namespace velmoran_ta {

class MaStream
{
public:
    // `ring` holds `period` values; only an SMA over more than one value uses it.
    MaStream(int period, TA_MAType type, double* ring)
        : m_ring(ring), m_period(period), m_k(emaFactor(period)),
          m_kind(period == 1 ? Copy : (type == TA_MAType_EMA ? Ema : Sma))
    {}

    // Adds the next value; true, with `out` set, once the average covers its period.
    bool push(double x, double& out)
    {
        switch (m_kind) {
        case Copy:
            out = x;
            return true;
        case Sma:
            m_ring[m_slot] = x;
            if (++m_slot == m_period)
                m_slot = 0;
            m_sum += x;
            if (m_count < m_period - 1) {
                ++m_count;
                return false;
            }
            out = m_sum / m_period;
            // The slot after the newest holds the oldest value of the window.
            m_sum -= m_ring[m_slot];
            return true;
        case Ema:
            if (m_count < m_period - 1) {
                m_sum += x;
                ++m_count;
                return false;
            }
            if (m_count == m_period - 1) {
                m_sum += x;
                ++m_count;
                m_prev = m_sum / m_period;
            } else {
                m_prev = (x - m_prev) * m_k + m_prev;
            }
            out = m_prev;
            return true;
        }
        return false;
    }

private:
    enum Kind
    {
        Copy,
        Sma,
        Ema
    };

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

