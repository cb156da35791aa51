#include "pictures/picture_slot.h"

#include "pictures/jpeg_codec.h"

#include <optional>
#include <utility>

namespace cs {

bool pictureSizeFits(int width, int height) {
    return width >= kPictureMinWidth && width <= kPictureMaxWidth && height >= kPictureMinHeight &&
           height <= kPictureMaxHeight;
}

namespace {

int scaleDenominator(int scale) {
    switch (scale) {
    case 1: return 2;
    case 2: return 4;
    case 3: return 8;
    default: return 1;
    }
}

// The settings the menus can express; anything else counts as the default.
PictureEffects normalized(PictureEffects e) {
    if (e.scale < 0 || e.scale > 3)
        e.scale = 0;
    if (e.quality < 1 || e.quality > 100)
        e.quality = 100;
    return e;
}

struct Rendering {
    Bitmap bitmap;
    std::vector<std::uint8_t> encoded;
    bool changed = false;
};

// With `refuseDamaged` a picture that decodes only with the decoder's warnings (truncated or
// corrupt data) is refused: it would go to the receiver as it is.
SlotResult renderSource(const std::vector<std::uint8_t>& source, const PictureEffects& effects, Rendering& out,
                        LogSink& log, bool refuseDamaged = false) {
    JpegDecodeResult decoded = decodeJpeg(source, scaleDenominator(effects.scale), effects.grayscale);
    if (!decoded.bitmap)
        return {false, decoded.error};
    if (!decoded.warning.empty()) {
        logf(log, "JPEG warning: %s", decoded.warning.c_str());
        if (refuseDamaged)
            return {false, "damaged JPEG data: " + decoded.warning};
    }
    out.bitmap = std::move(*decoded.bitmap);
    out.changed = !effects.isDefault();
    if (!pictureSizeFits(out.bitmap.width, out.bitmap.height)) {
        out.bitmap = resampleBitmap(out.bitmap, kPictureMaxWidth, kPictureMaxHeight);
        out.changed = true;
    }
    if (out.changed) {
        std::optional<int> quality;
        if (effects.quality != 100)
            quality = effects.quality;
        JpegEncodeResult encoded = encodeJpeg(out.bitmap, quality);
        if (!encoded.data)
            return {false, encoded.error};
        out.encoded = std::move(*encoded.data);
    } else {
        out.encoded = source;
    }
    return {true, {}};
}

} // namespace

void PictureSlot::clear() { *this = PictureSlot{}; }

SlotResult PictureSlot::load(ConstBytes jpeg, std::string fileName, LogSink& log) {
    std::vector<std::uint8_t> source(jpeg.begin(), jpeg.end());
    Rendering r;
    if (SlotResult res = renderSource(source, PictureEffects{}, r, log, /*refuseDamaged=*/true); !res) {
        logf(log, "LoadPictureFile %s failed: %s", fileName.c_str(), res.error.c_str());
        return res;
    }
    clear();
    fileName_ = std::move(fileName);
    source_ = std::move(source);
    loaded_ = true;
    decodable_ = true;
    logf(log, "LoadPictureFile %s empty=%d", fileName_.c_str(), 0);
    bitmap_ = std::move(r.bitmap);
    encoded_ = std::move(r.encoded);
    modified_ = r.changed;
    logf(log, "ShowPicture %d x %d", bitmap_.width, bitmap_.height);
    return {true, {}};
}

void PictureSlot::loadStored(ConstBytes jpeg, LogSink& log) {
    if (load(jpeg, std::string(), log))
        return;
    clear();
    source_.assign(jpeg.begin(), jpeg.end());
    encoded_ = source_;
    loaded_ = true;
    logf(log, "LoadPictureFile %s empty=%d", "", 1);
}

SlotResult PictureSlot::render(const PictureEffects& effects, LogSink& log) {
    if (!loaded_)
        return {false, "no picture"};
    if (!decodable_)
        return {false, "the picture cannot be decoded"};
    const PictureEffects e = normalized(effects);
    Rendering r;
    if (SlotResult res = renderSource(source_, e, r, log); !res)
        return res;
    effects_ = e;
    bitmap_ = std::move(r.bitmap);
    encoded_ = std::move(r.encoded);
    modified_ = r.changed;
    logf(log, "ShowPicture %d x %d", bitmap_.width, bitmap_.height);
    return {true, {}};
}

std::string PictureSlot::hint() const {
    return format("%d x %d, size=%d Kbytes %s", bitmap_.width, bitmap_.height, static_cast<int>(encoded_.size() / 1024),
                  modified_ ? "Modified" : "");
}

} // namespace cs
