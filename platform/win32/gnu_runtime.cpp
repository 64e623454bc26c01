// Pieces of the GNU C++ runtime that this program replaces with smaller ones of its own.
//
// The runtime's default handler for an exception that nothing catches prints the exception's
// demangled type to a console this program doesn't have, and pulls the whole demangler into the
// exe. Every failure is caught at the entry point, so this only ever ends a broken run.
//
// The standard library reports a length or position past its limits through these __throw
// functions. The runtime's own versions throw std::length_error and its kin, which keep their text
// in the old reference-counted string and so bring a second copy of the string code, with its
// unwind tables, into the exe (scripts/bench tells the exe's size). The versions here throw an
// exception all the same, which the entry point catches as an unexpected failure like any other.
#include <cstdlib>
#include <exception>
#include <new>

namespace {

class LibraryLimit : public std::exception {
public:
    explicit LibraryLimit(const char* text) noexcept : text_(text) {}
    const char* what() const noexcept override { return text_; }

private:
    const char* text_;
};

} // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_array_new_length();
}
void __throw_length_error(const char* text) {
    throw LibraryLimit(text);
}
void __throw_logic_error(const char* text) {
    throw LibraryLimit(text);
}
void __throw_out_of_range_fmt(const char* format, ...) {
    throw LibraryLimit(format);
}
} // namespace std
