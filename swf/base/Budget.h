// What a movie may cost: the bytes that loading it takes (the file, its inflated body and
// every structure parsed from it) and the work that showing one frame takes. Both are counted
// before the bytes are taken or the work is done, so a hostile movie stops at its budget.
#pragma once

#include "swf/base/Types.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace swf {

// Bytes one movie may take while it loads and once loaded: the file, its inflated body and
// its parsed structures together.
inline constexpr std::size_t kMaxMovieBytes = 48u << 20;

// What a tree node (of the dictionary, the labels, a font's kerning pairs) takes besides its value.
inline constexpr std::size_t kNodeBytes = 64;

// Work units one frame may take: its timeline commands and scripts, then (a second budget of
// the same size) its drawing. A unit is about one elementary step (an edge visited, a segment
// rasterized along a row, a pixel painted).
inline constexpr std::size_t kFrameWorkUnits = 192u << 20;

// What each kind of work costs, in units.
inline constexpr std::size_t kCostCommand = 128; // a timeline command played
inline constexpr std::size_t kCostObject = 64;   // a character drawn: a display object, a button
                                                 // record, a sprite, a glyph
inline constexpr std::size_t kCostEdge = 1;      // an edge visited for one of its shape's styles
inline constexpr std::size_t kCostSegment = 8;   // a straight segment handed to the rasterizer
inline constexpr std::size_t kCostBlend = 4;     // an edge of a morph shape blended
inline constexpr std::size_t kCostStyle = 256;   // a fill or line style painted
inline constexpr std::size_t kCostAction = 24;   // a script action run

// Bytes a movie's parts may still take. Spending past the limit refuses the movie.
class ByteBudget {
public:
    explicit ByteBudget(std::size_t limit = kMaxMovieBytes) : m_nLeft(limit) {}

    // Takes `count` items of `each` bytes; throws FormatError when they do not fit, or
    // once the owner cancelled the loading.
    void Spend(std::size_t count, std::size_t each = 1)
    {
        if (each != 0 && count > m_nLeft / each)
            throw FormatError("the movie needs too much memory");
        if (m_pCancel && m_pCancel->load(std::memory_order_relaxed))
            throw FormatError("the movie was not loaded to the end");
        m_nLeft -= count * each;
    }
    void Refund(std::size_t bytes) { m_nLeft += bytes; }
    // Appends to a vector whose buffer is counted here: when the vector moves to a larger
    // buffer, the new one is spent while the old one still lives, and the old one refunded.
    template <class T, class U>
    void Push(std::vector<T>& v, U&& item)
    {
        if (v.size() == v.capacity()) {
            const std::size_t old = v.capacity(), grown = std::max<std::size_t>(4, old * 2);
            Spend(grown, sizeof(T));
            v.reserve(grown);
            Refund(old * sizeof(T));
        }
        v.push_back(std::forward<U>(item));
    }
    std::size_t Left() const { return m_nLeft; }
    // A flag that, once set from another thread, ends the loading at the next item.
    void CancelWith(const std::atomic<bool>* cancel) { m_pCancel = cancel; }

private:
    std::size_t m_nLeft;
    const std::atomic<bool>* m_pCancel = nullptr;
};

// Work one frame may still take. Once a request does not fit (or the owner cancels), the
// budget stays spent: everything after it in the frame is left undone.
class WorkBudget {
public:
    explicit WorkBudget(std::size_t units = kFrameWorkUnits) : m_nUnits(units), m_nLeft(units) {}

    // Starts a new frame with the full budget.
    void Reset()
    {
        m_nLeft = m_nUnits;
        m_bSpent = false;
    }
    // Takes `count` steps of `each` units when they fit; false otherwise.
    bool Take(std::size_t count, std::size_t each = 1)
    {
        if (m_bSpent || (m_pCancel && m_pCancel->load(std::memory_order_relaxed)) ||
            (each != 0 && count > m_nLeft / each)) {
            m_bSpent = true;
            return false;
        }
        const std::size_t units = count * each;
        m_nLeft -= units;
        if (m_pace && (m_nSincePace += units) >= kPaceUnits) {
            m_nSincePace = 0;
            m_pace();
        }
        return true;
    }
    // Whether the frame ran out of its budget.
    bool Spent() const { return m_bSpent; }
    // The units taken since the last Reset; all of them once the budget is spent.
    std::size_t Used() const { return m_bSpent ? m_nUnits : m_nUnits - m_nLeft; }
    // A flag that, once set from another thread, spends the budget at the next request.
    void CancelWith(const std::atomic<bool>* cancel) { m_pCancel = cancel; }
    // A call made every `kPaceUnits` units of work, inside long built-ins and drawings too:
    // the host's chance to let its thread rest, so that a long frame shares the processor.
    void PaceWith(std::function<void()> pace) { m_pace = std::move(pace); }
    static constexpr std::size_t kPaceUnits = 1u << 16;

private:
    std::size_t m_nUnits;
    std::size_t m_nLeft;
    bool m_bSpent = false;
    const std::atomic<bool>* m_pCancel = nullptr;
    std::function<void()> m_pace;
    std::size_t m_nSincePace = 0;
};

}  // namespace swf
