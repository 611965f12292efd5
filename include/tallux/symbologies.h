#pragma once

#include "tallux/draw_args.h"
#include "tallux/export.h"

// The fifteen drawing methods. Each draws one symbol onto args.pObject and
// returns 0, or the number of the run-time error that stopped it; errors in
// its preparation (before anything is drawn) are raised as RuntimeError.
TALLUX_PUBLIC_BEGIN

namespace tallux::draw {

Integer BarUPCAPlus(const DrawArgs& args);
Integer BarCODABAR(const DrawArgs& args);
Integer BarCODE11(const DrawArgs& args);
Integer BarCODE25(const DrawArgs& args);
Integer BarCODE39(const DrawArgs& args);
Integer BarCODE39F(const DrawArgs& args);
Integer BarISBN(const DrawArgs& args);
Integer BarMSI(const DrawArgs& args);
Integer BarPOSTNET(const DrawArgs& args);
Integer BarCODE93(const DrawArgs& args);
Integer BarEAN13(const DrawArgs& args);
Integer BarCODE128(const DrawArgs& args);
Integer BarEAN8(const DrawArgs& args);
Integer BarUPCA(const DrawArgs& args);
Integer BarUPCE(const DrawArgs& args);

} // namespace tallux::draw

TALLUX_PUBLIC_END
