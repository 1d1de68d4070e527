// The C++ runtime's default terminate handler, replaced for what ships. The
// library's own prints the demangled type of the exception to stderr, which
// links a demangler of some 46 KB and stdio into every binary; a snap-in in
// the host's GUI process has no stderr to show it on. This one ends the
// process as the library's does after its message, through abort.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
