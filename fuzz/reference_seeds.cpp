// Starting inputs of the reference target: lists as the export writes them, with quoted names,
// columns in another order, spreadsheet line ends and a byte-order mark.
#include "fuzz_seeds.h"

#include "reference/reference_list.h"

#include <string>

namespace cs::fuzzseeds {

bool referenceSeeds(std::string_view target, Seeds& seeds) {
    if (target != "reference_csv_fuzz")
        return false;
    const std::string header(kReferenceCsvHeader);
    const std::string lists[] = {
        header + "\n1,A,28,11100,H,1\n2,\"B, \"\"quoted\"\"\",28,11200,V,2\n3,D,64,4745,H,4\n",
        "service_id,polarisation,frequency,satellite,name,position,extra\r\n7,v,12000,1,Caf\xC3\xA9,2,x\r\n",
        "\xEF\xBB\xBF" + header + "\n\n5,\"two\nlines\",65,3460,H,65535\n",
    };
    for (std::size_t i = 0; i < std::size(lists); ++i)
        seeds.input("list-" + std::to_string(i), std::vector<std::uint8_t>(lists[i].begin(), lists[i].end()));
    for (std::string_view word : {"position", "name", "satellite", "frequency", "polarisation", "service_id", "\"\"",
                                  "\r\n", ",H,", ",V,", "65535", "4294967295"})
        seeds.word(word);
    return true;
}

} // namespace cs::fuzzseeds
