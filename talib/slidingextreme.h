// Index of the highest or lowest value over a sliding window in O(1)
// amortised per step (monotonic queue), so range indicators stay O(n)
// even on trending data where a rescan would run every bar.
#ifndef VELMORAN_SLIDINGEXTREME_H
#define VELMORAN_SLIDINGEXTREME_H

#include <vector>

namespace velmoran_ta {

template <bool Highest>
class SlidingExtreme
{
public:
    // Throws std::bad_alloc like any container.
    SlidingExtreme(const double *values, int window) : m_values(values), m_ring(window), m_window(window) {}

    // Adds index i (called with consecutive indexes) and returns the index of the
    // extreme over [i - window + 1, i]; among equal values the latest wins.
    int push(int i)
    {
        while (m_size > 0 && m_ring[m_head] <= i - m_window)
            popFront();
        const double v = m_values[i];
        while (m_size > 0 && atLeastAsExtreme(v, m_values[back()]))
            --m_size;
        int slot = m_head + m_size;
        if (slot >= m_window)
            slot -= m_window;
        m_ring[slot] = i;
        ++m_size;
        return m_ring[m_head];
    }

private:
    static bool atLeastAsExtreme(double v, double than) { return Highest ? v >= than : v <= than; }
    int back() const
    {
        int slot = m_head + m_size - 1;
        if (slot >= m_window)
            slot -= m_window;
        return m_ring[slot];
    }
    void popFront()
    {
        if (++m_head == m_window)
            m_head = 0;
        --m_size;
    }

    const double *m_values;
    std::vector<int> m_ring;
    int m_window;
    int m_head = 0;
    int m_size = 0;
};

} // namespace velmoran_ta

#endif
