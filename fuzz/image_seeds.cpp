// Starting inputs of the image targets: headers of every kind for the header target, each area's
// template for the areas target, recipes of every database size for the save target.
#include "fuzz_seeds.h"

#include <array>
#include <cstdint>
#include <string>

namespace cs::fuzzseeds {
namespace {

void putU32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        v[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> le32(std::uint32_t value) {
    std::vector<std::uint8_t> v(4);
    putU32(v, 0, value);
    return v;
}

// Flash addresses and lengths that headers carry: the database kinds, the software, the picture
// store and a plug-in.
constexpr std::array<std::uint32_t, 7> kAddresses = {0xD0000, 0xF0000, 0x110000, 0x8000, 0x90000, 0x78000, 0xC0000};
constexpr std::array<std::uint32_t, 6> kLengths = {0x47FFF, 0x3FFFF, 0x2FFFF, 0x27FFF, 0x1FFFF, 0x7FFF};

std::vector<std::uint8_t> header(std::uint8_t sizeChoice, std::uint32_t address, std::uint32_t length) {
    std::vector<std::uint8_t> v(1 + 64, 0);
    v[0] = sizeChoice;
    for (std::size_t i = 0; i < 16; ++i)
        v[1 + i] = ':';
    const std::string date = "20240101";
    std::copy(date.begin(), date.end(), v.begin() + 1 + 24);
    v[1 + 52] = 0x80;
    putU32(v, 1 + 56, address);
    putU32(v, 1 + 60, length);
    return v;
}

void imageWords(Seeds& seeds) {
    seeds.word("::::::::::::::::");
    seeds.word(std::vector<std::uint8_t>{0x80, 0x00});
    for (std::uint32_t a : kAddresses)
        seeds.word(le32(a));
    for (std::uint32_t l : kLengths)
        seeds.word(le32(l));
    seeds.word(std::vector<std::uint8_t>{'C', 'H', '5', 0});
    seeds.word(std::vector<std::uint8_t>{'C', 'H', '1', 0});
    seeds.word(le32(0x58AD7C01));  // provider_verify
    seeds.word(std::vector<std::uint8_t>{0xA5});
    seeds.word(std::vector<std::uint8_t>{100, 0, 0, 0, 0, 0});  // transponder table head
}

} // namespace

bool imageSeeds(std::string_view target, Seeds& seeds) {
    if (target == "image_header_fuzz") {
        for (std::uint8_t size = 0; size < 8; ++size)
            for (std::size_t a = 0; a < kAddresses.size(); ++a)
                for (std::size_t l = 0; l < kLengths.size(); l += (a < 3 ? 1 : 5))
                    seeds.input("header-" + std::to_string(size) + "-" + std::to_string(a) + "-" + std::to_string(l),
                                header(size, kAddresses[a], kLengths[l]));
    } else if (target == "image_areas_fuzz") {
        for (std::uint8_t area = 0; area < 5; ++area) {
            seeds.input("area-" + std::to_string(area), {area, 1});
            seeds.input("area-" + std::to_string(area) + "-unsealed", {area, 0, 0x10, 0x00, 4, 1, 2, 3, 4});
            seeds.input("area-" + std::to_string(area) + "-patched", {area, 1, 0x00, 0x00, 8, 0, 0, 0, 0, 0xFF, 0xFF, 0x41, 0x42});
        }
    } else if (target == "image_save_fuzz") {
        // Recipes: bit 7 set, bits 0-2 the size, 0x10 plausible channels, 0x20 area CRCs made
        // right, 0x40 record CRCs made right; the second byte picks header and list details.
        for (std::uint8_t size = 0; size < 8; ++size) {
            seeds.input("recipe-" + std::to_string(size), {static_cast<std::uint8_t>(0xF0 | size), 0x00});
            seeds.input("recipe-" + std::to_string(size) + "-r78", {static_cast<std::uint8_t>(0xF0 | size), 0x45});
            seeds.input("recipe-" + std::to_string(size) + "-bare", {static_cast<std::uint8_t>(0x80 | size), 0x09});
        }
    } else {
        return false;
    }
    imageWords(seeds);
    return true;
}

} // namespace cs::fuzzseeds
