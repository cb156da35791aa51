// Starting inputs of the import targets: recipes (first byte 2) of one to four components of each
// type, with exact and overlong sizes, and one sealed file of a channel base.
#include "fuzz_seeds.h"

#include "exchange/import_file.h"

#include <string>

namespace cs::fuzzseeds {

bool exchangeSeeds(std::string_view target, Seeds& seeds) {
    if (target != "exchange_read_fuzz" && target != "exchange_apply_fuzz")
        return false;
    // Recipe: description length, overlong flag, component count, then per component a kind
    // byte (index into 1, 2, 4, 8, 0, 3) and a sizing byte with its counts; the rest fills blocks.
    const std::vector<std::vector<std::uint8_t>> recipes = {
        {2, 12, 0, 0, 0, 0x00, 5, 2, 'a', 'b', 'c', 'd'},
        {2, 40, 0, 3, 0, 0x00, 20, 3, 1, 0x00, 2, 0x00, 3, 0x00, 0x11, 0x22},
        {2, 0, 1, 1, 0, 0x80, 7, 1, 9, 3, 0x00},
        {6, 8, 0, 2, 0, 0x00, 39, 7, 3, 0x00, 0x55},
        {0x12, 5, 0, 1, 3, 0x00, 0x01},
        {0xF2, 5, 0, 2, 3, 0x00, 2, 0x00, 0x01, 0x02},
        {2, 3, 0, 1, 0x80, 0x34, 0x12, 0x00, 2, 1},
    };
    for (std::size_t i = 0; i < recipes.size(); ++i)
        seeds.input("recipe-" + std::to_string(i), recipes[i]);
    seeds.word(std::vector<std::uint8_t>{0x01, 0x0A, 0x00, 0x00});  // the valid entry marker
    for (std::uint8_t type : {1, 2, 3, 4, 8})
        seeds.word(std::vector<std::uint8_t>{type, 0, 0, 0});
    seeds.word(std::vector<std::uint8_t>{0x00, 0x01, 0x00, 0x00});  // 256: colour profiles
    seeds.word(std::vector<std::uint8_t>{0x00, 0x10, 0x00, 0x00});  // 4096: receiver settings
    seeds.word(std::vector<std::uint8_t>{0x34, 0x12});               // the CRC placeholder
    return true;
}

} // namespace cs::fuzzseeds
