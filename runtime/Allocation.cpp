// The module's allocation, in place of the C++ runtime, which the module
// does not link: the nothrow forms of operator new and the forms of delete,
// on msvcrt's malloc and free. The throwing forms are left undefined, so a
// plain new, which the compiler assumes never returns null, fails the link.
#include <cstdlib>
#include <new>

namespace std {
const nothrow_t nothrow{};
}  // namespace std

void* operator new(size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

// What a call of a pure virtual function ends in: the process, as with the runtime.
extern "C" void __cxa_pure_virtual() { std::abort(); }
