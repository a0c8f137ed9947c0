// What the program does with an exception nobody caught: it ends at once.
//
// The C++ runtime's default handler writes the exception's type to standard error,
// demangled, before it aborts. A windowed program has no standard error, so nobody
// would read it, and the demangler it pulls in is about a tenth of the program. This
// definition takes the place of the runtime's own in the statically linked program.
#include <cstdlib>
#include <exception>

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif
