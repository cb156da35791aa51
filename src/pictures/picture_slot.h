#pragma once
// One picture of the image manager (logo, radio picture or background): the JPEG as imported or
// read, the effects chosen for it, the bitmap shown, and the JPEG that a save will store.
#include "common/byte_order.h"
#include "common/log_sink.h"
#include "pictures/bitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cs {

// Effect settings of a slot, as the effects menus choose them.
struct PictureEffects {
    int scale = 0;          // 0 full size, 1 half, 2 quarter, 3 eighth
    bool grayscale = false;
    int quality = 100;      // 100 is the encoder's own default; 75, 50, 25, 10 are passed on

    bool isDefault() const { return scale == 0 && !grayscale && quality == 100; }
    bool operator==(const PictureEffects&) const = default;
};

// The receiver shows pictures of 360..720 x 288..576 pixels; anything else is stretched to the
// full screen size.
inline constexpr int kPictureMinWidth = 360;
inline constexpr int kPictureMaxWidth = 720;
inline constexpr int kPictureMinHeight = 288;
inline constexpr int kPictureMaxHeight = 576;

bool pictureSizeFits(int width, int height);

struct SlotResult {
    bool ok = false;
    std::string error;
    explicit operator bool() const { return ok; }
};

class PictureSlot {
public:
    bool loaded() const { return loaded_; }
    // The stored JPEG differs from the source data.
    bool modified() const { return modified_; }
    // False for a picture read from a store that libjpeg cannot decode: its bytes are kept as
    // they are, so that saving does not lose them, but no effect can be applied.
    bool decodable() const { return decodable_; }

    const std::vector<std::uint8_t>& sourceData() const { return source_; }
    const Bitmap& bitmap() const { return bitmap_; }
    const std::vector<std::uint8_t>& encodedData() const { return encoded_; }
    std::size_t encodedSize() const { return encoded_.size(); }
    const std::string& fileName() const { return fileName_; }
    const PictureEffects& effects() const { return effects_; }

    // Empties the slot and resets its effects.
    void clear();

    // Takes a JPEG (from a file, a store entry or the clipboard) and renders it without effects.
    // A picture that does not decode, or decodes only with the decoder's warnings (truncated or
    // corrupt data), is refused with the decoder's text and the slot keeps what it had.
    SlotResult load(ConstBytes jpeg, std::string fileName, LogSink& log);

    // As load, but a store entry that does not decode is still kept, byte for byte.
    void loadStored(ConstBytes jpeg, LogSink& log);

    // Decodes the source with the scale and grayscale settings, applies the size rule, and
    // re-encodes with the quality setting when anything changed the picture. On failure the slot
    // is left as it was.
    SlotResult render(const PictureEffects& effects, LogSink& log);

    // "%d x %d, size=%d Kbytes %s": bitmap size, stored size in KiB, "Modified" or empty.
    std::string hint() const;

private:
    bool loaded_ = false;
    bool modified_ = false;
    bool decodable_ = false;
    std::vector<std::uint8_t> source_;
    Bitmap bitmap_;
    std::vector<std::uint8_t> encoded_;
    std::string fileName_;
    PictureEffects effects_;
};

} // namespace cs
