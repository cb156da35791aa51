// A table of texts as tab-separated lines and as an HTML table.
#include "common/text_table.h"

#include <gtest/gtest.h>

namespace cs {
namespace {

TEST(TextTable, TabSeparatedKeepsOneRowALine) {
    const TextTable table{{"No.", "Name"}, {{"1", "Sky\tOne"}, {"2", "Two\nLines"}, {"3", ""}}};
    EXPECT_EQ(tabSeparated(table), "No.\tName\n1\tSky One\n2\tTwo Lines\n3\t\n");
    EXPECT_EQ(tabSeparated(TextTable{{"A"}, {}}), "A\n");
}

TEST(TextTable, HtmlEscapesEveryCell) {
    const TextTable table{{"<Name>"}, {{"Tom & \"Jerry\""}}};
    EXPECT_EQ(htmlTable(table), "<table>\n<thead>\n<tr><th>&lt;Name&gt;</th></tr>\n</thead>\n<tbody>\n"
                                "<tr><td>Tom &amp; &quot;Jerry&quot;</td></tr>\n</tbody>\n</table>\n");
}

} // namespace
} // namespace cs
