#include "image/satellites_xml.h"

#include "common/regular_file.h"

#include <expat.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

namespace cs {

namespace {

constexpr const char* kRootElement = "satellites";
constexpr const char* kSatElement = "sat";
constexpr const char* kTransponderElement = "transponder";
// Values at or above this are Hz, below it kHz: no satellite transponder lies under 1 GHz in Hz
// or above 1 THz in kHz.
constexpr std::uint64_t kHertzThreshold = 1000000000ull;

// Code rates of the file (fec_inner) in the receiver's codes; -1 the receiver has none.
constexpr int kFecFromFile[16] = {6, 1, 2, 3, 4, 5, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0};

const char* attribute(const XML_Char** atts, const char* name) {
    for (std::size_t i = 0; atts[i]; i += 2)
        if (std::strcmp(atts[i], name) == 0)
            return atts[i + 1];
    return nullptr;
}

template <typename T>
bool number(const char* text, T& out) {
    if (!text)
        return false;
    std::string_view s(text);
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

struct ParseState {
    XML_Parser parser = nullptr;
    SatellitesXml* result = nullptr;
    int depth = 0;
    bool inSat = false;
    std::size_t transponders = 0;
    std::string stop;  // why the parse was stopped by a handler

    void halt(std::string why) {
        if (stop.empty())
            stop = std::move(why);
        XML_StopParser(parser, XML_FALSE);
    }
};

void readTransponder(XmlSatellite& sat, const XML_Char** atts) {
    SkippedTransponder skip;
    std::uint64_t frequency = 0;
    std::uint64_t symbolRate = 0;
    unsigned polarisation = 0;
    unsigned fec = 0;
    unsigned system = 0;
    unsigned modulation = 1;
    const bool haveFrequency = number(attribute(atts, "frequency"), frequency);
    const bool haveRate = number(attribute(atts, "symbol_rate"), symbolRate);
    const bool havePolarisation = number(attribute(atts, "polarization"), polarisation);
    const char* fecText = attribute(atts, "fec_inner");
    const bool fecOk = !fecText || number(fecText, fec);
    const char* systemText = attribute(atts, "system");
    const bool systemOk = !systemText || number(systemText, system);
    const char* modulationText = attribute(atts, "modulation");
    const bool modulationOk = !modulationText || number(modulationText, modulation);
    if (haveFrequency)
        skip.frequencyKhz = frequency >= kHertzThreshold ? frequency / 1000 : frequency;
    if (havePolarisation)
        skip.polarisation = polarisation < 4 ? "HVLR"[polarisation] : '?';
    const auto skipped = [&](TransponderSkip reason) {
        skip.reason = reason;
        sat.skipped.push_back(skip);
    };
    if (!haveFrequency || !haveRate || !havePolarisation || !fecOk || !systemOk || !modulationOk)
        return skipped(TransponderSkip::MissingValue);
    if (system > 1)
        return skipped(TransponderSkip::System);
    // DVB-S is QPSK whatever the file says; DVB-S2 only when QPSK (1) or auto (0).
    if (system == 1 && modulation > 1)
        return skipped(TransponderSkip::Modulation);
    if (fec >= std::size(kFecFromFile) || kFecFromFile[fec] < 0)
        return skipped(TransponderSkip::Fec);
    if (polarisation > 1)
        return skipped(TransponderSkip::Polarisation);
    const std::uint64_t mhz = (skip.frequencyKhz + 500) / 1000;
    if (mhz < kSatelliteTransponderMhzMin || mhz > kSatelliteTransponderMhzMax)
        return skipped(TransponderSkip::Frequency);
    const std::uint64_t ks = (symbolRate + 500) / 1000;
    if (ks < kSatelliteSymbolRateMin || ks > kSatelliteSymbolRateMax)
        return skipped(TransponderSkip::SymbolRate);
    XmlTransponder t;
    t.frequencyMhz = static_cast<std::uint16_t>(mhz);
    t.symbolRateKs = static_cast<std::uint16_t>(ks);
    t.polarisation = polarisation;
    t.fec = static_cast<unsigned>(kFecFromFile[fec]);
    t.s2 = system == 1;
    sat.transponders.push_back(t);
}

void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char** atts) {
    auto& st = *static_cast<ParseState*>(data);
    if (++st.depth > kSatellitesXmlMaxDepth)
        return st.halt("elements nested deeper than " + std::to_string(kSatellitesXmlMaxDepth));
    if (st.depth == 1) {
        if (std::strcmp(name, kRootElement) != 0)
            st.halt(std::string("the document is <") + name + ">, not <" + kRootElement + ">");
        return;
    }
    if (st.depth == 2 && std::strcmp(name, kSatElement) == 0) {
        XmlSatellite sat;
        if (const char* n = attribute(atts, "name"))
            sat.name = n;
        if (!number(attribute(atts, "position"), sat.position))
            return st.halt("a <sat> without a numeric position");
        st.result->satellites.push_back(std::move(sat));
        st.inSat = true;
        return;
    }
    if (st.depth == 3 && st.inSat && std::strcmp(name, kTransponderElement) == 0) {
        if (++st.transponders > kSatellitesXmlMaxTransponders)
            return st.halt("more than " + std::to_string(kSatellitesXmlMaxTransponders) + " transponders");
        readTransponder(st.result->satellites.back(), atts);
    }
    // Other elements (cable and terrestrial lists, comments of other tools) are passed over.
}

void XMLCALL endElement(void* data, const XML_Char*) {
    auto& st = *static_cast<ParseState*>(data);
    if (st.depth == 2)
        st.inSat = false;
    --st.depth;
}

// Any entity declaration stops the parse: nothing is ever expanded.
void XMLCALL entityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                               const XML_Char*, const XML_Char*, const XML_Char*) {
    static_cast<ParseState*>(data)->halt("the document declares an entity");
}

int XMLCALL externalEntity(XML_Parser, const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*) {
    return XML_STATUS_ERROR;  // never read another file or address
}

} // namespace

std::string_view transponderSkipText(TransponderSkip reason) {
    switch (reason) {
    case TransponderSkip::MissingValue: return "frequency, symbol rate or polarisation missing";
    case TransponderSkip::System: return "system is not DVB-S or DVB-S2";
    case TransponderSkip::Modulation: return "modulation is not QPSK";
    case TransponderSkip::Fec: return "code rate the receiver does not know";
    case TransponderSkip::Polarisation: return "circular or unknown polarisation";
    case TransponderSkip::Frequency: return "frequency outside 9750..12900 MHz";
    case TransponderSkip::SymbolRate: return "symbol rate outside 1000..30000 kS/s";
    case TransponderSkip::TableFull: return "the transponder table is full";
    }
    return "";
}

const XmlSatellite* SatellitesXml::atPosition(int position) const {
    for (const XmlSatellite& sat : satellites)
        if (sat.position == position)
            return &sat;
    return nullptr;
}

SatellitesXml parseSatellitesXml(std::string_view text) {
    SatellitesXml result;
    if (text.size() > kSatellitesXmlMaxBytes) {
        result.error = "the file is larger than " + std::to_string(kSatellitesXmlMaxBytes >> 20) + " MB";
        return result;
    }
    const std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
        XML_ParserCreate(nullptr), &XML_ParserFree);
    if (!parser) {
        result.error = "out of memory";
        return result;
    }
    ParseState st;
    st.parser = parser.get();
    st.result = &result;
    XML_SetUserData(parser.get(), &st);
    XML_SetElementHandler(parser.get(), startElement, endElement);
    XML_SetEntityDeclHandler(parser.get(), entityDeclaration);
    XML_SetExternalEntityRefHandler(parser.get(), externalEntity);
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    const auto status = XML_Parse(parser.get(), text.data(), static_cast<int>(text.size()), XML_TRUE);
    if (!st.stop.empty()) {
        result.error = st.stop;
    } else if (status != XML_STATUS_OK) {
        result.error = std::string(XML_ErrorString(XML_GetErrorCode(parser.get()))) + " at line " +
                       std::to_string(XML_GetCurrentLineNumber(parser.get()));
    } else {
        result.ok = true;
        return result;
    }
    result.satellites.clear();
    return result;
}

SatellitesXml readSatellitesXml(const std::string& path) {
    const FileContent content = readRegularFile(path, kSatellitesXmlMaxBytes);
    if (!content.bytes) {
        SatellitesXml result;
        result.error = content.error;
        return result;
    }
    return parseSatellitesXml(
        std::string_view(reinterpret_cast<const char*>(content.bytes->data()), content.bytes->size()));
}

int satellitePositionTenths(float degrees, unsigned side) {
    const int tenths = static_cast<int>(std::lround(static_cast<double>(degrees) * 10.0));
    return side == 1 ? tenths : -tenths;
}

} // namespace cs
