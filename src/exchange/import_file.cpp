#include "exchange/import_file.h"

#include "common/crc16.h"
#include "image/channel_record.h"
#include "image/provider_area.h"
#include "lang/text_encoding.h"

#include <algorithm>

namespace cs {
bool isListedComponentType(std::uint32_t type) {
    switch (static_cast<ComponentType>(type)) {
    case ComponentType::ChannelBase:
    case ComponentType::TransponderList:
    case ComponentType::ColourProfiles:
    case ComponentType::ReceiverSettings:
        return true;
    default:
        return false;
    }
}

std::uint8_t exchangeBits(std::uint8_t b) {
    const unsigned kept = b & 0x3C;
    const unsigned b0 = b & 0x01, b1 = (b >> 1) & 0x01, b6 = (b >> 6) & 0x01, b7 = (b >> 7) & 0x01;
    return static_cast<std::uint8_t>(kept | (b0 << 7) | (b7 << 0) | (b1 << 6) | (b6 << 1));
}

void exchangeBits(Bytes bytes) {
    // A table keeps decoding a quarter-megabyte file cheap.
    static const auto table = [] {
        std::array<std::uint8_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i)
            t[i] = exchangeBits(static_cast<std::uint8_t>(i));
        return t;
    }();
    for (auto& b : bytes)
        b = table[b];
}

std::uint16_t importFileCrc(ConstBytes decoded) {
    if (!fits(decoded.size(), dsx::kCrc, 2))
        return crc16(decoded);
    std::uint16_t crc = crc16(decoded.first(dsx::kCrc));
    crc = crc16Update(crc, static_cast<std::uint8_t>(dsx::kCrcPlaceholder & 0xFF));
    crc = crc16Update(crc, static_cast<std::uint8_t>(dsx::kCrcPlaceholder >> 8));
    return crc16(decoded.subspan(dsx::kCrc + 2), crc);
}

void ImportFile::clear() {
    decoded_.clear();
    description_.clear();
    descriptionLength_ = 0;
    descriptionCut_ = false;
    directory_ = {};
    components_.clear();
}

ImportReadResult ImportFile::parse(ConstBytes encoded) {
    clear();
    if (encoded.size() >= dsx::kFileSizeLimit || encoded.size() < dsx::kMinFileSize)
        return kImportNotInterpreted;
    decoded_.assign(encoded.begin(), encoded.end());
    exchangeBits(Bytes(decoded_));
    const ConstBytes file(decoded_);
    if (readU16(file, dsx::kCrc) != importFileCrc(file)) {
        clear();
        return kImportNotInterpreted;
    }

    // The description runs to its NUL or to the end of the file; the blocks start after the NUL
    // wherever it is, so a description too long for the buffer is cut without moving them.
    const auto textBegin = decoded_.begin() + static_cast<std::ptrdiff_t>(dsx::kDescription);
    const auto textEnd = std::find(textBegin, decoded_.end(), std::uint8_t{0});
    descriptionLength_ = static_cast<std::size_t>(textEnd - textBegin);
    descriptionCut_ = descriptionLength_ > dsx::kDescriptionMax;
    description_.assign(textBegin, textBegin + static_cast<std::ptrdiff_t>(std::min(descriptionLength_, dsx::kDescriptionMax)));

    // Only listed components own a block; each block follows the previous listed one.
    std::uint64_t position = dsx::kDescription + descriptionLength_ + 1;
    for (std::size_t i = 0; i < dsx::kDirectoryEntries; ++i) {
        const std::size_t at = dsx::kDirectory + i * dsx::kEntrySize;
        DirectoryEntry& e = directory_[i];
        e.marker = readU32(file, at + dsx::kEntryMarker);
        e.size = readU32(file, at + dsx::kEntryBlockSize);
        e.type = readU32(file, at + dsx::kEntryType);
        if (!isListedComponentType(e.type))
            continue;
        components_.push_back({i, static_cast<ComponentType>(e.type), e.marker, e.size, position});
        position += e.size;
    }
    return kImportRead;
}

std::vector<std::string> ImportFile::descriptionLines() const {
    std::vector<std::string> lines;
    if (description_.empty())
        return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nl = description_.find('\n', start);
        lines.push_back(description_.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
    return lines;
}

std::string ImportFile::descriptionUtf8() const {
    if (lang::isValidUtf8(description_))
        return description_;
    // Cutting a long UTF-8 description may have split its last character.
    for (std::size_t drop = 1; descriptionCut_ && drop <= 3 && drop < description_.size(); ++drop) {
        const std::string_view kept(description_.data(), description_.size() - drop);
        if (lang::isValidUtf8(kept))
            return std::string(kept);
    }
    return lang::codePageToUtf8(description_, lang::CodePage::Windows1250);
}

const ImportComponent* ImportFile::componentOfEntry(std::size_t entry) const {
    for (const auto& c : components_)
        if (c.entry == entry)
            return &c;
    return nullptr;
}

bool ImportFile::blockInFile(const ImportComponent& c) const {
    return c.offset <= decoded_.size() && c.size <= decoded_.size() - c.offset;
}

ConstBytes ImportFile::blockBytes(const ImportComponent& c) const {
    if (c.offset >= decoded_.size())
        return {};
    const std::size_t start = static_cast<std::size_t>(c.offset);
    const std::size_t length = std::min<std::uint64_t>(c.size, decoded_.size() - start);
    return ConstBytes(decoded_).subspan(start, length);
}

ChannelBaseCounts ImportFile::channelBaseCounts(const ImportComponent& c) const {
    ChannelBaseCounts counts;
    const ConstBytes block = blockBytes(c);
    if (!fits(block.size(), dsx_channel_base::kShownCount, 4) || !fits(block.size(), dsx_channel_base::kProviders, 2))
        return counts;
    counts.readable = true;
    counts.channels = readU16(block, dsx_channel_base::kChannels);
    counts.providers = readU16(block, dsx_channel_base::kProviders);
    counts.shown = readU32(block, dsx_channel_base::kShownCount);
    counts.needed = dsx_channel_base::kHeaderSize +
                    std::uint64_t{counts.channels} * (ChannelRecord::size + sizeof(std::uint16_t)) +
                    std::uint64_t{counts.providers} * ProviderRecord::size;
    return counts;
}

ImportReadResult readImportFile(const std::string& path, ImportFile& out, FileProblem* problem) {
    out.clear();
    const RegularFile file(path);
    if (problem != nullptr)
        *problem = file.problem();
    if (!file.ok())
        return kImportNoAccess;
    const std::uint64_t size = file.size();
    if (size >= dsx::kFileSizeLimit)
        return kImportNotInterpreted;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (file.readAt(0, bytes.data(), bytes.size()) != bytes.size())
        return kImportNotInterpreted;
    return out.parse(bytes);
}

} // namespace cs
