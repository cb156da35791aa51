// Fuzz target of the satellites.xml reader and the merge of a listed satellite into the
// transponder table: the first byte picks the satellite number, the rest is the document. A
// refused document holds no satellites; every transponder read lies in the receiver's ranges;
// the merge keeps the table's other satellites and adds at most what fits.
#include "image/satellites_xml.h"
#include "image/transponder_merge.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

using namespace cs;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const unsigned satellite = 1u + data[0] % 63u;
    const SatellitesXml xml = parseSatellitesXml(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    check(xml.ok == xml.error.empty());
    if (!xml.ok) {
        check(xml.satellites.empty());
        return 0;
    }
    static auto table = std::make_unique<TransponderTable>();
    table->fill(TransponderRecord{});
    // A neighbour satellite's records and one of the chosen satellite's own.
    TransponderRecord own;
    own.setSatellite(static_cast<std::uint8_t>(satellite));
    own.setFrequency(11000);
    own.setSymbolRate(27500);
    (*table)[7] = own;
    TransponderRecord other = own;
    other.setSatellite(static_cast<std::uint8_t>(satellite % 63 + 1));
    (*table)[9] = other;
    for (const XmlSatellite& sat : xml.satellites) {
        for (const XmlTransponder& t : sat.transponders) {
            check(t.frequencyMhz >= kSatelliteTransponderMhzMin && t.frequencyMhz <= kSatelliteTransponderMhzMax);
            check(t.symbolRateKs >= kSatelliteSymbolRateMin && t.symbolRateKs <= kSatelliteSymbolRateMax);
            check(t.polarisation <= 1 && t.fec <= 6);
        }
        const TransponderMergePlan plan = planTransponderMerge(*table, satellite, sat);
        const std::size_t before = countTransponders(*table);
        const TransponderMergeCounts counts = applyTransponderMerge(*table, plan);
        check(countTransponders(*table) == before + counts.added - counts.removed);
        check(counts.skipped >= sat.skipped.size());
        check((*table)[9] == other);
    }
    return 0;
}
