// Starting inputs of the satellites.xml target: lists in kHz and Hz, every polarisation,
// system and modulation, a skipped cable list, and documents the reader must refuse (an entity,
// too deep, not closed). The first byte of each input picks the satellite number of the merge.
#include "fuzz_seeds.h"

#include <string>

namespace cs::fuzzseeds {
namespace {

std::vector<std::uint8_t> input(std::uint8_t satellite, const std::string& text) {
    std::vector<std::uint8_t> v{satellite};
    v.insert(v.end(), text.begin(), text.end());
    return v;
}

std::string transponder(const std::string& frequency, const std::string& rate, int pol, int fec, int system,
                        int modulation) {
    return "<transponder frequency=\"" + frequency + "\" symbol_rate=\"" + rate + "\" polarization=\"" +
           std::to_string(pol) + "\" fec_inner=\"" + std::to_string(fec) + "\" system=\"" + std::to_string(system) +
           "\" modulation=\"" + std::to_string(modulation) + "\"/>\n";
}

std::string list(const std::string& position, const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<satellites>\n<sat name=\"Sat\" flags=\"1\" position=\"" +
           position + "\">\n" + body + "</sat>\n</satellites>\n";
}

} // namespace

bool satellitesXmlSeeds(std::string_view target, Seeds& seeds) {
    if (target != "satellites_xml_fuzz")
        return false;
    std::string every;
    for (int pol = 0; pol < 4; ++pol)
        for (int system = 0; system < 3; ++system)
            every += transponder(std::to_string(10700000 + 50000 * (pol * 3 + system)), "27500000", pol, 3, system,
                                 system == 1 ? 2 : 1);
    seeds.input("every-kind", input(5, list("192", every)));
    seeds.input("hertz", input(5, list("-50", transponder("11494000000", "22000000", 1, 15, 0, 1))));
    seeds.input("fec", input(1, list("130", transponder("12000000", "29900000", 0, 9, 1, 1) +
                                                    transponder("12000000", "1000000", 1, 0, 1, 0))));
    seeds.input("cable", input(2, "<satellites><cable name=\"c\"><transponder frequency=\"346000\"/></cable>"
                                  "<sat name=\"s\" position=\"1\"/></satellites>"));
    seeds.input("entity", input(3, "<!DOCTYPE satellites [<!ENTITY a \"x\">]><satellites/>"));
    seeds.input("deep", input(3, "<satellites><sat position=\"1\"><a><b><c><d><e><f><g></g></f></e></d></c></b></a>"
                                 "</sat></satellites>"));
    seeds.input("open", input(4, "<satellites><sat name=\"a\" position=\"192\">"));
    for (const char* w : {"<satellites>", "</satellites>", "<sat ", "</sat>", "<transponder ", "/>", "frequency=\"",
                          "symbol_rate=\"", "polarization=\"", "fec_inner=\"", "system=\"", "modulation=\"",
                          "position=\"", "name=\"", "<!DOCTYPE", "<!ENTITY", "SYSTEM", "&amp;"})
        seeds.word(w);
    return true;
}

} // namespace cs::fuzzseeds
