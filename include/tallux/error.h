#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tallux/export.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

// The numbers of the run-time errors that the component raises itself. A
// drawing target may raise any other number.
namespace err {
inline constexpr std::int32_t InvalidCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t ObjectNotSet = 91;
inline constexpr std::int32_t InvalidUseOfNull = 94;
inline constexpr std::int32_t InvalidPropertyValue = 380;
inline constexpr std::int32_t NotSupported = 438;
} // namespace err

// The runtime's standard message for an error number ("Application-defined or
// object-defined error" for a number it does not know).
std::string_view standardMessage(std::int32_t number) noexcept;

// A numbered run-time error. Drawing methods turn it into their result once
// their error trap is armed; everywhere else it reaches the caller.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(std::int32_t number)
        : RuntimeError(number, std::string(standardMessage(number)))
    {
    }
    RuntimeError(std::int32_t number, const std::string& description)
        : std::runtime_error(description)
        , number_(number)
    {
    }

    std::int32_t number() const noexcept { return number_; }

private:
    std::int32_t number_;
};

} // namespace tallux

TALLUX_PUBLIC_END
