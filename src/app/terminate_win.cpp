// What ends the program when an exception escapes everything: the runtime's
// own handler would first print the exception's demangled type to stderr,
// which a windowed program does not have, and it brings the whole C++
// demangler (some 46 KB) into a download subscribers make over GPRS.
// Defined here, in the program's own objects, it takes the runtime's place.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
