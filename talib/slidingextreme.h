// Index of the highest or lowest value over a sliding window in O(1)
// amortised per step (monotonic queue), so range indicators stay O(n)
// even on trending data where a rescan would run every bar.
#pragma once

#include <vector>

namespace velmoran_ta {

template <bool Highest>
class SlidingExtreme
{
public:
    // Throws std::bad_alloc like any container.
    SlidingExtreme(const double* values, int window)
        : m_values(values), m_index(window), m_value(window), m_window(window)
    {}

    // Adds index i (called with consecutive indexes) and returns the index of the
    // extreme over [i - window + 1, i]; among equal values the latest wins.
    int push(int i)
    {
        if (m_size > 0 && m_index[m_head] <= i - m_window) {
            if (++m_head == m_window)
                m_head = 0;
            --m_size;
        }
        // Values are kept beside the indexes: the back comparisons then need no second load.
        const double v = m_values[i];
        int tail = m_head + m_size - 1;
        if (tail >= m_window)
            tail -= m_window;
        while (m_size > 0 && atLeastAsExtreme(v, m_value[tail])) {
            --m_size;
            if (--tail < 0)
                tail += m_window;
        }
        if (++tail == m_window)
            tail = 0;
        m_index[tail] = i;
        m_value[tail] = v;
        ++m_size;
        return m_index[m_head];
    }

private:
    static bool atLeastAsExtreme(double v, double than) { return Highest ? v >= than : v <= than; }

    const double* m_values;
    std::vector<int> m_index;
    std::vector<double> m_value;
    int m_window;
    int m_head = 0;
    int m_size = 0;
};

} // namespace velmoran_ta
