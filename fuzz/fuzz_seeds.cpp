// fuzz_seeds TARGET CORPUS DICTIONARY: writes the starting inputs of a fuzz target into its
// corpus folder and its dictionary in libFuzzer's format.
#include "fuzz_seeds.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fclose(f);
}

// A dictionary entry as libFuzzer reads it: a quoted string with \xNN escapes.
std::string dictionaryLine(const std::vector<std::uint8_t>& word) {
    std::string line = "\"";
    for (std::uint8_t b : word) {
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            line += static_cast<char>(b);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
            line += escaped;
        }
    }
    return line + "\"\n";
}

} // namespace

int main(int argc, char** argv) {
    using namespace cs::fuzzseeds;
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::printf("usage: %s TARGET CORPUS DICTIONARY\n", argv[0]);
        return 0;
    }
    if (argc != 4 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s TARGET CORPUS DICTIONARY\n", argv[0]);
        return 1;
    }
    const std::string target = argv[1], corpus = argv[2], dictionary = argv[3];
    Seeds seeds;
    if (!imageSeeds(target, seeds) && !exchangeSeeds(target, seeds) && !pictureSeeds(target, seeds) &&
        !ymodemSeeds(target, seeds) && !referenceSeeds(target, seeds) && !satellitesXmlSeeds(target, seeds)) {
        std::fprintf(stderr, "no seeds for %s\n", target.c_str());
        return 1;
    }
    for (const auto& [name, bytes] : seeds.inputs)
        save(corpus + "/seed-" + name, bytes);
    std::string text = "# " + target + ": written by fuzz_seeds\n";
    for (const auto& word : seeds.words)
        text += dictionaryLine(word);
    save(dictionary, std::vector<std::uint8_t>(text.begin(), text.end()));
    return 0;
}
