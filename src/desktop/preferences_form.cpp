#include "desktop/preferences_form.h"

#include <algorithm>

#include "link/port_list.h"
#include "settings/stored_settings.h"

namespace cs::desktop {

namespace flags = settings_flags;

std::int32_t preferenceFlagsMask() {
    return flags::kCloseEndsProgram | flags::kMultipleInstances | flags::kDragDropDisabled | flags::kNoDatabaseAtStart |
           flags::kStartAtLogon;
}

PreferenceBoxes boxesFromFlags(std::int32_t f) {
    PreferenceBoxes b;
    b.closeEndsProgram = (f & flags::kCloseEndsProgram) != 0;
    b.multipleInstances = (f & flags::kMultipleInstances) != 0;
    b.dragDropDisabled = (f & flags::kDragDropDisabled) != 0;
    b.noDatabaseAtStart = (f & flags::kNoDatabaseAtStart) != 0;
    b.startAtLogon = (f & flags::kStartAtLogon) != 0;
    return b;
}

std::int32_t flagsWithBoxes(std::int32_t f, const PreferenceBoxes& b) {
    std::int32_t out = f & ~preferenceFlagsMask();
    if (b.closeEndsProgram)
        out |= flags::kCloseEndsProgram;
    if (b.multipleInstances)
        out |= flags::kMultipleInstances;
    if (b.dragDropDisabled)
        out |= flags::kDragDropDisabled;
    if (b.noDatabaseAtStart)
        out |= flags::kNoDatabaseAtStart;
    if (b.startAtLogon)
        out |= flags::kStartAtLogon;
    return out;
}

PortChoices portChoices(const std::vector<std::string>& found, const std::string& storedPort) {
    PortChoices choices;
    for (const std::string& name : found)
        choices.entries.push_back({name, true});
    if (storedPort.empty())
        return choices;
    const auto it = std::find(found.begin(), found.end(), storedPort);
    if (it != found.end()) {
        choices.selected = static_cast<int>(it - found.begin());
    } else {
        choices.entries.push_back({storedPort, false});
        choices.selected = static_cast<int>(choices.entries.size()) - 1;
    }
    return choices;
}

std::string portToStore(const PortChoices& choices, int selectedIndex, const std::string& storedPort) {
    if (selectedIndex < 0 || selectedIndex >= static_cast<int>(choices.entries.size()))
        return storedPort;
    return choices.entries[static_cast<std::size_t>(selectedIndex)].name;
}

std::vector<std::string> foundSerialPorts() {
    // The enumeration also picks a port for the stored name; only its list is wanted here.
    std::string unused;
    return link::enumerateSerialPorts(unused).names;
}

} // namespace cs::desktop
