#pragma once
// CArray: a growable array that reports a failed allocation instead of
// throwing. Add and InsertAt return false and leave the array, and the item
// they were given, as they were. Items must move without failing.
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

template <typename T>
class CArray {
    static_assert(std::is_nothrow_move_constructible<T>::value, "CArray moves its items when it grows");

public:
    CArray() = default;
    ~CArray() { RemoveAll(); }
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;
    CArray(CArray&& other) noexcept { Swap(other); }
    CArray& operator=(CArray&& other) noexcept {
        Swap(other);
        return *this;
    }

    int GetSize() const { return static_cast<int>(m_size); }
    bool IsEmpty() const { return m_size == 0; }
    T& operator[](int index) { return m_items[index]; }
    const T& operator[](int index) const { return m_items[index]; }
    T* begin() { return m_items; }
    T* end() { return m_items + m_size; }
    const T* begin() const { return m_items; }
    const T* end() const { return m_items + m_size; }

    bool Add(T&& item) { return InsertAt(GetSize(), std::move(item)); }

    bool InsertAt(int index, T&& item) {
        if (m_size == m_capacity && !Grow()) return false;
        ::new (static_cast<void*>(m_items + m_size)) T(std::move(item));
        for (size_t at = m_size; at > static_cast<size_t>(index); --at) std::swap(m_items[at], m_items[at - 1]);
        ++m_size;
        return true;
    }

    void RemoveAt(int index) {
        for (size_t at = static_cast<size_t>(index); at + 1 < m_size; ++at) std::swap(m_items[at], m_items[at + 1]);
        m_items[--m_size].~T();
    }

    void RemoveAll() {
        while (m_size) m_items[--m_size].~T();
        ::operator delete(m_items, std::nothrow);
        m_items = nullptr;
        m_capacity = 0;
    }

private:
    bool Grow() {
        const size_t capacity = m_capacity ? m_capacity * 2 : 8;
        if (capacity > static_cast<size_t>(-1) / 2 / sizeof(T)) return false;
        T* items = static_cast<T*>(::operator new(capacity * sizeof(T), std::nothrow));
        if (!items) return false;
        for (size_t at = 0; at < m_size; ++at) {
            ::new (static_cast<void*>(items + at)) T(std::move(m_items[at]));
            m_items[at].~T();
        }
        ::operator delete(m_items, std::nothrow);
        m_items = items;
        m_capacity = capacity;
        return true;
    }

    void Swap(CArray& other) noexcept {
        std::swap(m_items, other.m_items);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }

    T* m_items = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};
