#pragma once
// RAII owners for the Win32 resources of image inspection: one handle or
// view each, released in the destructor, not copyable. Declare them in the
// order of acquisition (file, mapping, view) and they are released in the
// reverse order: unmap the view, close the mapping, close the file.
#include <windows.h>

#include <utility>

template <class Traits>
class UniqueWin32 {
public:
    using Value = typename Traits::Value;

    UniqueWin32() = default;
    explicit UniqueWin32(Value value) : m_value(value) {}
    ~UniqueWin32() { Reset(); }
    UniqueWin32(const UniqueWin32&) = delete;
    UniqueWin32& operator=(const UniqueWin32&) = delete;
    UniqueWin32(UniqueWin32&& other) noexcept : m_value(other.Release()) {}
    UniqueWin32& operator=(UniqueWin32&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Value Get() const { return m_value; }
    bool IsValid() const { return m_value != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }

    Value Release() { return std::exchange(m_value, Traits::Invalid()); }
    void Reset(Value value = Traits::Invalid()) {
        Value old = std::exchange(m_value, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Value m_value = Traits::Invalid();
};

// A file from CreateFileA: INVALID_HANDLE_VALUE when there is none.
struct FileHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Value handle) { CloseHandle(handle); }
};

// A kernel object such as a file mapping: null when there is none.
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Close(Value handle) { CloseHandle(handle); }
};

// A view from MapViewOfFile.
struct MappedViewTraits {
    using Value = const void*;
    static Value Invalid() { return nullptr; }
    static void Close(Value view) { UnmapViewOfFile(view); }
};

using UniqueFile = UniqueWin32<FileHandleTraits>;
using UniqueHandle = UniqueWin32<KernelHandleTraits>;
using UniqueView = UniqueWin32<MappedViewTraits>;
