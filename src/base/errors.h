#pragma once
// Run-time errors that travel from the numeric routines to the command that
// started the work. Only command handlers catch them; each handler does what
// its command must do on an unexpected error.
#include <stdexcept>
#include <string>

namespace velta {

class RuntimeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A result left the range of its integer or double type.
class OverflowError : public RuntimeError {
  public:
    explicit OverflowError(const std::string& where) : RuntimeError("Overflow in " + where) {}
};

// An index outside an array's bounds (also: factorial of a negative number).
class SubscriptOutOfRange : public RuntimeError {
  public:
    explicit SubscriptOutOfRange(const std::string& where)
        : RuntimeError("Subscript out of range in " + where) {}
};

// Floating-point division does not trap in C++, so callers check the divisor
// where the documented behaviour depends on this error.
class DivisionByZero : public RuntimeError {
  public:
    explicit DivisionByZero(const std::string& where)
        : RuntimeError("Division by zero in " + where) {}
};

// A text that had to be a number was not.
class TypeMismatch : public RuntimeError {
  public:
    explicit TypeMismatch(const std::string& where) : RuntimeError("Type mismatch in " + where) {}
};

}  // namespace velta
