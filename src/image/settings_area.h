#pragma once
// BA_2, the receiver's settings area inside CONFIG, and the editor's model of the parts it edits:
// satellites, favourite-list names and count, converters and the antenna switching per satellite.
// The model is filled from BA_2 at open and written back into it at save; every byte of BA_2 the
// editor does not understand keeps the image's value.
#include "common/byte_order.h"
#include "common/log_sink.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cs {

// Byte layout of BA_2: two 4096-byte blocks, offsets from the start of BA_2.
namespace settings_layout {
inline constexpr std::size_t kBlockSize = 4096;
inline constexpr std::size_t kSize = 2 * kBlockSize;

inline constexpr std::size_t kSatellitesOffset = 0;          // 64 x SatelliteRecord
inline constexpr std::size_t kSatelliteCount = 64;
inline constexpr std::size_t kClearedOnSaveOffset = 2048;    // 8 bytes written as zero
inline constexpr std::size_t kClearedOnSaveSize = 8;
inline constexpr std::size_t kListNamesOffset = 2058;        // listNames: 8 x 12 bytes
inline constexpr std::size_t kListNameSize = 12;
inline constexpr std::size_t kListCount = 8;
inline constexpr std::size_t kListCountOffset = 2154;        // listCount (one byte)
inline constexpr std::size_t kPasswordOffset = 2772;         // NUL-terminated text, only logged
inline constexpr std::size_t kConverterListOffset = 3518;    // converterList: 8 x 8 bytes
inline constexpr std::size_t kConverterCount = 8;
inline constexpr std::size_t kVersionOffset = 4088;          // "ver" (u32)
inline constexpr std::size_t kCrcOffset = 4092;              // CRC-16 stored as u32
inline constexpr std::size_t kCrcCoveredSize = 4092;         // CRC runs over bytes 0..4091

// Second block: network settings, read only for the log.
inline constexpr std::size_t kMyIpOffset = 4128;             // IPv4, most significant byte first
inline constexpr std::size_t kMyMaskOffset = 4132;
inline constexpr std::size_t kMyGatewayOffset = 4136;
inline constexpr std::size_t kMyDns1Offset = 4140;
inline constexpr std::size_t kMyDns2Offset = 4144;
inline constexpr std::size_t kMacAddressOffset = 4148;       // 6 bytes in display order
inline constexpr std::size_t kMacAddressSize = 6;
inline constexpr std::size_t kDhcpOffset = 4154;
inline constexpr std::size_t kServerCount = 16;
inline constexpr std::size_t kServerInfoOffset = 4156;       // 16 x 32
inline constexpr std::size_t kServerInfoSize = 32;
inline constexpr std::size_t kServerNameOffset = 4668;       // 16 x 64
inline constexpr std::size_t kServerNameSize = 64;
inline constexpr std::size_t kSubdirNameOffset = 5692;       // 16 x 64
inline constexpr std::size_t kSubdirNameSize = 64;
inline constexpr std::size_t kServerAddressOffset = 6716;    // 16 x IPv4
inline constexpr std::size_t kServerPortOffset = 6780;       // 16 x u16
inline constexpr std::size_t kUsernameOffset = 6812;         // 16 x 16
inline constexpr std::size_t kUsernameSize = 16;
inline constexpr std::size_t kServerPasswordOffset = 7068;   // 16 x 16
inline constexpr std::size_t kServerPasswordSize = 16;
inline constexpr std::size_t kVersion2Offset = 8184;         // "ver2"
inline constexpr std::size_t kCrc2Offset = 8188;             // "CRC2", neither checked nor refreshed
} // namespace settings_layout

// One satellite of BA_2 (32 bytes). Offsets within the record.
struct SatelliteRecord {
    static constexpr std::size_t size = 32;
    static constexpr std::size_t sideByte = 2;              // bits 4-5 orbit side, rest carried
    static constexpr std::uint8_t sideMask = 0x30;
    static constexpr unsigned sideShift = 4;
    static constexpr std::size_t nameOffset = 4;
    static constexpr std::size_t nameSize = 16;
    static constexpr std::size_t nameExchanged = 15;        // the 16th byte keeps the image's value
    static constexpr std::size_t positionOffset = 20;       // IEEE single, degrees
    static constexpr std::size_t antennaOffset = 24;         // the 8 AntennaSettings bytes
};

// The 21 antenna-switching fields, per band: Ku (_ku), C (_c) and L/S (_ls).
enum class AntennaField : std::uint8_t {
    LnbKu, DiseqcModeKu, MotorModeKu, ToneModeKu, MotorIdKu, PowerModeKu, InputKu,
    LnbC, DiseqcModeC, MotorModeC, ToneModeC, MotorIdC, PowerModeC, InputC,
    LnbLs, DiseqcModeLs, MotorModeLs, ToneModeLs, MotorIdLs, PowerModeLs, InputLs,
};
inline constexpr std::size_t kAntennaFieldCount = 21;

// Where a field lies in the 8 stored AntennaSettings bytes (bit 0 = least significant).
struct AntennaBits {
    std::uint8_t byte;
    std::uint8_t shift;
    std::uint8_t width;
};
AntennaBits antennaBits(AntennaField field);
std::string_view antennaFieldName(AntennaField field); // "lnb_ku", ...
inline constexpr std::array<AntennaField, kAntennaFieldCount> kAllAntennaFields = {
    AntennaField::LnbKu, AntennaField::DiseqcModeKu, AntennaField::MotorModeKu, AntennaField::ToneModeKu,
    AntennaField::MotorIdKu, AntennaField::PowerModeKu, AntennaField::InputKu,
    AntennaField::LnbC, AntennaField::DiseqcModeC, AntennaField::MotorModeC, AntennaField::ToneModeC,
    AntennaField::MotorIdC, AntennaField::PowerModeC, AntennaField::InputC,
    AntennaField::LnbLs, AntennaField::DiseqcModeLs, AntennaField::MotorModeLs, AntennaField::ToneModeLs,
    AntennaField::MotorIdLs, AntennaField::PowerModeLs, AntennaField::InputLs,
};

// Field access over any span that starts with the 8 AntennaSettings bytes (image or working record).
std::uint8_t readAntennaField(ConstBytes antenna, AntennaField field);
void writeAntennaField(Bytes antenna, AntennaField field, unsigned value); // masked to the field width
// Copies the 21 fields from one AntennaSettings to another; bits outside the fields keep the target's value.
void copyAntennaFields(ConstBytes from, Bytes to);

// A satellite's antenna record of the working settings: 24 bytes, the first 8 are the stored
// bit fields, the other 16 never reach the image.
class AntennaSettings {
public:
    static constexpr std::size_t size = 24;
    static constexpr std::size_t storedSize = 8;

    std::uint8_t get(AntennaField field) const { return readAntennaField(bytes_, field); }
    void set(AntennaField field, unsigned value) { writeAntennaField(bytes_, field, value); }
    Bytes bytes() { return bytes_; }
    ConstBytes bytes() const { return bytes_; }
    bool operator==(const AntennaSettings&) const = default;

private:
    std::array<std::uint8_t, size> bytes_{};
};

// One converter (LNB) of converterList; 8 bytes in the image and in the working record.
struct Converter {
    static constexpr std::size_t size = 8;
    static constexpr std::size_t lof1Offset = 0;       // u16, MHz
    static constexpr std::size_t lof2Offset = 2;       // u16, MHz
    static constexpr std::size_t thresholdOffset = 4;  // u16, MHz
    static constexpr std::size_t bandOffset = 6;       // 0 Ku, 1 C1, 2 C2, 3 L/S; byte 7 carried

    std::uint16_t lof1 = 0;
    std::uint16_t lof2 = 0;
    std::uint16_t threshold = 0;
    std::uint8_t band = 0;
    bool operator==(const Converter&) const = default;
};
// "Ku", "C1", "C2", "L/S"; empty for any other code.
std::string_view converterBandText(unsigned band);
Converter readConverter(ConstBytes record);
void writeConverter(Bytes record, const Converter& converter); // leaves byte 7 as it is

// Fields of the working settings record edited by the receiver-settings, clock and parental-lock
// pages. They live in the record's individual-settings block and never reach the image.
enum class ReceiverSetting : std::uint8_t {
    infoWindowTime,   // 8 bits, seconds 0..10
    positionerScreen, // 1 bit
    rgbContrast,      // 2 bits, stored as 3 - list position
    startChannelOn,   // 1 bit
    logoAfterStart,   // 1 bit
    digitalSound,     // 1 bit
    widescreen,       // 1 bit
    startList,        // 4 bits, favourite list of the start channel
    hemisphere,       // 1 bit, set = west
    clockOn,          // 1 bit
};

// The 4096-byte working settings record. Its offsets are shared with the receiver-settings
// component of import files, which copies byte ranges of the same layout.
class WorkingSettings {
public:
    static constexpr std::size_t size = 4096;
    static constexpr std::size_t converterListOffset = 0;         // 8 x Converter
    static constexpr std::size_t antennaOffset = 64;               // 64 x AntennaSettings
    static constexpr std::size_t antennaCount = 64;
    static constexpr std::size_t individualSettingsOffset = 1720; // 24 bytes
    static constexpr std::size_t individualSettingsSize = 24;
    static constexpr std::size_t infoWindowTimeOffset = 1720;     // u8
    static constexpr std::size_t flagsOffset = 1721;              // bit fields, see ReceiverSetting
    static constexpr std::size_t startListOffset = 1722;          // bits 0-3
    static constexpr std::size_t flags2Offset = 1723;             // bit 0 hemisphere, bit 1 clock on
    static constexpr std::size_t startChannelOffset = 1724;       // i16, -1 none
    static constexpr std::size_t modulatorFrequencyOffset = 1726; // u16, whole MHz
    static constexpr std::size_t geographicPositionOffset = 1728; // IEEE single, degrees
    static constexpr std::size_t timeZoneOffset = 1732;           // i32, hours -12..12
    static constexpr std::size_t parentalCodeOffset = 1736;       // i16
    static constexpr std::size_t colourProfilesOffset = 2816;     // 4 x 64 bytes
    static constexpr std::size_t colourProfileSize = 64;
    static constexpr std::size_t colourProfileCount = 4;

    Converter converter(std::size_t index) const;                 // index 0..7
    void setConverter(std::size_t index, const Converter& converter);
    AntennaSettings antenna(std::size_t satellite) const;                    // satellite 0..63
    void setAntenna(std::size_t satellite, const AntennaSettings& antenna);

    unsigned receiverSetting(ReceiverSetting setting) const;
    void setReceiverSetting(ReceiverSetting setting, unsigned value); // masked to the field width
    std::int16_t startChannel() const;
    void setStartChannel(std::int16_t channel);
    std::uint16_t modulatorFrequency() const;
    void setModulatorFrequency(std::uint16_t mhz);
    float geographicPosition() const;
    void setGeographicPosition(float degrees);
    std::int32_t timeZone() const;
    void setTimeZone(std::int32_t hours);
    std::int16_t parentalCode() const;
    void setParentalCode(std::int16_t code);

    void clear() { bytes_.fill(0); }
    Bytes bytes() { return bytes_; }
    ConstBytes bytes() const { return bytes_; }
    bool operator==(const WorkingSettings&) const = default;

private:
    std::array<std::uint8_t, size> bytes_{};
};

// The editor's satellite table: 69 entries, 0..63 mirror BA_2, 64..68 exist only in the editor.
inline constexpr std::size_t kSatelliteEntryCount = 69;

struct SatelliteEntry {
    std::array<char, 16> name{};  // NUL-terminated
    std::uint8_t side = 0;        // orbit side, 2 bits: 0 west, 1 east
    float position = 0.0f;        // degrees, non-negative

    std::string_view nameView() const;        // up to the first NUL
    void setName(std::string_view text);      // at most 15 characters, NUL-padded
    bool operator==(const SatelliteEntry&) const = default;
};

inline constexpr std::size_t kMaxFavouriteLists = 8;

// Everything the editor keeps from BA_2, plus the editor-only working settings.
struct SettingsModel {
    std::array<SatelliteEntry, kSatelliteEntryCount> satellites{};
    std::uint8_t listCount = 0;                                  // number of favourite lists, 0..8
    std::array<std::array<char, settings_layout::kListNameSize>, kMaxFavouriteLists> listNames{}; // lists 1..8
    WorkingSettings settings;

    std::string_view listName(std::size_t list) const;            // list 1..8; "" otherwise
    void setListName(std::size_t list, std::string_view text);    // at most 12 characters
};

// The favourite-list count a stored listCount stands for: 9 is read as 1, and nothing above the
// 8 names that exist is ever returned.
std::uint8_t favouriteListCount(std::uint8_t stored);

// Open: zero the working settings record and, when BA_2 is present (a span of settings_layout::kSize bytes;
// an empty span means absent), convert it into the model and log what was read. The satellites
// and lists keep their defaults when BA_2 is absent.
void loadSettings(SettingsModel& model, ConstBytes settingsArea, LogSink& log);

// Save: write the model into BA_2 (a span of at least one block); only the fields the editor
// owns change.
void storeSettings(const SettingsModel& model, Bytes settingsArea);

// The BA_2 lines of the open log: password, version and CRC words, first list and satellite
// name, first converter, record sizes.
void logSettingsAreaDiagnostics(ConstBytes settingsArea, LogSink& log);

} // namespace cs
