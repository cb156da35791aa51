#include "image/settings_area.h"

#include "common/crc16.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace cs {

namespace {

struct AntennaFieldInfo {
    std::string_view name;
    AntennaBits bits;
};

// Indexed by AntennaField. Byte 3 bits 4-7 and byte 7 bits 2-7 belong to no field.
constexpr std::array<AntennaFieldInfo, kAntennaFieldCount> kAntennaFields = {{
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

// A password is logged by its length only: the log is shown and saved to files a user may hand
// to anyone; the key stays so a support reader sees that one was set.
std::string hiddenPassword(std::string_view text) {
    return "[" + std::to_string(text.size()) + (text.size() == 1 ? " character]" : " characters]");
}

void logNetworkBlock(ConstBytes area, LogSink& log) {
    logIp(log, "myIP=%d.%d.%d.%d", area, settings_layout::kMyIpOffset);
    logIp(log, "myMask=%d.%d.%d.%d", area, settings_layout::kMyMaskOffset);
    logIp(log, "myGateway=%d.%d.%d.%d", area, settings_layout::kMyGatewayOffset);
    logIp(log, "myDNS1=%d.%d.%d.%d", area, settings_layout::kMyDns1Offset);
    logIp(log, "myDNS2=%d.%d.%d.%d", area, settings_layout::kMyDns2Offset);
    const auto mac = slice(area, settings_layout::kMacAddressOffset, settings_layout::kMacAddressSize);
    logf(log, "mac_address=%02x %02x %02x %02x %02x %02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    logf(log, "dchp=%d", readU8(area, settings_layout::kDhcpOffset));
    for (std::size_t i = 0; i < settings_layout::kServerCount; ++i) {
        logf(log, "%d --------------------", static_cast<int>(i));
        const auto info = fixedText(area, settings_layout::kServerInfoOffset + i * settings_layout::kServerInfoSize, settings_layout::kServerInfoSize);
        logf(log, "serverInfo=[%.*s]", len(info), info.data());
        const auto name = fixedText(area, settings_layout::kServerNameOffset + i * settings_layout::kServerNameSize, settings_layout::kServerNameSize);
        logf(log, "serverName=[%.*s]", len(name), name.data());
        const auto subdir = fixedText(area, settings_layout::kSubdirNameOffset + i * settings_layout::kSubdirNameSize, settings_layout::kSubdirNameSize);
        logf(log, "subdirName=[%.*s]", len(subdir), subdir.data());
        logIp(log, "serverAddress=%d.%d.%d.%d", area, settings_layout::kServerAddressOffset + i * 4);
        logf(log, "serverPort=[%d]", readU16(area, settings_layout::kServerPortOffset + i * 2));
        const auto user = fixedText(area, settings_layout::kUsernameOffset + i * settings_layout::kUsernameSize, settings_layout::kUsernameSize);
        logf(log, "username=[%.*s]", len(user), user.data());
        const auto pass =
            fixedText(area, settings_layout::kServerPasswordOffset + i * settings_layout::kServerPasswordSize, settings_layout::kServerPasswordSize);
        logf(log, "password=%s", hiddenPassword(pass).c_str());
    }
}

std::size_t satelliteOffset(std::size_t number) {
    return settings_layout::kSatellitesOffset + number * SatelliteRecord::size;
}

std::size_t converterOffset(std::size_t index) {
    return settings_layout::kConverterListOffset + index * Converter::size;
}

std::size_t listNameOffset(std::size_t index) {
    return settings_layout::kListNamesOffset + index * settings_layout::kListNameSize;
}

} // namespace

AntennaBits antennaBits(AntennaField field) {
    return kAntennaFields.at(static_cast<std::size_t>(field)).bits;
}

std::string_view antennaFieldName(AntennaField field) {
    return kAntennaFields.at(static_cast<std::size_t>(field)).name;
}

std::uint8_t readAntennaField(ConstBytes antenna, AntennaField field) {
    const auto bits = antennaBits(field);
    return readBits(antenna, bits.byte, bits.shift, bits.width);
}

void writeAntennaField(Bytes antenna, AntennaField field, unsigned value) {
    const auto bits = antennaBits(field);
    writeBits(antenna, bits.byte, bits.shift, bits.width, value);
}

void copyAntennaFields(ConstBytes from, Bytes to) {
    for (auto field : kAllAntennaFields)
        writeAntennaField(to, field, readAntennaField(from, field));
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

AntennaSettings WorkingSettings::antenna(std::size_t satellite) const {
    AntennaSettings a;
    const auto src = slice(bytes(), antennaOffset + satellite * AntennaSettings::size, AntennaSettings::size);
    std::copy(src.begin(), src.end(), a.bytes().begin());
    return a;
}

void WorkingSettings::setAntenna(std::size_t satellite, const AntennaSettings& antenna) {
    const auto dst = slice(bytes(), antennaOffset + satellite * AntennaSettings::size, AntennaSettings::size);
    std::copy(antenna.bytes().begin(), antenna.bytes().end(), dst.begin());
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
    const auto n = std::min(text.size(), SatelliteRecord::nameExchanged);
    std::copy_n(text.begin(), n, name.begin());
}

std::string_view SettingsModel::listName(std::size_t list) const {
    if (list < 1 || list > kMaxFavouriteLists)
        return {};
    const auto& n = listNames[list - 1];
    return fixedText(n.data(), n.size());
}

void SettingsModel::setListName(std::size_t list, std::string_view text) {
    if (list < 1 || list > kMaxFavouriteLists)
        return;
    auto& n = listNames[list - 1];
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

void loadSettings(SettingsModel& model, ConstBytes settingsArea, LogSink& log) {
    model.settings.clear();
    if (settingsArea.size() < settings_layout::kBlockSize)
        return;

    const auto stored = readU8(settingsArea, settings_layout::kListCountOffset);
    logf(log, "ilosc_list =%d", stored);
    model.listCount = favouriteListCount(stored);

    for (std::size_t i = 0; i < settings_layout::kListCount; ++i) {
        const auto src = slice(settingsArea, listNameOffset(i), settings_layout::kListNameSize);
        std::copy(src.begin(), src.end(), model.listNames[i].begin());
    }

    for (std::size_t i = 0; i < settings_layout::kSatelliteCount; ++i) {
        const auto rec = slice(settingsArea, satelliteOffset(i), SatelliteRecord::size);
        auto& sat = model.satellites[i];
        sat.name.fill('\0');
        const auto name = slice(rec, SatelliteRecord::nameOffset, SatelliteRecord::nameExchanged);
        std::copy(name.begin(), name.end(), sat.name.begin());
        sat.position = readFloat(rec, SatelliteRecord::positionOffset);
        sat.side = static_cast<std::uint8_t>((readU8(rec, SatelliteRecord::sideByte) & SatelliteRecord::sideMask) >>
                                             SatelliteRecord::sideShift);
        AntennaSettings antenna;
        copyAntennaFields(slice(rec, SatelliteRecord::antennaOffset, AntennaSettings::storedSize), antenna.bytes());
        model.settings.setAntenna(i, antenna);
        const double shown = sat.side != 0 ? -static_cast<double>(sat.position) : sat.position;
        const auto text = sat.nameView();
        logf(log, "{ 0, %c%.*s%c, %.1f }, // %d", '"', len(text), text.data(), '"', shown, static_cast<int>(i));
    }

    for (std::size_t i = 0; i < settings_layout::kConverterCount; ++i) {
        const auto c = readConverter(slice(settingsArea, converterOffset(i), Converter::size));
        model.settings.setConverter(i, c);
        const auto band = converterBandText(c.band);
        logf(log, "LNB(%d) =%d %d %d band=%d [%.*s]", static_cast<int>(i), c.lof1, c.lof2, c.threshold, c.band,
             len(band), band.data());
    }

    if (settingsArea.size() >= settings_layout::kSize)
        logNetworkBlock(settingsArea, log);
}

void storeSettings(const SettingsModel& model, Bytes settingsArea) {
    if (settingsArea.size() < settings_layout::kBlockSize)
        return;

    writeU8(settingsArea, settings_layout::kListCountOffset, model.listCount);
    for (std::size_t i = 0; i < settings_layout::kListCount; ++i) {
        const auto dst = slice(settingsArea, listNameOffset(i), settings_layout::kListNameSize);
        std::fill(dst.begin(), dst.end(), std::uint8_t{0});
        const auto name = model.listName(i + 1);
        std::copy(name.begin(), name.end(), dst.begin());
    }

    for (std::size_t i = 0; i < settings_layout::kSatelliteCount; ++i) {
        const auto rec = slice(settingsArea, satelliteOffset(i), SatelliteRecord::size);
        const auto& sat = model.satellites[i];
        const auto name = slice(rec, SatelliteRecord::nameOffset, SatelliteRecord::nameExchanged);
        std::copy_n(sat.name.begin(), SatelliteRecord::nameExchanged, name.begin());
        writeFloat(rec, SatelliteRecord::positionOffset, sat.position);
        writeBits(rec, SatelliteRecord::sideByte, SatelliteRecord::sideShift, 2, sat.side);
        copyAntennaFields(model.settings.antenna(i).bytes(),
                         slice(rec, SatelliteRecord::antennaOffset, AntennaSettings::storedSize));
    }

    for (std::size_t i = 0; i < settings_layout::kConverterCount; ++i)
        writeConverter(slice(settingsArea, converterOffset(i), Converter::size), model.settings.converter(i));

    const auto cleared = slice(settingsArea, settings_layout::kClearedOnSaveOffset, settings_layout::kClearedOnSaveSize);
    std::fill(cleared.begin(), cleared.end(), std::uint8_t{0});
}

void logSettingsAreaDiagnostics(ConstBytes settingsArea, LogSink& log) {
    if (settingsArea.size() < settings_layout::kBlockSize)
        return;
    const auto password =
        fixedText(settingsArea, settings_layout::kPasswordOffset, settings_layout::kConverterListOffset - settings_layout::kPasswordOffset);
    logf(log, "ba2->password=%s", hiddenPassword(password).c_str());
    const bool second = settingsArea.size() >= settings_layout::kSize;
    const auto ver2 = second ? readU32(settingsArea, settings_layout::kVersion2Offset) : 0u;
    const auto crc2 = second ? readU32(settingsArea, settings_layout::kCrc2Offset) : 0u;
    logf(log, "BA_2 ver=%X ver2=%X CRC=%X CRC2=%X", readU32(settingsArea, settings_layout::kVersionOffset), ver2,
         readU32(settingsArea, settings_layout::kCrcOffset), crc2);
    logf(log, "BA_2 obliczone-CRC=%X CRC2=%X", crc16(slice(settingsArea, 0, settings_layout::kCrcCoveredSize)), 0);
    const auto list = fixedText(settingsArea, settings_layout::kListNamesOffset, settings_layout::kListNameSize);
    logf(log, "listy_tem[]=%.*s", len(list), list.data());
    const auto sat = fixedText(settingsArea, satelliteOffset(0) + SatelliteRecord::nameOffset, SatelliteRecord::nameSize);
    logf(log, "sat[]=%.*s", len(sat), sat.data());
    const auto c0 = readConverter(slice(settingsArea, converterOffset(0), Converter::size));
    logf(log, "ba2->converterList[0].lof1=%d lof2=%d", c0.lof1, c0.lof2);
    logf(log, "sizeof(ANTENA)=%d sizeof(DB_SAT_SATELLITE)=%d", static_cast<int>(AntennaSettings::size),
         static_cast<int>(SatelliteRecord::size));
}

} // namespace cs
