// The guards of function-local statics, for the Windows programs alone,
// which run all of their own code on one thread. The C++ library's guards
// wait on a condition variable, which brings its threads library (about
// 10 KB of each program) along. A guard's first byte says "initialised";
// an initialisation that raised leaves it clear, to be tried again.
#include <cxxabi.h>

namespace __cxxabiv1 {

extern "C" int __cxa_guard_acquire(__guard* guard)
{
    return *reinterpret_cast<const char*>(guard) == 0 ? 1 : 0;
}

extern "C" void __cxa_guard_release(__guard* guard)
{
    *reinterpret_cast<char*>(guard) = 1;
}

extern "C" void __cxa_guard_abort(__guard*) {}

} // namespace __cxxabiv1
