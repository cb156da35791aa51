#pragma once
// The groups of the receiver's settings, each shown as one icon of the main window's settings
// list and edited on one page of the properties dialog. The numbers are the icons' own and skip 4.

namespace cs {

enum class SettingsGroup : int {
    Receiver = 0,
    Satellites = 1,
    Clock = 2,
    ParentalLock = 3,
    Converters = 5,
    Transponders = 6,
    Internet = 7,  // an icon without a page: it opens the home page
};

} // namespace cs
