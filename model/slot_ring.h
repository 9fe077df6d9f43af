// A vector whose front part can be rotated without moving its elements.
//
// The store drops its oldest records by moving every other record down; with
// thousands of records of a dozen strings each that dominated the cost of a
// full store. Here logical index i below the ring length names storage
// element (head + i) mod ring, so that move is a change of head. Indexes at
// or above the ring length are not rotated. Every reader keeps using logical
// indexes, as with a plain vector.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <vector>

template <class T>
class CSlotRing {
public:
    using value_type = T;
    using size_type = std::size_t;

    template <class Ring, class Value>
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = Value*;
        using reference = Value&;

        Iterator() = default;
        Iterator(Ring* ring, size_type index) : m_ring(ring), m_index(index) {}
        reference operator*() const { return (*m_ring)[m_index]; }
        pointer operator->() const { return &(*m_ring)[m_index]; }
        Iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++m_index;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_index == other.m_index; }

    private:
        Ring* m_ring = nullptr;
        size_type m_index = 0;
    };
    using iterator = Iterator<CSlotRing, T>;
    using const_iterator = Iterator<const CSlotRing, const T>;

    // Read access for hot loops (a sort's comparisons): a copy of the layout
    // that the compiler can keep in registers. Valid while the ring is not
    // changed.
    class CReader {
    public:
        CReader(const T* items, size_type head, size_type ring) : m_items(items), m_head(head), m_ring(ring) {}
        const T& operator[](size_type i) const { return m_items[Physical(i, m_head, m_ring)]; }

    private:
        const T* m_items;
        size_type m_head, m_ring;
    };
    CReader Reader() const { return {m_items.data(), m_head, m_ring}; }
    // The elements in logical order as a plain array, or null once the ring
    // has turned: then only Reader() or operator[] give logical order.
    const T* StraightData() const { return m_head == 0 ? m_items.data() : nullptr; }

    size_type size() const { return m_items.size(); }
    size_type capacity() const { return m_items.capacity(); }
    bool empty() const { return m_items.empty(); }

    T& operator[](size_type i) { return m_items[Physical(i, m_head, m_ring)]; }
    const T& operator[](size_type i) const { return m_items[Physical(i, m_head, m_ring)]; }

    iterator begin() { return {this, 0}; }
    iterator end() { return {this, size()}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    void assign(size_type n, const T& value)
    {
        m_items.assign(n, value);
        m_head = m_ring = 0;
    }
    void resize(size_type n)
    {
        Straighten();
        m_items.resize(n);
    }
    // Exchanges the elements, in logical order, with a plain vector.
    void swap(std::vector<T>& other)
    {
        Straighten();
        m_items.swap(other);
    }
    // A copy in logical order.
    operator std::vector<T>() const { return std::vector<T>(begin(), end()); }

    // Logical indexes count..ring-1 become 0..ring-count-1, and the first
    // count move up behind them, without moving an element. Needs
    // count <= ring <= size().
    void RotateFront(size_type count, size_type ring)
    {
        if (ring != m_ring) {
            Straighten();
            m_ring = ring;
        }
        if (ring != 0)
            m_head = (m_head + count) % ring;
    }

private:
    static size_type Physical(size_type i, size_type head, size_type ring)
    {
        if (i >= ring)
            return i;
        const size_type p = i + head;
        return p >= ring ? p - ring : p;
    }

    // Puts the elements into logical order in storage.
    void Straighten()
    {
        std::rotate(m_items.begin(), m_items.begin() + static_cast<std::ptrdiff_t>(m_head),
                    m_items.begin() + static_cast<std::ptrdiff_t>(m_ring));
        m_head = m_ring = 0;
    }

    std::vector<T> m_items;
    size_type m_head = 0;
    size_type m_ring = 0;  // 0: nothing rotated
};
