#include "tallux/symbologies.h"

// Methods of this family that are not drawn yet.
namespace tallux::draw {

Integer BarCODE25(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarCODE25 is not available yet");
}
Integer BarCODABAR(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarCODABAR is not available yet");
}
Integer BarCODE11(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarCODE11 is not available yet");
}
Integer BarMSI(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarMSI is not available yet");
}
Integer BarPOSTNET(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarPOSTNET is not available yet");
}

} // namespace tallux::draw
