#include "properties/ca_systems.h"

#include "properties/number_input.h"

#include <cstdio>
#include <string_view>

namespace cs::properties {

namespace {

struct CaSystem {
    std::uint16_t base;
    std::string_view name;
    std::string_view secondName;
};

constexpr std::array<CaSystem, kCaSystemCount> kCaSystems = {{
    {0x0000, "Standard system", ""},
    {0x0100, "Canal Plus", "Seca/Mediaguard"},
    {0x0200, "CCETT", ""},
    {0x0300, "Deutsche Telecom", ""},
    {0x0400, "Eurodec", ""},
    {0x0500, "France Telecom", "Viaccess"},
    {0x0600, "Irdeto", ""},
    {0x0700, "Jerrold/GI", ""},
    {0x0800, "Marta Communication", ""},
    {0x0900, "News Datacom", ""},
    {0x0A00, "Nokia", ""},
    {0x0B00, "Norwegian Telekom", "Conax"},
    {0x0C00, "NTL", ""},
    {0x0D00, "Philips", "CryptoWorks"},
    {0x0E00, "Scientific Atlanta", "PowerVu"},
    {0x0F00, "Sony", ""},
    {0x1000, "Tanberg Television", ""},
    {0x1100, "Thomson", ""},
    {0x1200, "TV/Com", ""},
    {0x1300, "HPT", ""},
    {0x1400, "HRT", ""},
    {0x1500, "IBM", ""},
    {0x1600, "Nera", ""},
    {0x1700, "BetaTechnik", "BetaCrypt"},
    {0x1800, "Kudelski SA", "NagraVision"},
    {0x1900, "Titan Information Systems", ""},
    {0x2000, "Telefonica Servicios Audio", ""},
    {0x2100, "SENTOR", "France Telecom"},
    {0x2200, "Tadiran Scopus", ""},
    {0x2300, "BARCO AS", ""},
    {0x2400, "StarGuide Digital Networks", ""},
    {0x2500, "Mentor Data System, Inc.", ""},
    {0x2600, "European Broadcasting Union", ""},
    {0x4700, "General Instrument", ""},
    {0x4800, "Telemann", ""},
}};

void join(std::string& out, std::string_view part) {
    if (!out.empty())
        out += ", ";
    out += part;
}

} // namespace

std::optional<std::size_t> findCaSystem(std::uint16_t id) {
    if (id == 0)
        return std::nullopt;
    for (std::size_t i = 0; i < kCaSystems.size(); ++i)
        if (kCaSystems[i].base == (id & 0xFF00))
            return i;
    return std::nullopt;
}

std::uint16_t caSystemBase(std::size_t entry) { return entry < kCaSystems.size() ? kCaSystems[entry].base : 0; }

std::string caSystemText(std::size_t entry, unsigned parts) {
    std::string out;
    if (entry >= kCaSystems.size())
        return out;
    const CaSystem& s = kCaSystems[entry];
    if (parts & kCaTextBase) {
        char base[8];
        std::snprintf(base, sizeof base, "0x%04x", s.base);
        join(out, base);
    }
    if (parts & kCaTextName)
        join(out, s.name);
    if ((parts & kCaTextSecondName) && !s.secondName.empty())
        join(out, s.secondName);
    return out;
}

std::string caIdentifierText(std::uint16_t id, unsigned parts) {
    const auto entry = findCaSystem(id);
    return entry ? caSystemText(*entry, parts) : std::string();
}

std::vector<CaListRow> caListRows(const std::array<std::uint16_t, 3>& ids, bool hex) {
    std::vector<CaListRow> rows;
    for (std::uint16_t id : ids) {
        if (id == 0)
            continue;
        rows.push_back({caIdentifierText(id, kCaTextName | kCaTextSecondName), numberText(id, hex)});
    }
    return rows;
}

std::vector<CodingSystem> codingSystemFilterItems() {
    std::vector<CodingSystem> items;
    for (std::size_t i = 1; i < kCaSystems.size(); ++i)
        items.push_back({kCaSystems[i].base, caSystemText(i, kCaTextBase | kCaTextName | kCaTextSecondName)});
    return items;
}

} // namespace cs::properties
