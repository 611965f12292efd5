#include "tallux/symbologies.h"

// Methods of this family that are not drawn yet.
namespace tallux::draw {

Integer BarCODE39F(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarCODE39F is not available yet");
}
Integer BarCODE93(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarCODE93 is not available yet");
}
Integer BarCODE128(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarCODE128 is not available yet");
}

} // namespace tallux::draw
