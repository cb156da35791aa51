#include "image/provider_area.h"

#include "common/crc16.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace cs {
namespace {

// Copies `count` bytes between two checked ranges.
void copyRange(ConstBytes from, std::size_t fromOffset, Bytes to, std::size_t toOffset, std::size_t count) {
    auto src = slice(from, fromOffset, count);
    auto dst = slice(to, toOffset, count);
    std::copy(src.begin(), src.end(), dst.begin());
}

// A NUL-terminated text inside a fixed field, never reading past it.
std::string_view boundedText(ConstBytes b, std::size_t offset, std::size_t width) {
    auto field = slice(b, offset, width);
    const auto* p = reinterpret_cast<const char*>(field.data());
    const void* nul = std::memchr(p, 0, width);
    return {p, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - p) : width};
}

} // namespace

ProviderLayout providerLayout(ConstBytes providerArea) {
    return readU8(providerArea, provider_layout::kLayoutByte) == provider_layout::kR78LayoutChar ? ProviderLayout::R78 : ProviderLayout::Basic;
}

std::size_t providerVerifyOffset(ProviderLayout layout) {
    return layout == ProviderLayout::R78 ? provider_layout::kR78Verify : provider_layout::kBasicVerify;
}

std::size_t providerCapacity(ProviderLayout layout) {
    return layout == ProviderLayout::R78 ? provider_layout::kR78ProviderCapacity : provider_layout::kBasicProviderCapacity;
}

ProviderRecord::ProviderRecord(ConstBytes from) {
    auto src = slice(from, 0, size);
    std::copy(src.begin(), src.end(), bytes_.begin());
}

std::string_view ProviderRecord::name() const { return boundedText(bytes_, kName, kNameSize); }

void ProviderRecord::setName(std::string_view text) {
    auto field = slice(Bytes(bytes_), kName, kNameSize);
    std::fill(field.begin(), field.end(), 0);
    std::copy_n(text.begin(), std::min(text.size(), kNameMax), field.begin());
}

std::uint16_t ProviderWorkArea::providerNumber(std::size_t slot) const {
    return slot < kSlots ? readU16(bytes_, kNumbers + 2 * slot) : 0;
}

void ProviderWorkArea::setProviderNumber(std::size_t slot, std::uint16_t number) {
    if (slot < kSlots)
        writeU16(bytes_, kNumbers + 2 * slot, number);
}

ProviderRecord ProviderWorkArea::provider(std::size_t index) const {
    return ProviderRecord(slice(ConstBytes(bytes_), kRecords + index * ProviderRecord::size, ProviderRecord::size));
}

void ProviderWorkArea::setProvider(std::size_t index, const ProviderRecord& record) {
    copyRange(record.bytes(), 0, bytes_, kRecords + index * ProviderRecord::size, ProviderRecord::size);
}

std::string_view ProviderWorkArea::providerName(std::uint16_t number, std::size_t capacity) const {
    const std::size_t n = std::min(capacity, kRecordCount);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = kRecords + i * ProviderRecord::size;
        if (readU8(bytes_, at + ProviderRecord::kMarker) == ProviderRecord::kMarkerValue &&
            readU16(bytes_, at + ProviderRecord::kNumber) == number)
            return boundedText(bytes_, at + ProviderRecord::kName, ProviderRecord::kNameSize);
    }
    return {};
}

void loadProviderArea(ProviderWorkArea& work, ConstBytes providerArea, LogSink& log) {
    work.clear();
    if (providerArea.size() < provider_layout::kSize)
        return;
    logf(log, "sizeof(PROVIDER_TAB)=%d", static_cast<int>(provider_layout::kBasicProviderBytes));
    if (providerLayout(providerArea) == ProviderLayout::R78) {
        const std::uint32_t verify = readU32(providerArea, provider_layout::kR78Verify);
        logf(log, "(ba3r78->provider_verify)=0x%08X", verify);
        if (verify == kProviderVerifyMagic) {
            copyRange(providerArea, provider_layout::kProviderNumbers, work.bytes(), ProviderWorkArea::kNumbers, 2 * provider_layout::kR78Slots);
            copyRange(providerArea, provider_layout::kR78Providers, work.bytes(), ProviderWorkArea::kRecords, provider_layout::kR78ProviderBytes);
            work.setVerify();
        }
    } else if (readU32(providerArea, provider_layout::kBasicVerify) == kProviderVerifyMagic) {
        copyRange(providerArea, provider_layout::kProviderNumbers, work.bytes(), ProviderWorkArea::kNumbers, 2 * provider_layout::kBasicSlots);
        copyRange(providerArea, provider_layout::kBasicProviders, work.bytes(), ProviderWorkArea::kRecords, provider_layout::kBasicProviderBytes);
        work.setVerify();
    }
    const std::string tag(boundedText(providerArea, provider_layout::kTag, provider_layout::kTagSize));
    logf(log, "sizeof(BA3WORK)=%d (R7=%d) password=[%s] %d %d", static_cast<int>(provider_layout::kSize),
         static_cast<int>(provider_layout::kSize), tag.c_str(), static_cast<int>(provider_layout::kR78ProviderBytes),
         static_cast<int>(provider_layout::kBasicProviderBytes));
}

void storeProviderArea(const ProviderWorkArea& work, Bytes providerArea) {
    if (providerArea.size() < provider_layout::kSize || !work.holdsVerify())
        return;
    if (providerLayout(providerArea) == ProviderLayout::R78) {
        copyRange(work.bytes(), ProviderWorkArea::kNumbers, providerArea, provider_layout::kProviderNumbers, 2 * provider_layout::kR78Slots);
        copyRange(work.bytes(), ProviderWorkArea::kRecords, providerArea, provider_layout::kR78Providers, provider_layout::kR78ProviderBytes);
        writeU32(providerArea, provider_layout::kR78Verify, kProviderVerifyMagic);
    } else {
        copyRange(work.bytes(), ProviderWorkArea::kNumbers, providerArea, provider_layout::kProviderNumbers, 2 * provider_layout::kBasicSlots);
        copyRange(work.bytes(), ProviderWorkArea::kRecords, providerArea, provider_layout::kBasicProviders, provider_layout::kBasicProviderBytes);
    }
}

void sealProviderArea(Bytes providerArea) {
    writeU32(providerArea, providerVerifyOffset(providerLayout(providerArea)), kProviderVerifyMagic);
    writeU32(providerArea, provider_layout::kCrc, crc16(slice(ConstBytes(providerArea), 0, provider_layout::kCrcCovered)));
}

bool providerAreaValid(ConstBytes providerArea) {
    if (providerArea.size() < provider_layout::kSize)
        return false;
    const std::uint32_t stored = readU32(providerArea, provider_layout::kCrc);
    if (stored != crc16(slice(providerArea, 0, provider_layout::kCrcCovered)))
        return false;
    return readU32(providerArea, providerVerifyOffset(providerLayout(providerArea))) == kProviderVerifyMagic;
}

} // namespace cs
