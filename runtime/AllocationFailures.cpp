// How the standard containers report a request they cannot satisfy, for the
// module. The library defines these together with every other __throw_*
// function in one object, which brings std::logic_error's family and the old
// copy-on-write strings it is built on into the link (some 80 KB). For the
// module each of them is a failed allocation: a container asked for more than
// memory gives, or more than it can ever hold. Its callers and entry points
// answer std::bad_alloc as a failed allocation, with -1.
#include <new>
#include <bits/functexcept.h>

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char*) { throw bad_alloc(); }
}  // namespace std
