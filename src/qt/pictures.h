#pragma once

#include <QImage>

// The component's own pictures, drawn when they are first needed.
namespace tallux::qt {

// The control's 32 by 32 icon: a small barcode in a frame, in 16 colours.
const QImage& controlIcon();

// The about box logos, 529 by 70 pixels, 24 bits: the title with a Code 39
// symbol, in English (index 0) and in Traditional Chinese (index 1).
const QImage& aboutLogo(std::size_t language);

} // namespace tallux::qt
