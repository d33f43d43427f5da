// The pictures compiled into the program (resources/quorvel.qrc), by the
// numbers the dialog knows them by.
#pragma once

#include <QByteArray>
#include <QString>

#include "raster/image_pair.h"

namespace quorvel::res {

inline constexpr int kIcon = 128;
inline constexpr int kShapeFace = 135;     // 20 x 50
inline constexpr int kOpenFace = 136;      // 32 x 25
inline constexpr int kSaveFace = 137;      // 32 x 25
inline constexpr int kStampLarge = 140;    // 100 x 30, with alpha
inline constexpr int kStampSmall = 141;    // 15 x 15, with alpha
inline constexpr int kDownloadFace = 142;  // 32 x 25
inline constexpr int kSplash = 146;        // 807 x 556, RGB

QString ResourcePath(int id);

// Decodes a PNG resource into pair (src, width, height); 0 when it is missing
// or cannot be decoded.
int LoadPictureResource(int id, TImagePair& pair);

}  // namespace quorvel::res
