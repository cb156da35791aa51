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

Ba3Layout ba3Layout(ConstBytes ba3Area) {
    return readU8(ba3Area, ba3::kLayoutByte) == ba3::kR78LayoutChar ? Ba3Layout::R78 : Ba3Layout::Basic;
}

std::size_t providerVerifyOffset(Ba3Layout layout) {
    return layout == Ba3Layout::R78 ? ba3::kR78Verify : ba3::kBasicVerify;
}

std::size_t providerCapacity(Ba3Layout layout) {
    return layout == Ba3Layout::R78 ? ba3::kR78ProviderCapacity : ba3::kBasicProviderCapacity;
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

void loadBa3Sector(ProviderWorkArea& work, ConstBytes ba3Area, LogSink& log) {
    work.clear();
    if (ba3Area.size() < ba3::kSize)
        return;
    logf(log, "sizeof(PROVIDER_TAB)=%d", static_cast<int>(ba3::kBasicProviderBytes));
    if (ba3Layout(ba3Area) == Ba3Layout::R78) {
        const std::uint32_t verify = readU32(ba3Area, ba3::kR78Verify);
        logf(log, "(ba3r78->provider_verify)=0x%08X", verify);
        if (verify == kProviderVerifyMagic) {
            copyRange(ba3Area, ba3::kProviderNumbers, work.bytes(), ProviderWorkArea::kNumbers, 2 * ba3::kR78Slots);
            copyRange(ba3Area, ba3::kR78Providers, work.bytes(), ProviderWorkArea::kRecords, ba3::kR78ProviderBytes);
            work.setVerify();
        }
    } else if (readU32(ba3Area, ba3::kBasicVerify) == kProviderVerifyMagic) {
        copyRange(ba3Area, ba3::kProviderNumbers, work.bytes(), ProviderWorkArea::kNumbers, 2 * ba3::kBasicSlots);
        copyRange(ba3Area, ba3::kBasicProviders, work.bytes(), ProviderWorkArea::kRecords, ba3::kBasicProviderBytes);
        work.setVerify();
    }
    const std::string tag(boundedText(ba3Area, ba3::kTag, ba3::kTagSize));
    logf(log, "sizeof(BA3WORK)=%d (R7=%d) password=[%s] %d %d", static_cast<int>(ba3::kSize),
         static_cast<int>(ba3::kSize), tag.c_str(), static_cast<int>(ba3::kR78ProviderBytes),
         static_cast<int>(ba3::kBasicProviderBytes));
}

void storeBa3Sector(const ProviderWorkArea& work, Bytes ba3Area) {
    if (ba3Area.size() < ba3::kSize || !work.holdsVerify())
        return;
    if (ba3Layout(ba3Area) == Ba3Layout::R78) {
        copyRange(work.bytes(), ProviderWorkArea::kNumbers, ba3Area, ba3::kProviderNumbers, 2 * ba3::kR78Slots);
        copyRange(work.bytes(), ProviderWorkArea::kRecords, ba3Area, ba3::kR78Providers, ba3::kR78ProviderBytes);
        writeU32(ba3Area, ba3::kR78Verify, kProviderVerifyMagic);
    } else {
        copyRange(work.bytes(), ProviderWorkArea::kNumbers, ba3Area, ba3::kProviderNumbers, 2 * ba3::kBasicSlots);
        copyRange(work.bytes(), ProviderWorkArea::kRecords, ba3Area, ba3::kBasicProviders, ba3::kBasicProviderBytes);
    }
}

void sealBa3(Bytes ba3Area) {
    writeU32(ba3Area, providerVerifyOffset(ba3Layout(ba3Area)), kProviderVerifyMagic);
    writeU32(ba3Area, ba3::kCrc, crc16(slice(ConstBytes(ba3Area), 0, ba3::kCrcCovered)));
}

bool ba3Valid(ConstBytes ba3Area) {
    if (ba3Area.size() < ba3::kSize)
        return false;
    const std::uint32_t stored = readU32(ba3Area, ba3::kCrc);
    if (stored != crc16(slice(ba3Area, 0, ba3::kCrcCovered)))
        return false;
    return readU32(ba3Area, providerVerifyOffset(ba3Layout(ba3Area))) == kProviderVerifyMagic;
}

} // namespace cs
