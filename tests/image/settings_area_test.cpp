// BA_2 <-> settings model: bit fields at literal positions, conversions at open and save, the
// favourite-list count rules and the carried bytes.
#include "image/satellite_defaults.h"
#include "image/settings_area.h"

#include "fixtures/image_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace cs {
namespace {

namespace fx = cs::fixtures;

using Area = std::vector<std::uint8_t>;

// The BA_2 bytes of a built settings image.
Area settingsAreaOf(const fx::DatabaseImageBuilder& builder) {
    const auto image = builder.build();
    const auto at = builder.layout().settingsBlock();
    return Area(image.begin() + static_cast<std::ptrdiff_t>(at), image.begin() + static_cast<std::ptrdiff_t>(at + 8192));
}

SettingsModel openedModel(const Area& settingsArea, LogSink& log) {
    SettingsModel model;
    loadSettingsDefaults(model);
    loadSettings(model, settingsArea, log);
    return model;
}

// --------------------------------------------------------------------------------- AntennaSettings bits

struct AntennaCase {
    AntennaField field;
    std::size_t byte;
    std::uint8_t bitsAtMax; // the byte's value with only this field at its maximum
};

// Literal positions of every field: setting it to all ones must light exactly these bits.
constexpr std::array<AntennaCase, kAntennaFieldCount> kAntennaCases = {{
    {AntennaField::LnbKu, 0, 0x07},       {AntennaField::DiseqcModeKu, 0, 0x38}, {AntennaField::MotorModeKu, 0, 0xC0},
    {AntennaField::ToneModeKu, 1, 0x03},  {AntennaField::MotorIdKu, 1, 0xFC},    {AntennaField::PowerModeKu, 2, 0x01},
    {AntennaField::InputKu, 2, 0x02},     {AntennaField::LnbC, 2, 0x1C},         {AntennaField::DiseqcModeC, 2, 0xE0},
    {AntennaField::MotorModeC, 3, 0x03},  {AntennaField::ToneModeC, 3, 0x0C},    {AntennaField::MotorIdC, 4, 0x3F},
    {AntennaField::PowerModeC, 4, 0x40},  {AntennaField::InputC, 4, 0x80},       {AntennaField::LnbLs, 5, 0x07},
    {AntennaField::DiseqcModeLs, 5, 0x38}, {AntennaField::MotorModeLs, 5, 0xC0}, {AntennaField::ToneModeLs, 6, 0x03},
    {AntennaField::MotorIdLs, 6, 0xFC},   {AntennaField::PowerModeLs, 7, 0x01},  {AntennaField::InputLs, 7, 0x02},
}};

TEST(AntennaBits, EachFieldOwnsExactlyItsLiteralBits) {
    for (const auto& c : kAntennaCases) {
        SCOPED_TRACE(std::string(antennaFieldName(c.field)));
        std::array<std::uint8_t, 8> zeros{};
        writeAntennaField(zeros, c.field, 0xFF);
        for (std::size_t b = 0; b < 8; ++b)
            EXPECT_EQ(zeros[b], b == c.byte ? c.bitsAtMax : 0) << "byte " << b;

        std::array<std::uint8_t, 8> ones;
        ones.fill(0xFF);
        writeAntennaField(ones, c.field, 0);
        for (std::size_t b = 0; b < 8; ++b)
            EXPECT_EQ(ones[b], b == c.byte ? static_cast<std::uint8_t>(~c.bitsAtMax) : 0xFF) << "byte " << b;
    }
}

TEST(AntennaBits, ReadsWhatTheIndependentEncoderWrote) {
    fx::AntennaFields f;
    f.lnbKu = 5; f.diseqcModeKu = 4; f.motorModeKu = 3; f.toneModeKu = 2; f.motorIdKu = 45; f.powerModeKu = 1; f.inputKu = 0;
    f.lnbC = 6; f.diseqcModeC = 2; f.motorModeC = 1; f.toneModeC = 3; f.motorIdC = 17; f.powerModeC = 0; f.inputC = 1;
    f.lnbLs = 1; f.diseqcModeLs = 7; f.motorModeLs = 2; f.toneModeLs = 1; f.motorIdLs = 63; f.powerModeLs = 1; f.inputLs = 1;
    f.carried3 = 0xA;
    f.carried7 = 0x2B;
    const auto bytes = fx::encodeAntenna(f);
    const std::array<std::uint8_t, kAntennaFieldCount> expected = {5, 4, 3, 2, 45, 1, 0, 6, 2, 1, 3, 17, 0, 1,
                                                                   1, 7, 2, 1, 63, 1, 1};
    for (std::size_t i = 0; i < kAntennaFieldCount; ++i)
        EXPECT_EQ(readAntennaField(bytes, kAllAntennaFields[i]), expected[i]) << antennaFieldName(kAllAntennaFields[i]);

    // Copying the fields into a record full of ones keeps the bits that belong to no field.
    std::array<std::uint8_t, 8> target;
    target.fill(0xFF);
    copyAntennaFields(bytes, target);
    EXPECT_EQ(target[3] >> 4, 0xF);
    EXPECT_EQ(target[7] >> 2, 0x3F);
    for (auto field : kAllAntennaFields)
        EXPECT_EQ(readAntennaField(target, field), readAntennaField(bytes, field));
}

TEST(AntennaBits, ValuesAreMaskedToTheFieldWidth) {
    AntennaSettings a;
    a.set(AntennaField::LnbKu, 9);        // 3 bits: 9 -> 1, must not spill into DiseqcModeKu
    a.set(AntennaField::PowerModeC, 2);   // 1 bit: 2 -> 0, must not touch InputC
    EXPECT_EQ(a.get(AntennaField::LnbKu), 1);
    EXPECT_EQ(a.get(AntennaField::DiseqcModeKu), 0);
    EXPECT_EQ(a.get(AntennaField::PowerModeC), 0);
    EXPECT_EQ(a.get(AntennaField::InputC), 0);
}

// --------------------------------------------------------------------------------- load

fx::SatelliteFields astra() {
    fx::SatelliteFields s;
    s.name = "Astra";
    s.position = 19.2f;
    s.side = 1;
    s.byte2Other = 0xC5;
    s.head = {0x12, 0x34};
    s.byte3 = 0x56;
    s.antenna.lnbKu = 3;
    s.antenna.diseqcModeKu = 2;
    s.antenna.motorModeC = 3;
    s.antenna.motorIdLs = 40;
    s.antenna.inputLs = 1;
    s.antenna.carried3 = 0x9;
    s.antenna.carried7 = 0x15;
    return s;
}

fx::DatabaseImageBuilder richSettingsImage() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.fillCarried(0x5eed);
    b.defaultSatellites();
    b.satellite(28, astra());
    fx::SatelliteFields west;
    west.name = "Hispasat";
    west.position = 30.0f;
    west.side = 0;
    b.satellite(48, west);
    b.converter(0, {9750, 10600, 11700, 0, 0x77});
    b.converter(3, {5150, 5750, 0, 1, 0x01});
    b.converter(7, {10750, 11250, 12000, 9, 0xAB});
    b.listCount(3);
    b.listName(1, "Sport");
    b.listName(2, "News channels"); // 13 characters: only 12 fit
    b.listName(3, "Films");
    b.password("4711");
    b.settingsVersion(0x00020105);
    // Bytes 2048..2055 are rewritten as zero on every save; start from zero so that a faithful
    // load/store reproduces the area exactly.
    const std::array<std::uint8_t, 8> zero{};
    b.pokeSettingsArea(2048, zero);
    return b;
}

TEST(LoadSettings, ConvertsSatellitesConvertersAndLists) {
    const auto area = settingsAreaOf(richSettingsImage());
    MemoryLog log;
    const auto model = openedModel(area, log);

    EXPECT_EQ(model.listCount, 3);
    EXPECT_EQ(model.listName(1), "Sport");
    EXPECT_EQ(model.listName(2), "News channel");
    EXPECT_EQ(model.listName(3), "Films");
    EXPECT_EQ(model.listName(4), "");

    const auto& sat = model.satellites[28];
    EXPECT_EQ(sat.nameView(), "Astra");
    EXPECT_FLOAT_EQ(sat.position, 19.2f);
    EXPECT_EQ(sat.side, 1);
    EXPECT_EQ(model.satellites[48].nameView(), "Hispasat");
    EXPECT_EQ(model.satellites[48].side, 0);

    const auto antenna = model.settings.antenna(28);
    EXPECT_EQ(antenna.get(AntennaField::LnbKu), 3);
    EXPECT_EQ(antenna.get(AntennaField::DiseqcModeKu), 2);
    EXPECT_EQ(antenna.get(AntennaField::MotorModeC), 3);
    EXPECT_EQ(antenna.get(AntennaField::MotorIdLs), 40);
    EXPECT_EQ(antenna.get(AntennaField::InputLs), 1);
    // Bits outside the fields are not part of the working record.
    EXPECT_EQ(antenna.bytes()[3] >> 4, 0);
    EXPECT_EQ(antenna.bytes()[7] >> 2, 0);

    EXPECT_EQ(model.settings.converter(0), (Converter{9750, 10600, 11700, 0}));
    EXPECT_EQ(model.settings.converter(3), (Converter{5150, 5750, 0, 1}));
    EXPECT_EQ(model.settings.converter(7), (Converter{10750, 11250, 12000, 9}));
    // The carried byte of a converter stays in the image only.
    EXPECT_EQ(model.settings.bytes()[WorkingSettings::converterListOffset + 7], 0);

    // Entries 64..68 exist only in the editor and keep their defaults.
    EXPECT_EQ(model.satellites[67].nameView(), "DVB-C");

    EXPECT_TRUE(log.contains("ilosc_list =3"));
    EXPECT_TRUE(log.contains("{ 0, \"Astra\", -19.2 }, // 28"));
    EXPECT_TRUE(log.contains("{ 0, \"Hispasat\", 30.0 }, // 48"));
    EXPECT_TRUE(log.contains("LNB(0) =9750 10600 11700 band=0 [Ku]"));
    EXPECT_TRUE(log.contains("LNB(3) =5150 5750 0 band=1 [C1]"));
    EXPECT_TRUE(log.contains("LNB(7) =10750 11250 12000 band=9 []"));
}

TEST(LoadSettings, LogsTheNetworkBlock) {
    auto b = richSettingsImage();
    std::array<std::uint8_t, 4> ip;
    fx::putU32(ip, 0, 0xC0A80117); // 192.168.1.23
    b.pokeSettingsArea(4128, ip);
    const std::array<std::uint8_t, 7> macAndDhcp = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0xfe, 1};
    b.pokeSettingsArea(4148, macAndDhcp);
    const std::string server = "media";
    b.pokeSettingsArea(4668 + 2 * 64, std::span(reinterpret_cast<const std::uint8_t*>(server.data()), server.size() + 1));
    std::array<std::uint8_t, 2> port;
    fx::putU16(port, 0, 2049);
    b.pokeSettingsArea(6780 + 2 * 2, port);
    // A user name without terminator must stop at its 16-byte field.
    std::array<std::uint8_t, 16> user;
    user.fill('u');
    b.pokeSettingsArea(6812 + 15 * 16, user);
    // A server password is logged by its length only, under its key.
    const std::string secret = "s3cret";
    b.pokeSettingsArea(7068 + 2 * 16, std::span(reinterpret_cast<const std::uint8_t*>(secret.data()), secret.size() + 1));

    MemoryLog log;
    openedModel(settingsAreaOf(b), log);
    EXPECT_TRUE(log.contains("password=[6 characters]"));
    for (const std::string& line : log.lines())
        EXPECT_EQ(line.find(secret), std::string::npos) << line;
    EXPECT_TRUE(log.contains("myIP=192.168.1.23"));
    EXPECT_TRUE(log.contains("mac_address=00 1a 2b 3c 4d fe"));
    EXPECT_TRUE(log.contains("dchp=1"));
    EXPECT_TRUE(log.contains("serverName=[media]"));
    EXPECT_TRUE(log.contains("serverPort=[2049]"));
    EXPECT_TRUE(log.contains("username=[" + std::string(16, 'u') + "]"));
    EXPECT_TRUE(log.contains("15 --------------------"));
}

TEST(LoadSettings, WithoutSettingsAreaKeepsDefaultsAndClearsTheWorkingRecord) {
    SettingsModel model;
    model.settings.setParentalCode(1234);
    model.settings.setConverter(2, {1, 2, 3, 1});
    loadSettingsDefaults(model);
    MemoryLog log;
    loadSettings(model, {}, log);

    EXPECT_EQ(model.settings, WorkingSettings{});
    EXPECT_EQ(model.listCount, 8);
    EXPECT_EQ(model.satellites[28].nameView(), "Astra");
    EXPECT_FLOAT_EQ(model.satellites[28].position, 19.2f);
    EXPECT_EQ(model.satellites[28].side, 1);
    EXPECT_TRUE(log.lines().empty());
}

TEST(LoadSettings, OpeningAgainReplacesEditorOnlySettings) {
    const auto area = settingsAreaOf(richSettingsImage());
    NullLog log;
    SettingsModel model;
    loadSettingsDefaults(model);
    loadSettings(model, area, log);
    model.settings.setTimeZone(-5);
    model.settings.setReceiverSetting(ReceiverSetting::widescreen, 1);
    loadSettingsDefaults(model);
    loadSettings(model, area, log);
    EXPECT_EQ(model.settings.timeZone(), 0);
    EXPECT_EQ(model.settings.receiverSetting(ReceiverSetting::widescreen), 0u);
}

// --------------------------------------------------------------------------------- list count

TEST(FavouriteListCount, NineMeansOneAndNothingIndexesPastEightNames) {
    struct Case {
        std::uint8_t stored;
        std::uint8_t count;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {5, 5}, {8, 8}, {9, 1}, {10, 8}, {200, 8}, {255, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.stored));
        auto b = richSettingsImage();
        b.listCount(c.stored);
        MemoryLog log;
        const auto model = openedModel(settingsAreaOf(b), log);
        EXPECT_EQ(model.listCount, c.count);
        // The stored value itself is what the log shows.
        EXPECT_TRUE(log.contains("ilosc_list =" + std::to_string(c.stored)));
    }
}

TEST(FavouriteListCount, StoredNineIsSavedAsOne) {
    auto b = richSettingsImage();
    b.listCount(9);
    auto area = settingsAreaOf(b);
    NullLog log;
    const auto model = openedModel(area, log);
    storeSettings(model, area);
    EXPECT_EQ(area[2154], 1);
}

// --------------------------------------------------------------------------------- store

TEST(StoreSettings, LoadThenStoreReproducesTheArea) {
    const auto original = settingsAreaOf(richSettingsImage());
    NullLog log;
    const auto model = openedModel(original, log);
    auto saved = original;
    storeSettings(model, saved);
    EXPECT_EQ(saved, original);

    // Also over a zeroed target: every exchanged field is written, the carried bytes are not.
    Area blank(original.size(), 0);
    storeSettings(model, blank);
    EXPECT_EQ(blank[2154], 3);
    EXPECT_EQ(fx::getU32(blank, 28 * 32 + 20), fx::getU32(original, 28 * 32 + 20));
    EXPECT_EQ(blank[28 * 32 + 2], 0x10);              // side bits only
    EXPECT_EQ(blank[28 * 32 + 1], 0);                 // carried bytes stay untouched
    EXPECT_EQ(fx::getU16(blank, 3518 + 3 * 8), 5150); // converter 3 lof1
    EXPECT_EQ(blank[3518 + 7 * 8 + 7], 0);            // converter's carried byte
    EXPECT_EQ(fx::getU32(blank, 4088), 0u);           // version word is never written
}

TEST(StoreSettings, WritesEditsAndKeepsNeighbouringBits) {
    auto original = settingsAreaOf(richSettingsImage());
    NullLog log;
    auto model = openedModel(original, log);

    auto& sat = model.satellites[28];
    sat.side = 0;
    sat.position = 23.5f;
    sat.setName("Astra 3B");
    auto antenna = model.settings.antenna(28);
    antenna.set(AntennaField::MotorModeKu, 3);
    antenna.set(AntennaField::InputLs, 0);
    model.settings.setAntenna(28, antenna);
    model.settings.setConverter(4, {9750, 10750, 11800, 3});
    model.listCount = 2;
    model.setListName(2, "Kids");

    auto saved = original;
    storeSettings(model, saved);

    const std::size_t rec = 28 * 32;
    EXPECT_EQ(saved[rec + 2], 0xC5);                     // side cleared, other bits of byte 2 kept
    float position;
    const auto raw = fx::getU32(saved, rec + 20);
    std::memcpy(&position, &raw, 4);
    EXPECT_FLOAT_EQ(position, 23.5f);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&saved[rec + 4])), "Astra 3B");
    EXPECT_EQ((saved[rec + 24] >> 6) & 3, 3);            // MotorModeKu at byte 0 bits 6-7
    EXPECT_EQ((saved[rec + 31] >> 1) & 1, 0);            // InputLs at byte 7 bit 1
    EXPECT_EQ(saved[rec + 27] >> 4, 0x9);                // carried AntennaSettings bits survive
    EXPECT_EQ(saved[rec + 31] >> 2, 0x15);
    EXPECT_EQ(fx::getU16(saved, 3518 + 4 * 8 + 2), 10750);
    EXPECT_EQ(saved[3518 + 4 * 8 + 6], 3);
    EXPECT_EQ(saved[2154], 2);
    // "Kids" then NUL up to the 12 bytes of the name; the next name is untouched.
    const std::array<std::uint8_t, 12> kids = {'K', 'i', 'd', 's', 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(kids.begin(), kids.end(), saved.begin() + 2058 + 12));
    EXPECT_EQ(saved[2058 + 24], 'F');

    // Everything outside the edited records is as it was.
    const auto edited = [=](std::size_t i) {
        return (i >= rec && i < rec + 32) || (i >= 3518 + 32 && i < 3518 + 40) || i == 2154 ||
               (i >= 2058 + 12 && i < 2058 + 24);
    };
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (!edited(i)) {
            ASSERT_EQ(saved[i], original[i]) << "offset " << i;
        }
    }
}

TEST(StoreSettings, SixteenCharacterNameKeepsItsLastByte) {
    auto b = richSettingsImage();
    fx::SatelliteFields s = astra();
    s.name = "ABCDEFGHIJKLMNOP";
    b.satellite(5, s);
    auto area = settingsAreaOf(b);
    NullLog log;
    auto model = openedModel(area, log);
    EXPECT_EQ(model.satellites[5].nameView(), "ABCDEFGHIJKLMNO");

    storeSettings(model, area);
    EXPECT_EQ(area[5 * 32 + 4 + 15], 'P');

    model.satellites[5].setName("Short");
    storeSettings(model, area);
    const std::array<std::uint8_t, 16> expected = {'S', 'h', 'o', 'r', 't', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'P'};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), area.begin() + 5 * 32 + 4));
}

TEST(StoreSettings, ClearsTheEightBytesAt2048AndLeavesAnAbsentAreaAlone) {
    auto b = richSettingsImage();
    const std::array<std::uint8_t, 10> junk = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    b.pokeSettingsArea(2048, junk);
    auto area = settingsAreaOf(b);
    NullLog log;
    const auto model = openedModel(area, log);
    storeSettings(model, area);
    for (std::size_t i = 2048; i < 2056; ++i)
        EXPECT_EQ(area[i], 0) << i;
    EXPECT_EQ(area[2056], 9);
    EXPECT_EQ(area[2057], 10);

    storeSettings(model, {}); // no BA_2: nothing to write, no crash
}

TEST(StoreSettings, NamesLongerThanTheirFieldsAreCut) {
    SettingsModel model;
    model.satellites[0].setName("A very long satellite name");
    model.setListName(1, "Thirteen char");
    EXPECT_EQ(model.satellites[0].nameView(), "A very long sat");
    EXPECT_EQ(model.listName(1), "Thirteen cha");
    model.setListName(9, "none"); // ignored: there is no list 9
    EXPECT_EQ(model.listName(9), "");
}

// --------------------------------------------------------------------------------- diagnostics

TEST(SettingsDiagnostics, LogsPasswordVersionCrcsAndFirstEntries) {
    auto b = richSettingsImage();
    const auto image = b.build();
    const auto at = b.layout().settingsBlock();
    const Area area(image.begin() + static_cast<std::ptrdiff_t>(at), image.begin() + static_cast<std::ptrdiff_t>(at + 8192));
    MemoryLog log;
    logSettingsAreaDiagnostics(area, log);

    const auto computed = fx::crc16Bitwise(std::span(area).first(4092));
    char expected[64];
    std::snprintf(expected, sizeof expected, "BA_2 obliczone-CRC=%X CRC2=0", computed);
    EXPECT_TRUE(log.contains("ba2->password=[4 characters]"));
    for (const std::string& line : log.lines())
        EXPECT_EQ(line.find("4711"), std::string::npos) << "the receiver password is never logged: " << line;
    EXPECT_TRUE(log.contains(expected));
    std::snprintf(expected, sizeof expected, "BA_2 ver=20105 ver2=%X CRC=%X CRC2=%X", fx::getU32(area, 8184),
                  static_cast<unsigned>(computed), fx::getU32(area, 8188));
    EXPECT_TRUE(log.contains(expected));
    EXPECT_TRUE(log.contains("listy_tem[]=Sport"));
    EXPECT_TRUE(log.contains("sat[]=ALL"));
    EXPECT_TRUE(log.contains("ba2->converterList[0].lof1=9750 lof2=10600"));
    EXPECT_TRUE(log.contains("sizeof(ANTENA)=24 sizeof(DB_SAT_SATELLITE)=32"));
}

// --------------------------------------------------------------------------------- working record

TEST(WorkingSettings, ReceiverSettingsTravelWithTheIndividualSettingsBlock) {
    WorkingSettings w;
    w.setReceiverSetting(ReceiverSetting::infoWindowTime, 10);
    w.setReceiverSetting(ReceiverSetting::positionerScreen, 1);
    w.setReceiverSetting(ReceiverSetting::rgbContrast, 2);
    w.setReceiverSetting(ReceiverSetting::startChannelOn, 1);
    w.setReceiverSetting(ReceiverSetting::logoAfterStart, 1);
    w.setReceiverSetting(ReceiverSetting::digitalSound, 0);
    w.setReceiverSetting(ReceiverSetting::widescreen, 1);
    w.setReceiverSetting(ReceiverSetting::startList, 7);
    w.setReceiverSetting(ReceiverSetting::hemisphere, 1);
    w.setReceiverSetting(ReceiverSetting::clockOn, 1);
    w.setStartChannel(-1);
    w.setModulatorFrequency(854);
    w.setGeographicPosition(19.2f);
    w.setTimeZone(-12);
    w.setParentalCode(-1);
    w.setReceiverSetting(ReceiverSetting::rgbContrast, 7); // masked to 2 bits: 3

    // An import of the individual settings copies exactly this block; every value must come along.
    WorkingSettings copy;
    const auto from = w.bytes().subspan(WorkingSettings::individualSettingsOffset, WorkingSettings::individualSettingsSize);
    std::copy(from.begin(), from.end(), copy.bytes().begin() + WorkingSettings::individualSettingsOffset);
    EXPECT_EQ(copy, w);

    EXPECT_EQ(copy.receiverSetting(ReceiverSetting::infoWindowTime), 10u);
    EXPECT_EQ(copy.receiverSetting(ReceiverSetting::rgbContrast), 3u);
    EXPECT_EQ(copy.receiverSetting(ReceiverSetting::digitalSound), 0u);
    EXPECT_EQ(copy.receiverSetting(ReceiverSetting::startList), 7u);
    EXPECT_EQ(copy.receiverSetting(ReceiverSetting::clockOn), 1u);
    EXPECT_EQ(copy.startChannel(), -1);
    EXPECT_EQ(copy.modulatorFrequency(), 854);
    EXPECT_FLOAT_EQ(copy.geographicPosition(), 19.2f);
    EXPECT_EQ(copy.timeZone(), -12);
    EXPECT_EQ(copy.parentalCode(), -1);
    // Converters and antenna records are outside that block.
    EXPECT_EQ(copy.converter(0), Converter{});
}

} // namespace
} // namespace cs
