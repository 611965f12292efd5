#include "tallux/symbologies.h"

// Methods of this family that are not drawn yet.
namespace tallux::draw {

Integer BarEAN13(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarEAN13 is not available yet");
}
Integer BarEAN8(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarEAN8 is not available yet");
}
Integer BarUPCA(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarUPCA is not available yet");
}
Integer BarUPCE(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarUPCE is not available yet");
}
Integer BarUPCAPlus(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarUPCAPlus is not available yet");
}
Integer BarISBN(const DrawArgs&) {
    throw RuntimeError(err::NotSupported, "BarISBN is not available yet");
}

} // namespace tallux::draw
