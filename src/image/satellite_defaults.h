#pragma once
// The built-in satellite table and the favourite-list defaults the model starts from.
#include "image/settings_area.h"

#include <array>
#include <string_view>

namespace cs {

struct SatelliteDefault {
    std::string_view name;
    float signedPosition; // degrees, negative = east
};

// Entries 0..68 as the editor ships them.
extern const std::array<SatelliteDefault, kSatelliteEntryCount> kSatelliteDefaults;

// Program start: satellites 0..66 "NoName 1".."NoName 67" at 18.0 degrees west, lists "1".."8".
void initialSatellites(SettingsModel& model);

// Every open, before BA_2 is read: 8 lists named "1".."8" and the built-in satellites.
void loadSettingsDefaults(SettingsModel& model);

} // namespace cs
