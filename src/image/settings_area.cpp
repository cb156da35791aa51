#include "image/settings_area.h"

#include "common/crc16.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace cs {

namespace {

struct AntenaFieldInfo {
    std::string_view name;
    AntenaBits bits;
};

// Indexed by AntenaField. Byte 3 bits 4-7 and byte 7 bits 2-7 belong to no field.
constexpr std::array<AntenaFieldInfo, kAntenaFieldCount> kAntenaFields = {{
    {"lnb_ku", {0, 0, 3}},
    {"diseqcMode_ku", {0, 3, 3}},
    {"motorMode_ku", {0, 6, 2}},
    {"toneMode_ku", {1, 0, 2}},
    {"motorID_ku", {1, 2, 6}},
    {"powerMode_ku", {2, 0, 1}},
    {"input_ku", {2, 1, 1}},
    {"lnb_c", {2, 2, 3}},
    {"diseqcMode_c", {2, 5, 3}},
    {"motorMode_c", {3, 0, 2}},
    {"toneMode_c", {3, 2, 2}},
    {"motorID_c", {4, 0, 6}},
    {"powerMode_c", {4, 6, 1}},
    {"input_c", {4, 7, 1}},
    {"lnb_ls", {5, 0, 3}},
    {"diseqcMode_ls", {5, 3, 3}},
    {"motorMode_ls", {5, 6, 2}},
    {"toneMode_ls", {6, 0, 2}},
    {"motorID_ls", {6, 2, 6}},
    {"powerMode_ls", {7, 0, 1}},
    {"input_ls", {7, 1, 1}},
}};

// Receiver settings packed into single bytes of the working record, indexed by ReceiverSetting.
struct SettingBits {
    std::size_t offset;
    std::uint8_t shift;
    std::uint8_t width;
};
constexpr std::array<SettingBits, 10> kReceiverSettingBits = {{
    {WorkingSettings::infoWindowTimeOffset, 0, 8},
    {WorkingSettings::flagsOffset, 0, 1},
    {WorkingSettings::flagsOffset, 1, 2},
    {WorkingSettings::flagsOffset, 3, 1},
    {WorkingSettings::flagsOffset, 4, 1},
    {WorkingSettings::flagsOffset, 5, 1},
    {WorkingSettings::flagsOffset, 6, 1},
    {WorkingSettings::startListOffset, 0, 4},
    {WorkingSettings::flags2Offset, 0, 1},
    {WorkingSettings::flags2Offset, 1, 1},
}};

constexpr std::uint8_t fieldMask(std::uint8_t width) {
    return static_cast<std::uint8_t>((1u << width) - 1u);
}

std::uint8_t readBits(ConstBytes bytes, std::size_t offset, std::uint8_t shift, std::uint8_t width) {
    return static_cast<std::uint8_t>((readU8(bytes, offset) >> shift) & fieldMask(width));
}

void writeBits(Bytes bytes, std::size_t offset, std::uint8_t shift, std::uint8_t width, unsigned value) {
    const auto mask = static_cast<std::uint8_t>(fieldMask(width) << shift);
    const auto old = readU8(bytes, offset);
    writeU8(bytes, offset, static_cast<std::uint8_t>((old & ~mask) | ((value << shift) & mask)));
}

float readFloat(ConstBytes bytes, std::size_t offset) {
    return std::bit_cast<float>(readU32(bytes, offset));
}

void writeFloat(Bytes bytes, std::size_t offset, float value) {
    writeU32(bytes, offset, std::bit_cast<std::uint32_t>(value));
}

// Text of a fixed-width field: up to the first NUL, never past the field.
std::string_view fixedText(ConstBytes bytes, std::size_t offset, std::size_t width) {
    const auto field = slice(bytes, offset, width);
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return {reinterpret_cast<const char*>(field.data()), static_cast<std::size_t>(end - field.begin())};
}

std::string_view fixedText(const char* chars, std::size_t width) {
    const auto* end = std::find(chars, chars + width, '\0');
    return {chars, static_cast<std::size_t>(end - chars)};
}

void logIp(LogSink& log, const char* format, ConstBytes area, std::size_t offset) {
    const auto ip = readU32(area, offset);
    logf(log, format, static_cast<int>(ip >> 24), static_cast<int>((ip >> 16) & 0xFF),
         static_cast<int>((ip >> 8) & 0xFF), static_cast<int>(ip & 0xFF));
}

// %.*s needs an int length; every field here is far shorter than INT_MAX.
int len(std::string_view text) { return static_cast<int>(text.size()); }

void logNetworkBlock(ConstBytes area, LogSink& log) {
    logIp(log, "myIP=%d.%d.%d.%d", area, ba2::kMyIpOffset);
    logIp(log, "myMask=%d.%d.%d.%d", area, ba2::kMyMaskOffset);
    logIp(log, "myGateway=%d.%d.%d.%d", area, ba2::kMyGatewayOffset);
    logIp(log, "myDNS1=%d.%d.%d.%d", area, ba2::kMyDns1Offset);
    logIp(log, "myDNS2=%d.%d.%d.%d", area, ba2::kMyDns2Offset);
    const auto mac = slice(area, ba2::kMacAddressOffset, ba2::kMacAddressSize);
    logf(log, "mac_address=%02x %02x %02x %02x %02x %02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    logf(log, "dchp=%d", readU8(area, ba2::kDhcpOffset));
    for (std::size_t i = 0; i < ba2::kServerCount; ++i) {
        logf(log, "%d --------------------", static_cast<int>(i));
        const auto info = fixedText(area, ba2::kServerInfoOffset + i * ba2::kServerInfoSize, ba2::kServerInfoSize);
        logf(log, "serverInfo=[%.*s]", len(info), info.data());
        const auto name = fixedText(area, ba2::kServerNameOffset + i * ba2::kServerNameSize, ba2::kServerNameSize);
        logf(log, "serverName=[%.*s]", len(name), name.data());
        const auto subdir = fixedText(area, ba2::kSubdirNameOffset + i * ba2::kSubdirNameSize, ba2::kSubdirNameSize);
        logf(log, "subdirName=[%.*s]", len(subdir), subdir.data());
        logIp(log, "serverAddress=%d.%d.%d.%d", area, ba2::kServerAddressOffset + i * 4);
        logf(log, "serverPort=[%d]", readU16(area, ba2::kServerPortOffset + i * 2));
        const auto user = fixedText(area, ba2::kUsernameOffset + i * ba2::kUsernameSize, ba2::kUsernameSize);
        logf(log, "username=[%.*s]", len(user), user.data());
        const auto pass =
            fixedText(area, ba2::kServerPasswordOffset + i * ba2::kServerPasswordSize, ba2::kServerPasswordSize);
        logf(log, "password=[%.*s]", len(pass), pass.data());
    }
}

std::size_t satelliteOffset(std::size_t number) {
    return ba2::kSatellitesOffset + number * DB_SAT_SATELLITE::size;
}

std::size_t converterOffset(std::size_t index) {
    return ba2::kConverterListOffset + index * Converter::size;
}

std::size_t listNameOffset(std::size_t index) {
    return ba2::kListNamesOffset + index * ba2::kListNameSize;
}

} // namespace

AntenaBits antenaBits(AntenaField field) {
    return kAntenaFields.at(static_cast<std::size_t>(field)).bits;
}

std::string_view antenaFieldName(AntenaField field) {
    return kAntenaFields.at(static_cast<std::size_t>(field)).name;
}

std::uint8_t readAntenaField(ConstBytes antena, AntenaField field) {
    const auto bits = antenaBits(field);
    return readBits(antena, bits.byte, bits.shift, bits.width);
}

void writeAntenaField(Bytes antena, AntenaField field, unsigned value) {
    const auto bits = antenaBits(field);
    writeBits(antena, bits.byte, bits.shift, bits.width, value);
}

void copyAntenaFields(ConstBytes from, Bytes to) {
    for (auto field : kAllAntenaFields)
        writeAntenaField(to, field, readAntenaField(from, field));
}

std::string_view converterBandText(unsigned band) {
    static constexpr std::array<std::string_view, 4> kBands = {"Ku", "C1", "C2", "L/S"};
    return band < kBands.size() ? kBands[band] : std::string_view{};
}

Converter readConverter(ConstBytes record) {
    Converter c;
    c.lof1 = readU16(record, Converter::lof1Offset);
    c.lof2 = readU16(record, Converter::lof2Offset);
    c.threshold = readU16(record, Converter::thresholdOffset);
    c.band = readU8(record, Converter::bandOffset);
    return c;
}

void writeConverter(Bytes record, const Converter& converter) {
    writeU16(record, Converter::lof1Offset, converter.lof1);
    writeU16(record, Converter::lof2Offset, converter.lof2);
    writeU16(record, Converter::thresholdOffset, converter.threshold);
    writeU8(record, Converter::bandOffset, converter.band);
}

// ---------------------------------------------------------------- WorkingSettings

Converter WorkingSettings::converter(std::size_t index) const {
    return readConverter(slice(bytes(), converterListOffset + index * Converter::size, Converter::size));
}

void WorkingSettings::setConverter(std::size_t index, const Converter& converter) {
    writeConverter(slice(bytes(), converterListOffset + index * Converter::size, Converter::size), converter);
}

ANTENA WorkingSettings::antena(std::size_t satellite) const {
    ANTENA a;
    const auto src = slice(bytes(), antenaOffset + satellite * ANTENA::size, ANTENA::size);
    std::copy(src.begin(), src.end(), a.bytes().begin());
    return a;
}

void WorkingSettings::setAntena(std::size_t satellite, const ANTENA& antena) {
    const auto dst = slice(bytes(), antenaOffset + satellite * ANTENA::size, ANTENA::size);
    std::copy(antena.bytes().begin(), antena.bytes().end(), dst.begin());
}

unsigned WorkingSettings::receiverSetting(ReceiverSetting setting) const {
    const auto& f = kReceiverSettingBits.at(static_cast<std::size_t>(setting));
    return readBits(bytes(), f.offset, f.shift, f.width);
}

void WorkingSettings::setReceiverSetting(ReceiverSetting setting, unsigned value) {
    const auto& f = kReceiverSettingBits.at(static_cast<std::size_t>(setting));
    writeBits(bytes(), f.offset, f.shift, f.width, value);
}

std::int16_t WorkingSettings::startChannel() const {
    return static_cast<std::int16_t>(readU16(bytes(), startChannelOffset));
}
void WorkingSettings::setStartChannel(std::int16_t channel) {
    writeU16(bytes(), startChannelOffset, static_cast<std::uint16_t>(channel));
}
std::uint16_t WorkingSettings::modulatorFrequency() const { return readU16(bytes(), modulatorFrequencyOffset); }
void WorkingSettings::setModulatorFrequency(std::uint16_t mhz) { writeU16(bytes(), modulatorFrequencyOffset, mhz); }
float WorkingSettings::geographicPosition() const { return readFloat(bytes(), geographicPositionOffset); }
void WorkingSettings::setGeographicPosition(float degrees) {
    writeFloat(bytes(), geographicPositionOffset, degrees);
}
std::int32_t WorkingSettings::timeZone() const {
    return static_cast<std::int32_t>(readU32(bytes(), timeZoneOffset));
}
void WorkingSettings::setTimeZone(std::int32_t hours) {
    writeU32(bytes(), timeZoneOffset, static_cast<std::uint32_t>(hours));
}
std::int16_t WorkingSettings::parentalCode() const {
    return static_cast<std::int16_t>(readU16(bytes(), parentalCodeOffset));
}
void WorkingSettings::setParentalCode(std::int16_t code) {
    writeU16(bytes(), parentalCodeOffset, static_cast<std::uint16_t>(code));
}

// ---------------------------------------------------------------- model

std::string_view SatelliteEntry::nameView() const { return fixedText(name.data(), name.size()); }

void SatelliteEntry::setName(std::string_view text) {
    name.fill('\0');
    const auto n = std::min(text.size(), DB_SAT_SATELLITE::nameExchanged);
    std::copy_n(text.begin(), n, name.begin());
}

std::string_view SettingsModel::listName(std::size_t list) const {
    if (list < 1 || list > kMaxFavouriteLists)
        return {};
    const auto& n = listy_tem[list - 1];
    return fixedText(n.data(), n.size());
}

void SettingsModel::setListName(std::size_t list, std::string_view text) {
    if (list < 1 || list > kMaxFavouriteLists)
        return;
    auto& n = listy_tem[list - 1];
    n.fill('\0');
    std::copy_n(text.begin(), std::min(text.size(), n.size()), n.begin());
}

std::uint8_t favouriteListCount(std::uint8_t stored) {
    // 9 is what some receivers store for a single list; any larger value would index past the
    // eight names, so it is capped.
    if (stored == 9)
        return 1;
    return std::min<std::uint8_t>(stored, kMaxFavouriteLists);
}

void loadSettings(SettingsModel& model, ConstBytes ba2Area, LogSink& log) {
    model.settings.clear();
    if (ba2Area.size() < ba2::kBlockSize)
        return;

    const auto stored = readU8(ba2Area, ba2::kListCountOffset);
    logf(log, "ilosc_list =%d", stored);
    model.ilosc_list = favouriteListCount(stored);

    for (std::size_t i = 0; i < ba2::kListCount; ++i) {
        const auto src = slice(ba2Area, listNameOffset(i), ba2::kListNameSize);
        std::copy(src.begin(), src.end(), model.listy_tem[i].begin());
    }

    for (std::size_t i = 0; i < ba2::kSatelliteCount; ++i) {
        const auto rec = slice(ba2Area, satelliteOffset(i), DB_SAT_SATELLITE::size);
        auto& sat = model.satellites[i];
        sat.name.fill('\0');
        const auto name = slice(rec, DB_SAT_SATELLITE::nameOffset, DB_SAT_SATELLITE::nameExchanged);
        std::copy(name.begin(), name.end(), sat.name.begin());
        sat.position = readFloat(rec, DB_SAT_SATELLITE::positionOffset);
        sat.side = static_cast<std::uint8_t>((readU8(rec, DB_SAT_SATELLITE::sideByte) & DB_SAT_SATELLITE::sideMask) >>
                                             DB_SAT_SATELLITE::sideShift);
        ANTENA antena;
        copyAntenaFields(slice(rec, DB_SAT_SATELLITE::antenaOffset, ANTENA::storedSize), antena.bytes());
        model.settings.setAntena(i, antena);
        const double shown = sat.side != 0 ? -static_cast<double>(sat.position) : sat.position;
        const auto text = sat.nameView();
        logf(log, "{ 0, %c%.*s%c, %.1f }, // %d", '"', len(text), text.data(), '"', shown, static_cast<int>(i));
    }

    for (std::size_t i = 0; i < ba2::kConverterCount; ++i) {
        const auto c = readConverter(slice(ba2Area, converterOffset(i), Converter::size));
        model.settings.setConverter(i, c);
        const auto band = converterBandText(c.band);
        logf(log, "LNB(%d) =%d %d %d band=%d [%.*s]", static_cast<int>(i), c.lof1, c.lof2, c.threshold, c.band,
             len(band), band.data());
    }

    if (ba2Area.size() >= ba2::kSize)
        logNetworkBlock(ba2Area, log);
}

void storeSettings(const SettingsModel& model, Bytes ba2Area) {
    if (ba2Area.size() < ba2::kBlockSize)
        return;

    writeU8(ba2Area, ba2::kListCountOffset, model.ilosc_list);
    for (std::size_t i = 0; i < ba2::kListCount; ++i) {
        const auto dst = slice(ba2Area, listNameOffset(i), ba2::kListNameSize);
        std::fill(dst.begin(), dst.end(), std::uint8_t{0});
        const auto name = model.listName(i + 1);
        std::copy(name.begin(), name.end(), dst.begin());
    }

    for (std::size_t i = 0; i < ba2::kSatelliteCount; ++i) {
        const auto rec = slice(ba2Area, satelliteOffset(i), DB_SAT_SATELLITE::size);
        const auto& sat = model.satellites[i];
        const auto name = slice(rec, DB_SAT_SATELLITE::nameOffset, DB_SAT_SATELLITE::nameExchanged);
        std::copy_n(sat.name.begin(), DB_SAT_SATELLITE::nameExchanged, name.begin());
        writeFloat(rec, DB_SAT_SATELLITE::positionOffset, sat.position);
        writeBits(rec, DB_SAT_SATELLITE::sideByte, DB_SAT_SATELLITE::sideShift, 2, sat.side);
        copyAntenaFields(model.settings.antena(i).bytes(),
                         slice(rec, DB_SAT_SATELLITE::antenaOffset, ANTENA::storedSize));
    }

    for (std::size_t i = 0; i < ba2::kConverterCount; ++i)
        writeConverter(slice(ba2Area, converterOffset(i), Converter::size), model.settings.converter(i));

    const auto cleared = slice(ba2Area, ba2::kClearedOnSaveOffset, ba2::kClearedOnSaveSize);
    std::fill(cleared.begin(), cleared.end(), std::uint8_t{0});
}

void logSettingsAreaDiagnostics(ConstBytes ba2Area, LogSink& log) {
    if (ba2Area.size() < ba2::kBlockSize)
        return;
    const auto password =
        fixedText(ba2Area, ba2::kPasswordOffset, ba2::kConverterListOffset - ba2::kPasswordOffset);
    logf(log, "ba2->password=[%.*s]", len(password), password.data());
    const bool second = ba2Area.size() >= ba2::kSize;
    const auto ver2 = second ? readU32(ba2Area, ba2::kVersion2Offset) : 0u;
    const auto crc2 = second ? readU32(ba2Area, ba2::kCrc2Offset) : 0u;
    logf(log, "BA_2 ver=%X ver2=%X CRC=%X CRC2=%X", readU32(ba2Area, ba2::kVersionOffset), ver2,
         readU32(ba2Area, ba2::kCrcOffset), crc2);
    logf(log, "BA_2 obliczone-CRC=%X CRC2=%X", crc16(slice(ba2Area, 0, ba2::kCrcCoveredSize)), 0);
    const auto list = fixedText(ba2Area, ba2::kListNamesOffset, ba2::kListNameSize);
    logf(log, "listy_tem[]=%.*s", len(list), list.data());
    const auto sat = fixedText(ba2Area, satelliteOffset(0) + DB_SAT_SATELLITE::nameOffset, DB_SAT_SATELLITE::nameSize);
    logf(log, "sat[]=%.*s", len(sat), sat.data());
    const auto c0 = readConverter(slice(ba2Area, converterOffset(0), Converter::size));
    logf(log, "ba2->converterList[0].lof1=%d lof2=%d", c0.lof1, c0.lof2);
    logf(log, "sizeof(ANTENA)=%d sizeof(DB_SAT_SATELLITE)=%d", static_cast<int>(ANTENA::size),
         static_cast<int>(DB_SAT_SATELLITE::size));
}

} // namespace cs
