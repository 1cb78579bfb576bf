// The container and string templates report misuse through these functions.
// The runtime's own versions throw std::logic_error and its kin, whose
// constructors link a second, reference-counted string implementation (and
// what it drags along, some 90 KB) into a download made over GPRS. Defined in
// the program's own objects, they take the runtime's place and throw
// dw::Error, which every handler of the program catches as std::exception.
#include <bits/functexcept.h>

#include <new>
#include <typeinfo>

#include "platform/error.h"

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char* what) { throw dw::Error(what); }
void __throw_domain_error(const char* what) { throw dw::Error(what); }
void __throw_invalid_argument(const char* what) { throw dw::Error(what); }
void __throw_length_error(const char* what) { throw dw::Error(what); }
void __throw_out_of_range(const char* what) { throw dw::Error(what); }
// The text keeps its placeholders: formatting it would bring in the
// runtime's private printf.
void __throw_out_of_range_fmt(const char* format, ...) { throw dw::Error(format); }
void __throw_runtime_error(const char* what) { throw dw::Error(what); }
void __throw_range_error(const char* what) { throw dw::Error(what); }
void __throw_overflow_error(const char* what) { throw dw::Error(what); }
void __throw_underflow_error(const char* what) { throw dw::Error(what); }
// A lock the system could not take: the category object and its messages
// would bring the same string types back.
void __throw_system_error(int) { throw dw::Error("a lock failed"); }

}  // namespace std
