// Index of the highest or lowest value over a sliding window, O(1) per bar at
// any window and on any data (trending data included).
//
// The bars are cut into blocks as long as the window (van Herk / Gil-Werman):
// a window then spans the tail of one block and the head of the next, so its
// extreme is the better of the running extreme of the current block's head
// and the extreme of the previous block's tail, kept per position. Every step
// is a comparison and branch-free selects, so random data costs no
// mispredicted branches. NaN, which no comparison orders, switches the run to
// a monotonic queue, which keeps the results the queue has always given.
#pragma once

#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

namespace velmoran_ta {

// Indexes: the results are the extremes' indexes, else their values.
template <bool Highest, bool Indexes>
class SlidingExtreme
{
public:
    using Out = std::conditional_t<Indexes, int, double>;

    // Indexes are pushed from `first` on. Throws std::bad_alloc like any container.
    SlidingExtreme(const double* values, int window, int first)
        : m_values(values), m_tailValue(static_cast<std::size_t>(window) + 1, kWorst),
          m_tailIndex(Indexes ? static_cast<std::size_t>(window) + 1 : 0, 0), m_window(window), m_blockStart(first),
          m_first(first)
    {}

    // Pushes the indexes from..to (consecutive over the calls, from `first` on)
    // and writes to out[0..] the extreme over the window ending at each (among
    // equal values the latest).
    void run(int from, int to, Out* out)
    {
        while (from <= to && !m_queued) {
            if (from == m_blockStart + m_window)
                startBlock(from);
            const int end = to < m_blockStart + m_window - 1 ? to : m_blockStart + m_window - 1;
            const int nan = headRun(from, end, out);
            if (nan <= end) {
                out += nan - from;
                from = nan;
                startQueue(from);
                break;
            }
            out += end - from + 1;
            from = end + 1;
        }
        for (int i = from; i <= to; ++i) {
            const int index = queuePush(i, m_values[i]);
            if constexpr (Indexes)
                *out++ = index;
            else
                *out++ = m_values[index];
        }
    }

private:
    static constexpr double kWorst =
            Highest ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();

    static int pick(bool first, int a, int b) { return b ^ ((a ^ b) & -static_cast<int>(first)); }
    // The more extreme of v and than, v on a tie (so that, as with the indexes, the later wins).
    static double atLeast(double v, double than)
    {
        if (Highest)
            return than > v ? than : v;
        return than < v ? than : v;
    }
    static bool atLeastAsExtreme(double v, double than) { return Highest ? v >= than : v <= than; }
    static bool moreExtreme(double v, double than) { return Highest ? v > than : v < than; }

    // Bars from..end of the current block; returns the first NaN bar, or end + 1.
    int headRun(int from, int end, Out* out)
    {
        // Bar from + k reads entry k of the tails: the previous block from bar
        // from + k - window + 1 on. Both pointers stay inside their vectors (the
        // index vector is empty, and so not touched, when only values are asked for).
        const double* values = m_values + from;
        const double* tailValue = m_tailValue.data() + (from - m_blockStart + 1);
        const int* tailIndex = Indexes ? m_tailIndex.data() + (from - m_blockStart + 1) : nullptr;
        const int n = end - from + 1;
        double head = m_headValue;
        int headIndex = m_headIndex;
        bool nan = false;
        for (int k = 0; k < n; ++k) {
            const double v = values[k];
            nan |= std::isnan(v);
            if constexpr (Indexes) {
                headIndex = pick(atLeastAsExtreme(v, head), from + k, headIndex);
                head = atLeast(v, head);
                out[k] = pick(atLeastAsExtreme(head, tailValue[k]), headIndex, tailIndex[k]);
            } else {
                head = atLeast(v, head);
                out[k] = atLeast(head, tailValue[k]);
            }
        }
        m_headValue = head;
        m_headIndex = headIndex;
        if (!nan)
            return end + 1;
        int k = 0;
        while (!std::isnan(values[k]))
            ++k;
        return from + k;
    }

    // The finished block's tail extremes, from each of its bars to its end.
    void startBlock(int start)
    {
        const double* values = m_values;
        double best = kWorst;
        int bestIndex = 0;
        for (int k = m_window - 1; k >= 0; --k) {
            const int i = m_blockStart + k;
            const double v = values[i];
            // Strictly more extreme: the later bar keeps a tie.
            if constexpr (Indexes) {
                bestIndex = pick(moreExtreme(v, best), i, bestIndex);
                m_tailIndex[k] = bestIndex;
            }
            best = moreExtreme(v, best) ? v : best;
            m_tailValue[k] = best;
        }
        m_blockStart = start;
        m_headValue = kWorst;
    }

    // The queue's content depends on the window alone: rebuilt from the bars
    // before i, so that i is pushed next.
    void startQueue(int i)
    {
        m_queued = true;
        m_queueIndex.resize(static_cast<std::size_t>(m_window));
        m_queueValue.resize(static_cast<std::size_t>(m_window));
        const int start = i - m_window + 1 > m_first ? i - m_window + 1 : m_first;
        for (int j = start; j < i; ++j)
            queuePush(j, m_values[j]);
    }

    int queuePush(int i, double v)
    {
        if (m_size > 0 && m_queueIndex[m_head] <= i - m_window) {
            if (++m_head == m_window)
                m_head = 0;
            --m_size;
        }
        // Values are kept beside the indexes: the back comparisons then need no second load.
        int tail = m_head + m_size - 1;
        if (tail >= m_window)
            tail -= m_window;
        while (m_size > 0 && atLeastAsExtreme(v, m_queueValue[tail])) {
            --m_size;
            if (--tail < 0)
                tail += m_window;
        }
        if (++tail == m_window)
            tail = 0;
        m_queueIndex[tail] = i;
        m_queueValue[tail] = v;
        ++m_size;
        return m_queueIndex[m_head];
    }

    const double* m_values;
    // Per position k of the previous block, the extreme from k to its end; the
    // last entry stays kWorst for the window that is one whole block.
    std::vector<double> m_tailValue;
    std::vector<int> m_tailIndex;
    int m_window;
    int m_blockStart;
    int m_first;
    double m_headValue = kWorst;
    int m_headIndex = 0;
    bool m_queued = false;
    std::vector<int> m_queueIndex;
    std::vector<double> m_queueValue;
    int m_head = 0;
    int m_size = 0;
};

} // namespace velmoran_ta
