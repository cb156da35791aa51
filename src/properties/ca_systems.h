#pragma once
// The conditional-access systems known by name, one entry per high byte of the DVB
// CA_system_id (the public allocation of identifier ranges). Used by the channel's "Ca" page, the
// main window's coding-system filter and the log's listing of a channel's CA systems.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cs::properties {

inline constexpr std::size_t kCaSystemCount = 35;

// Parts of an entry's text; joined with ", " in this order.
inline constexpr unsigned kCaTextBase = 1;        // the base identifier, "0x%04x"
inline constexpr unsigned kCaTextName = 2;
inline constexpr unsigned kCaTextSecondName = 4;  // only for entries that have one

// The entry whose base has the identifier's high byte; none for identifier 0 or an unknown range.
std::optional<std::size_t> findCaSystem(std::uint16_t id);
// The base identifier of an entry; 0 outside 0..34.
std::uint16_t caSystemBase(std::size_t entry);
// The chosen parts of an entry; empty outside 0..34.
std::string caSystemText(std::size_t entry, unsigned parts);
// The text of the identifier's entry; empty when no entry matches.
std::string caIdentifierText(std::uint16_t id, unsigned parts);

// One row of a channel's CA list: the system's name and its identifier as the hex option shows it.
struct CaListRow {
    std::string name;        // name and second name; empty for an unknown range
    std::string identifier;  // "0x%04X" with the hex option, else decimal
};
// The rows of a channel's three identifiers, skipping 0.
std::vector<CaListRow> caListRows(const std::array<std::uint16_t, 3>& ids, bool hex);

// The coding systems the main window's filter offers: entries 1..34 with base, name and second name.
struct CodingSystem {
    std::uint16_t base = 0;
    std::string caption;
};
std::vector<CodingSystem> codingSystemFilterItems();

} // namespace cs::properties
