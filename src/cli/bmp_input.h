#pragma once
// BMP pictures for "pictures --pack". They are decoded by the channelsettings-bmp module, which
// is loaded only here, so that the command line itself never loads Qt.
#include "pictures/bitmap.h"

#include <optional>
#include <string>

namespace cs::cli {

// Decodes a BMP file through the module found beside the program (the build tree), else in the
// installed module folder (../lib/<multiarch>/channelsettings from the program's folder). Without
// the module, or when the file cannot be read, nullopt and `error` says why.
std::optional<Bitmap> readBmpPicture(const std::string& path, std::string& error);

} // namespace cs::cli
