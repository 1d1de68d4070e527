// The DLL start-up applies the image's pseudo-relocations, the fix-ups that
// data auto-imported from another DLL needs. The module is linked without
// auto-import (--disable-auto-import, --disable-runtime-pseudo-reloc): the
// linker refuses any data import that would need one, so the list is always
// empty and this step of the start-up has nothing to do. Defining it here
// keeps the library's, with VirtualProtect and its error report on stderr,
// out of the link.
extern "C" void _pei386_runtime_relocator() {}
