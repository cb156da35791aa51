#pragma once
// The starting inputs and dictionary entries of the fuzz targets, written by code so that they
// follow the formats as they change.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cs::fuzzseeds {

struct Seeds {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> inputs;  // file name, bytes
    std::vector<std::vector<std::uint8_t>> words;                           // dictionary entries

    void input(std::string name, std::vector<std::uint8_t> bytes) { inputs.emplace_back(std::move(name), std::move(bytes)); }
    void word(std::vector<std::uint8_t> bytes) { words.push_back(std::move(bytes)); }
    void word(std::string_view text) { words.emplace_back(text.begin(), text.end()); }
};

// Each fills `seeds` for the named target; false when the target is not theirs.
bool imageSeeds(std::string_view target, Seeds& seeds);
bool exchangeSeeds(std::string_view target, Seeds& seeds);
bool pictureSeeds(std::string_view target, Seeds& seeds);
bool ymodemSeeds(std::string_view target, Seeds& seeds);
bool referenceSeeds(std::string_view target, Seeds& seeds);
bool satellitesXmlSeeds(std::string_view target, Seeds& seeds);

} // namespace cs::fuzzseeds
