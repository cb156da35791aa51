#pragma once
// Applying the chosen components of an import file to the open database: a channel base
// replaces every channel and provider, colour profiles and receiver settings are copied into the
// working settings record, a transponder list changes nothing. A component whose block does not
// fit the file or the database's tables is refused whole, with a message; the others still apply.
#include "database/channel_database.h"
#include "exchange/import_chooser.h"
#include "exchange/import_file.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cs {

// A byte range of the working settings record.
struct SettingsRange {
    std::size_t offset;
    std::size_t size;
};

// The ranges a receiver-settings component copies: always, and per sub-item 1..4.
std::span<const SettingsRange> receiverSettingsAlways();
std::span<const SettingsRange> receiverSettingsSubItem(std::size_t subItem);

enum class ComponentStatus {
    Applied,
    NotSelected,
    InvalidMarker,  // listed, but its marker is not 2561: never applied
    NoChange,       // a transponder list: choosing it changes nothing
    Refused,        // its block does not fit the file or the tables; see the message
};

struct ComponentOutcome {
    std::size_t entry = 0;
    ComponentType type = ComponentType::None;
    ComponentStatus status = ComponentStatus::NotSelected;
    std::string message;          // why it was refused, or a note on what was applied
    std::size_t channels = 0;     // channel base: channels in use after the import
    std::size_t providers = 0;    // channel base: provider records copied
};

struct ImportReport {
    std::vector<ComponentOutcome> components;
    bool modified = false;           // something was applied: the database is changed
    bool channelsReplaced = false;   // the tree and the channel list must be rebuilt
    bool satellitesChanged = false;  // converters and antenna switching: rebuild the satellite
                                     // and favourite-list nodes
    bool anyRefused() const;
};

// Why a component cannot be applied to this database (block past the end of the file, block
// shorter than its content, more channels than channelCapacity, more providers than the
// provider work area holds); nullopt when it can.
std::optional<std::string> componentProblem(const ImportFile& file, const ImportComponent& component,
                                            const Flash& flash);

// Applies each selected item of a confirmed chooser whose entry's marker is 2561, in directory
// order. Nothing is applied when the chooser was not confirmed.
ImportReport applyImport(const ImportFile& file, const ImportChooser& chooser, ChannelDatabase& database);

// A short English name of a component type for messages ("channel base", ...).
std::string componentTypeName(ComponentType type);

} // namespace cs
