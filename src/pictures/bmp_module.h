#pragma once
// The BMP reader as a loadable module. Decoding BMP needs Qt; the command line loads this module
// only when it meets a BMP picture, so no other command and no JPEG picture ever loads Qt. The
// module exports a single C function, found by the name kDecodeBmpSymbol.
#include <cstddef>

namespace cs {

inline constexpr const char* kBmpModuleFile = "channelsettings-bmp.so";
inline constexpr const char* kDecodeBmpSymbol = "csDecodeBmpFile";

// Gives the decoder the buffer for a picture of width x height with `channels` bytes per pixel
// (1 gray, 3 RGB; rows top to bottom, no padding); nullptr makes the decoder give up.
using BitmapAllocator = unsigned char* (*)(void* context, int width, int height, int channels);

// Decodes the picture file at `path` into a buffer from `allocate`. Returns 0 on success;
// otherwise 1 with the reason, NUL-terminated, in `error`.
using DecodeBmpFile = int (*)(const char* path, BitmapAllocator allocate, void* context, char* error,
                              std::size_t errorSize);

} // namespace cs
