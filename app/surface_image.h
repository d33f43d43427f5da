// Turning pixel blocks of the core's layout into Qt images.
#pragma once

#include <QImage>

#include "raster/pixels.h"
#include "raster/view_pane.h"

namespace quorvel {

// rect of a surface (client coordinates) as an opaque top-down image; the
// part outside the surface stays black.
QImage SurfaceImage(const TPaneSurface& surface, const QRect& rect);

}  // namespace quorvel
