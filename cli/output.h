#pragma once

#include <memory>
#include <optional>
#include <string>

#include "options.h"
#include "tallux/target.h"

namespace tallux::cli {

// A drawing target and the bytes it makes of what was drawn.
class Output {
public:
    virtual ~Output() = default;
    virtual Target& target() = 0;
    virtual std::string bytes() = 0;
    // Called once the method has returned or raised: drawn tells whether the
    // whole symbol is there. Outputs that are not files deliver here.
    virtual void finish(bool drawn) { (void)drawn; }
};

// The output for a request's target (any but the printer), made fresh for
// each drawing. Raises UsageError when this build lacks the target.
std::unique_ptr<Output> makeOutput(const DrawRequest& request);

// A page in an image format, laid out around what the drawing on it covers.
// Raises OutputError when the page cannot be made.
std::unique_ptr<Output> makeImageOutput(const DrawRequest& request);

// For a page of a given size (--size) that does not hold all the drawing:
// what the drawing needs.
std::optional<std::string> pageTooSmall(const DrawRequest& request);

} // namespace tallux::cli
