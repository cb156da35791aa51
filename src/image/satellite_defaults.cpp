#include "image/satellite_defaults.h"

#include <cmath>
#include <cstdio>

namespace cs {

// Positions are signed as the receiver's own table keeps them: negative means east.
const std::array<SatelliteDefault, kSatelliteEntryCount> kSatelliteDefaults = {{
    {"ALL", -90.0f}, // 0
    {"Intelsat 4", -72.0f}, // 1
    {"Eutelsat W5", -70.5f}, // 2
    {"Intelsat 7/10", -68.5f}, // 3
    {"Intelsat 704", -66.0f}, // 4
    {"Intelsat 906", -64.2f}, // 5
    {"Intelsat_902", -62.0f}, // 6
    {"Intelsat_904", -60.0f}, // 7
    {"NSS 703", -57.0f}, // 8
    {"Bonum 1", -56.0f}, // 9
    {"Insat 3E", -55.0f}, // 10
    {"Express_AM22", -53.0f}, // 11
    {"Yamal 202", -49.0f}, // 12
    {"Intelsat 12", -45.0f}, // 13
    {"Turksat", -42.0f}, // 14
    {"Express AM1", -40.0f}, // 15
    {"Hellas Sat 2", -39.0f}, // 16
    {"Paksat 1", -38.0f}, // 17
    {"Seasat", -36.0f}, // 18
    {"Intelsat 802", -33.0f}, // 19
    {"Astra 5A", -31.5f}, // 20
    {"Arabsat 2B", -30.5f}, // 21
    {"Eurobird 1", -28.5f}, // 22
    {"Astra 2A", -28.2f}, // 23
    {"Badr", -26.0f}, // 24
    {"Eurobird 2", -25.5f}, // 25
    {"Astra 1E", -23.5f}, // 26
    {"Eutelsat W6", -21.6f}, // 27
    {"Astra", -19.2f}, // 28
    {"Eutelsat W2", -16.0f}, // 29
    {"Hotbird", -13.0f}, // 30
    {"Eutelsat W2A", -10.0f}, // 31
    {"Eurobird 9", -9.0f}, // 32
    {"Eutelsat W3A", -7.0f}, // 33
    {"Sirius", -4.8f}, // 34
    {"Eutelsat W2M", -3.1f}, // 35
    {"Thor", 0.8f}, // 36
    {"Amos", 4.0f}, // 37
    {"Atlantic Bird 3", 5.0f}, // 38
    {"Nilesat", 7.0f}, // 39
    {"Atlantic Bird 2", 8.0f}, // 40
    {"Atlantic Bird 1", 12.5f}, // 41
    {"Express 4A", 14.0f}, // 42
    {"Telstar 12", 15.0f}, // 43
    {"Intelsat 901", 18.0f}, // 44
    {"NSS 7", 22.0f}, // 45
    {"Intelsat 905", 24.5f}, // 46
    {"Intelsat 907", 27.5f}, // 47
    {"Hispasat", 30.0f}, // 48
    {"Intelsat 801", 31.5f}, // 49
    {"Intelsat 903", 34.5f}, // 50
    {"NSS 10", 37.5f}, // 51
    {"NSS 806", 40.5f}, // 52
    {"Intelsat 3R", 43.0f}, // 53
    {"Intelsat 1R", 45.0f}, // 54
    {"Intelsat 705", 50.0f}, // 55
    {"Intelsat 707", 53.0f}, // 56
    {"Intelsat 805", 55.5f}, // 57
    {"Intelsat 9", 58.0f}, // 58
    {"Amazonas", 61.0f}, // 59
    {"Echostar 3", 61.5f}, // 60
    {"Estrela 1", 63.0f}, // 61
    {"StarOne C1", 65.0f}, // 62
    {"StarOne C2", 70.0f}, // 63
    {"DVB-T", 55.5f}, // 64
    {"NoName", 58.0f}, // 65
    {"DVB-T", 0.0f}, // 66
    {"DVB-C", 0.0f}, // 67
    {"NoName", 0.0f}, // 68
}};

namespace {

void defaultListNames(SettingsModel& model) {
    for (std::size_t k = 1; k <= kMaxFavouriteLists; ++k) {
        const char name = static_cast<char>('0' + k);
        model.setListName(k, std::string_view(&name, 1));
    }
}

} // namespace

void initialSatellites(SettingsModel& model) {
    constexpr std::size_t kNamed = 67;
    for (std::size_t i = 0; i < kNamed; ++i) {
        auto& sat = model.satellites[i];
        char name[16];
        std::snprintf(name, sizeof name, "NoName %d", static_cast<int>(i + 1));
        sat.setName(name);
        sat.position = 18.0f;
        sat.side = 0;
    }
    defaultListNames(model);
}

void loadSettingsDefaults(SettingsModel& model) {
    model.listCount = kMaxFavouriteLists;
    defaultListNames(model);
    for (std::size_t i = 0; i < kSatelliteEntryCount; ++i) {
        const auto& def = kSatelliteDefaults[i];
        auto& sat = model.satellites[i];
        sat.setName(def.name);
        sat.position = std::fabs(def.signedPosition);
        sat.side = def.signedPosition < 0.0f ? 1 : 0;
    }
}

} // namespace cs
