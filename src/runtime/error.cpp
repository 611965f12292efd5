#include "tallux/error.h"

namespace tallux {

std::string_view standardMessage(std::int32_t number) noexcept
{
    switch (number) {
    case err::InvalidCall: return "Invalid procedure call or argument";
    case err::Overflow: return "Overflow";
    case err::OutOfMemory: return "Out of memory";
    case err::SubscriptOutOfRange: return "Subscript out of range";
    case err::DivisionByZero: return "Division by zero";
    case err::TypeMismatch: return "Type mismatch";
    case err::ObjectNotSet: return "Object variable or With block variable not set";
    case err::InvalidUseOfNull: return "Invalid use of Null";
    case err::InvalidPropertyValue: return "Invalid property value";
    case err::NotSupported: return "Object doesn't support this property or method";
    default: return "Application-defined or object-defined error";
    }
}

} // namespace tallux
