// satellites.xml: units, polarisations, skipped systems, malformed and hostile files, and the
// merge into one satellite's transponder list within the table's capacity.
#include "image/satellites_xml.h"
#include "image/transponder_merge.h"

#include "fixtures/satellites_xml_fixture.h"

#include <gtest/gtest.h>

#include <memory>

namespace cs {
namespace {

namespace fx = cs::fixtures;

XmlSatellite onlySat(const std::string& text) {
    const SatellitesXml xml = parseSatellitesXml(text);
    EXPECT_TRUE(xml.ok) << xml.error;
    EXPECT_EQ(xml.satellites.size(), 1u);
    return xml.satellites.empty() ? XmlSatellite{} : xml.satellites.front();
}

TEST(SatellitesXml, EntriesTheReceiverCanHoldAreReadInItsUnits) {
    struct Case {
        fx::XmlTransponderEntry entry;
        std::uint16_t mhz, ks;
        unsigned polarisation, fec;
        bool s2;
    } cases[] = {
        {{"11493750", "22000000", "0", "3", "0", "1"}, 11494, 22000, 0, 3, false},     // kHz
        {{"11493000000", "27500000", "1", "4", "0", "1"}, 11493, 27500, 1, 4, false},  // Hz
        {{"12012000", "29900000", "1", "0", "1", "1"}, 12012, 29900, 1, 6, true},      // S2 QPSK, FEC auto
        {{"10714000", "1000000", "0", "15", "", ""}, 10714, 1000, 0, 0, false},         // FEC none, defaults
        {{"12900000", "30000000", "0", "5", "1", "0"}, 12900, 30000, 0, 5, true},      // S2 modulation auto
        {{" 9750000 ", "+5632000", "0", "1", "0", "2"}, 9750, 5632, 0, 1, false},      // DVB-S is QPSK
    };
    for (const Case& c : cases) {
        const XmlSatellite sat = onlySat(fx::satellitesXmlText({{"Sat", "192", {c.entry}}}));
        ASSERT_EQ(sat.transponders.size(), 1u) << c.entry.frequency;
        const XmlTransponder& t = sat.transponders.front();
        EXPECT_EQ(t.frequencyMhz, c.mhz) << c.entry.frequency;
        EXPECT_EQ(t.symbolRateKs, c.ks) << c.entry.frequency;
        EXPECT_EQ(t.polarisation, c.polarisation) << c.entry.frequency;
        EXPECT_EQ(t.fec, c.fec) << c.entry.frequency;
        EXPECT_EQ(t.s2, c.s2) << c.entry.frequency;
    }
}

TEST(SatellitesXml, EntriesTheReceiverCannotHoldAreSkippedWithTheirReason) {
    struct Case {
        fx::XmlTransponderEntry entry;
        TransponderSkip reason;
        char polarisation;
    } cases[] = {
        {{"11000000", "27500000", "2"}, TransponderSkip::Polarisation, 'L'},
        {{"11000000", "27500000", "3"}, TransponderSkip::Polarisation, 'R'},
        {{"11000000", "27500000", "7"}, TransponderSkip::Polarisation, '?'},
        {{"11000000", "27500000", "0", "3", "2"}, TransponderSkip::System, 'H'},
        {{"11000000", "27500000", "0", "3", "1", "2"}, TransponderSkip::Modulation, 'H'},  // 8PSK
        {{"11000000", "27500000", "0", "9"}, TransponderSkip::Fec, 'H'},                  // 9/10
        {{"11000000", "27500000", "0", "16"}, TransponderSkip::Fec, 'H'},
        {{"3800000", "27500000", "1"}, TransponderSkip::Frequency, 'V'},                 // C band
        {{"12901000", "27500000", "1"}, TransponderSkip::Frequency, 'V'},
        {{"11000000", "45000000", "1"}, TransponderSkip::SymbolRate, 'V'},
        {{"11000000", "27500", "1"}, TransponderSkip::SymbolRate, 'V'},                  // kS/s is not S/s
        {{"", "27500000", "0"}, TransponderSkip::MissingValue, 'H'},
        {{"11000000", "fast", "0"}, TransponderSkip::MissingValue, 'H'},
        {{"11000000", "27500000", ""}, TransponderSkip::MissingValue, '?'},
        {{"11000000", "27500000", "0", "-1"}, TransponderSkip::MissingValue, 'H'},
    };
    for (const Case& c : cases) {
        const XmlSatellite sat = onlySat(fx::satellitesXmlText({{"Sat", "192", {c.entry}}}));
        EXPECT_TRUE(sat.transponders.empty()) << c.entry.frequency << " " << c.entry.polarization;
        ASSERT_EQ(sat.skipped.size(), 1u) << c.entry.frequency;
        EXPECT_EQ(sat.skipped.front().reason, c.reason) << c.entry.frequency << " " << c.entry.polarization;
        EXPECT_EQ(sat.skipped.front().polarisation, c.polarisation) << c.entry.frequency;
        EXPECT_FALSE(transponderSkipText(c.reason).empty());
    }
}

TEST(SatellitesXml, SatellitesAreFoundByPositionAndOtherElementsPassedOver) {
    const std::string text = "<satellites><sat name=\"Astra\" position=\"192\"><transponder frequency=\"11494000\" "
                             "symbol_rate=\"22000000\" polarization=\"0\"/><note>x</note></sat>"
                             "<cable name=\"c\"><transponder frequency=\"346000\"/></cable>"
                             "<sat name=\"West\" position=\"-50\"></sat></satellites>";
    const SatellitesXml xml = parseSatellitesXml(text);
    ASSERT_TRUE(xml.ok) << xml.error;
    ASSERT_EQ(xml.satellites.size(), 2u);
    ASSERT_TRUE(xml.atPosition(192));
    EXPECT_EQ(xml.atPosition(192)->name, "Astra");
    EXPECT_EQ(xml.atPosition(192)->transponders.size(), 1u);
    ASSERT_TRUE(xml.atPosition(-50));
    EXPECT_EQ(xml.atPosition(-50)->name, "West");
    EXPECT_EQ(xml.atPosition(130), nullptr);
    EXPECT_EQ(satellitePositionTenths(19.2f, 1), 192);
    EXPECT_EQ(satellitePositionTenths(5.0f, 0), -50);
}

TEST(SatellitesXml, MalformedAndHostileFilesAreRefused) {
    const std::string deep = [] {
        std::string s = "<satellites>";
        for (int i = 0; i < 20; ++i)
            s += "<a>";
        for (int i = 0; i < 20; ++i)
            s += "</a>";
        return s + "</satellites>";
    }();
    const std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE satellites [<!ENTITY a \"aaaaaaaaaa\">"
                               "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]><satellites><sat name=\"&b;\" "
                               "position=\"1\"/></satellites>";
    const std::string external = "<?xml version=\"1.0\"?><!DOCTYPE satellites [<!ENTITY x SYSTEM "
                                 "\"file:///etc/passwd\">]><satellites><sat name=\"&x;\" position=\"1\"/></satellites>";
    const std::string externalDtd = "<?xml version=\"1.0\"?><!DOCTYPE satellites SYSTEM \"http://example.invalid/s.dtd\">"
                                    "<satellites><sat name=\"a\" position=\"1\"/></satellites>";
    const std::string* texts[] = {&deep, &laughs, &external};
    const std::string plain[] = {
        "",
        "<satellites><sat name=\"a\" position=\"192\">",               // not closed
        "<satellites><sat name=\"a\" position=\"east\"/></satellites>",  // position not a number
        "<sat name=\"a\" position=\"192\"/>",                            // not the list's root
        "<satellites></sat>",
        "\xff\xfe<",
    };
    for (const std::string* t : texts) {
        const SatellitesXml xml = parseSatellitesXml(*t);
        EXPECT_FALSE(xml.ok) << *t;
        EXPECT_FALSE(xml.error.empty());
        EXPECT_TRUE(xml.satellites.empty());
    }
    for (const std::string& t : plain) {
        const SatellitesXml xml = parseSatellitesXml(t);
        EXPECT_FALSE(xml.ok) << t;
        EXPECT_FALSE(xml.error.empty()) << t;
    }
    // An external DTD is never fetched; what the document itself holds is read.
    const SatellitesXml dtd = parseSatellitesXml(externalDtd);
    EXPECT_TRUE(dtd.ok) << dtd.error;
    const SatellitesXml big = parseSatellitesXml(std::string(kSatellitesXmlMaxBytes + 1, ' '));
    EXPECT_FALSE(big.ok);
    EXPECT_NE(big.error.find("larger"), std::string::npos);
}

// ---------------------------------------------------------------- the merge

TransponderRecord sat(unsigned satellite, std::uint16_t mhz, std::uint16_t ks, unsigned pol, unsigned fec = 3,
                      unsigned iq = 0) {
    TransponderRecord r;
    r.setSatellite(static_cast<std::uint8_t>(satellite));
    r.setFrequency(mhz);
    r.setSymbolRate(ks);
    r.setPolarisation(pol);
    r.setFec(fec);
    r.setIqMode(iq);
    return r;
}

XmlTransponder listed(std::uint16_t mhz, std::uint16_t ks, unsigned pol, unsigned fec = 3) {
    return XmlTransponder{mhz, ks, pol, fec, false};
}

class TransponderMerge : public ::testing::Test {
protected:
    void SetUp() override {
        table = std::make_unique<TransponderTable>();
        (*table)[0] = sat(5, 11000, 27500, 0);            // stays
        (*table)[1] = sat(5, 11040, 22000, 1, 3, 2);      // 11043 V 27500: changed, IQ kept
        (*table)[2] = sat(5, 12500, 27500, 0);            // gone from the list: removed
        (*table)[3] = sat(6, 11040, 22000, 1);            // another satellite: untouched
        (*table)[5] = sat(5, 11100, 27500, 1);            // 11100 H listed: polarisation differs
        listing.transponders = {listed(11000, 27500, 0), listed(11043, 27500, 1), listed(11100, 27500, 0),
                                listed(11700, 27500, 1, 4), listed(11700, 27500, 1, 4)};
        listing.skipped = {SkippedTransponder{11200000, 'L', TransponderSkip::Polarisation}};
    }
    std::unique_ptr<TransponderTable> table;
    XmlSatellite listing;
};

TEST_F(TransponderMerge, PlanAddsChangesAndRemovesByFrequencyAndPolarisation) {
    const TransponderMergePlan plan = planTransponderMerge(*table, 5, listing);
    EXPECT_EQ(plan.unchanged, 1u);
    struct Expect {
        TransponderChangeKind kind;
        std::optional<std::uint16_t> slot;
        std::uint16_t mhz;
    } expect[] = {
        {TransponderChangeKind::Change, 1, 11043},
        {TransponderChangeKind::Add, std::nullopt, 11100},  // H, beside the V record of slot 5
        {TransponderChangeKind::Remove, 5, 11100},
        {TransponderChangeKind::Add, std::nullopt, 11700},  // listed twice, added once
        {TransponderChangeKind::Remove, 2, 12500},
    };
    ASSERT_EQ(plan.changes.size(), std::size(expect));
    for (std::size_t i = 0; i < plan.changes.size(); ++i) {
        const TransponderChange& c = plan.changes[i];
        EXPECT_EQ(c.kind, expect[i].kind) << i;
        EXPECT_EQ(c.slot, expect[i].slot) << i;
        const TransponderRecord& r = c.kind == TransponderChangeKind::Remove ? c.before : c.after;
        EXPECT_EQ(r.frequency(), expect[i].mhz) << i;
    }
    EXPECT_EQ(plan.changes[0].after.iqMode(), 2u);
    EXPECT_EQ(plan.changes[0].after.symbolRate(), 27500u);
    EXPECT_EQ(plan.changes[0].after.satellite(), 5u);

    const TransponderMergeCounts counts = applyTransponderMerge(*table, plan);
    EXPECT_EQ(counts.added, 2u);
    EXPECT_EQ(counts.changed, 1u);
    EXPECT_EQ(counts.removed, 2u);
    EXPECT_EQ(counts.skipped, 1u);
    EXPECT_EQ((*table)[3], sat(6, 11040, 22000, 1));
    EXPECT_EQ((*table)[1], sat(5, 11043, 27500, 1, 3, 2));
    const TransponderList after = transponderList(5, *table);
    std::vector<std::pair<unsigned, unsigned>> got;
    for (const std::uint16_t i : after.indices())
        got.emplace_back((*table)[i].frequency(), (*table)[i].polarisation());
    EXPECT_EQ(got, (std::vector<std::pair<unsigned, unsigned>>{{11000, 0}, {11043, 1}, {11100, 0}, {11700, 1}}));
    // A second run finds nothing to do.
    const TransponderMergePlan again = planTransponderMerge(*table, 5, listing);
    EXPECT_TRUE(again.changes.empty());
    EXPECT_EQ(again.unchanged, 4u);
}

TEST_F(TransponderMerge, OnlyChosenChangesAreCarriedOutAndAFullTableSkipsAdds) {
    TransponderMergePlan plan = planTransponderMerge(*table, 5, listing);
    for (TransponderChange& c : plan.changes)
        c.chosen = c.kind == TransponderChangeKind::Add;
    // Every other record in use: room for one add only.
    for (std::size_t i = 0; i < table->size(); ++i)
        if (!(*table)[i].inUse() && i != 4)
            (*table)[i] = sat(7, static_cast<std::uint16_t>(10000 + i % 2000), 27500, i % 2);
    const TransponderMergeCounts counts = applyTransponderMerge(*table, plan);
    EXPECT_EQ(counts.added, 1u);
    EXPECT_EQ(counts.changed, 0u);
    EXPECT_EQ(counts.removed, 0u);
    EXPECT_EQ(counts.skipped, 2u);  // the file's circular entry and the add with no room
    EXPECT_EQ((*table)[4].frequency(), 11100u);
    EXPECT_EQ((*table)[2], sat(5, 12500, 27500, 0));
}

} // namespace
} // namespace cs
