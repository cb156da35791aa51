// Fuzz target of the image header and the classification of a file: the first byte picks the
// size of the file the input stands for (its own length, a database size, or a software or
// picture store size); the input is the start of that file and the rest reads as erased flash.
// Reading must agree with the in-memory classifier, and a database must have its areas inside
// the file at the sizes its kind gives.
#include "common/byte_order.h"
#include "common/log_sink.h"
#include "image/channel_table.h"
#include "image/image_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace cs;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

constexpr std::array<std::size_t, 8> kSizes = {0, 0x10040, 0x40040, 0x50040, 0x60040, 0x80040, 0x90040, 0x20040};

// The input, then erased flash up to `size`.
class PaddedSource final : public ImageSource {
public:
    PaddedSource(ConstBytes start, std::size_t size) : start_(start), size_(size) {}
    std::size_t size() const override { return size_; }
    std::size_t read(std::size_t offset, Bytes out) override {
        if (offset >= size_)
            return 0;
        const std::size_t n = std::min(out.size(), size_ - offset);
        const std::size_t copied = offset < start_.size() ? std::min(n, start_.size() - offset) : 0;
        std::memcpy(out.data(), start_.data() + offset, copied);
        std::memset(out.data() + copied, 0xFF, n - copied);
        return n;
    }

private:
    ConstBytes start_;
    std::size_t size_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static NullLog log;
    static ImageFile image;
    const ConstBytes start(data + 1, size - 1);
    const std::size_t fileSize = std::max(kSizes[data[0] & 7], start.size());

    PaddedSource source(start, fileSize);
    const ImageKind kind = image.readImage(source, log);
    if (fileSize == start.size())
        check(kind == classifyImageBytes(start));
    if (kind != kImageDatabase)
        return 0;

    check(image.hasImage() && image.fileSize() == fileSize);
    check(isDatabaseFileSize(fileSize));
    const ConstBytes header = image.header().bytes();
    check(matchDatabaseKind(fileSize, readU32(header, 56), readU32(header, 60)).has_value());
    check(!image.kindText().empty());
    image.locateAreas(log);
    const std::uint8_t* payload = image.payload().data();
    const std::size_t payloadSize = image.payload().size();
    const auto inside = [&](ConstBytes area) {
        return area.data() >= payload && area.data() + area.size() <= payload + payloadSize;
    };
    if (image.hasBase())
        check(image.baseArea().size() == baseAreaSize(image.channelCapacity()) && inside(image.baseArea()));
    if (image.hasConfig())
        check(image.configArea().size() == config_area::kSize && inside(image.configArea()));
    if (image.hasSettingsArea())
        check(image.hasConfig() && image.settingsArea().size() == config_area::kSettingsAreaSize);
    if (image.hasProviderArea())
        check(image.hasConfig() && image.providerCapacity() > 0);
    return 0;
}
