// Texts the image file operations show through ShowMessage, exactly as the
// user sees them (Chinese, "\r\n", English).
#pragma once

namespace quorvel {

inline constexpr const char kMsgBadBitDepth[] =
    "图片位深度必须为32位或24位.\r\nImage bit depth must be 32 or 24.";
// The space after "\r\n" belongs to the text.
inline constexpr const char kMsgBadBmpSize[] =
    "图片的宽和高范围为[15, 5000].\r\n Image width and height in the range [15, 5000].";
inline constexpr const char kMsgUnreadable[] =
    "无法读取图片文件.\r\nThe picture file cannot be read.";
inline constexpr const char kMsgTooLarge[] =
    "图片的宽和高不能超过32767.\r\nImage width and height must not exceed 32767.";
inline constexpr const char kMsgSaveFailed[] =
    "保存图片失败.\r\nFailed to save the picture.";
inline constexpr const char kMsgLoadNoMemory[] =
    "内存不足, 无法读取图片.\r\nNot enough memory to read the picture.";
inline constexpr const char kMsgSaveNoMemory[] =
    "保存图片失败: 内存不足.\r\nFailed to save the picture: not enough memory.";

}  // namespace quorvel
