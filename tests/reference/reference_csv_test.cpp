// The CSV of a view: what the export writes, that it reads back as written, and the errors a
// hand-edited file gets.
#include "database/database_test_support.h"
#include "reference/reference_list.h"

#include <gtest/gtest.h>

namespace {

using namespace cs::dbtest;

TEST(ReferenceCsv, ExportQuotesNamesAndReadsBackTheSameChannels) {
    auto b = settingsImage();
    fx::ChannelFields a = tv("Plain", 10);
    fx::ChannelFields q = tv("Say \"hi\", all", 11);
    q.frequency = 12188;
    q.polarisation = 1;
    fx::ChannelFields l = tv("Caf\xE9", 12, 65);  // Latin-1 e-acute, a DVB-C channel
    l.frequency = 3460;
    b.channel(0, a).channel(1, q).channel(2, l);
    OpenDatabase open(b.build());
    const std::string csv = cs::exportReferenceCsv(open.db, open.mainList());
    EXPECT_EQ(csv, "position,name,satellite,frequency,polarisation,service_id\n"
                   "1,Plain,28,11494,H,10\n"
                   "2,\"Say \"\"hi\"\", all\",28,12188,V,11\n"
                   "3,Caf\xC3\xA9,65,3460,H,12\n");
    const cs::CsvReadResult read = cs::readReferenceCsv(csv);
    ASSERT_TRUE(read.ok()) << read.error;
    ASSERT_EQ(read.list.channels.size(), 3u);
    EXPECT_EQ(read.list.channels[1].name, "Say \"hi\", all");
    EXPECT_EQ(read.list.channels[1].polarisation, 1u);
    EXPECT_EQ(read.list.channels[2].name, "Caf\xE9");
    EXPECT_EQ(read.list.channels[2].satellite, 65);
    EXPECT_EQ(read.list.channels[2].frequency, 3460);
    EXPECT_EQ(read.list.channels[2].serviceId, 12);
}

TEST(ReferenceCsv, ColumnsInAnyOrderRowsByPositionAndSpreadsheetLineEnds) {
    const cs::CsvReadResult read = cs::readReferenceCsv("\xEF\xBB\xBFservice_id,name,extra,polarisation,frequency,"
                                                        "satellite,position\r\n"
                                                        "7,Second,x,v,11000,19,2\r\n"
                                                        "\r\n"
                                                        "8,\"Multi\nline\",y,H,12000,19,1\r\n");
    ASSERT_TRUE(read.ok()) << read.error;
    ASSERT_EQ(read.list.channels.size(), 2u);
    EXPECT_EQ(read.list.channels[0].name, "Multi\nline");
    EXPECT_EQ(read.list.channels[0].serviceId, 8);
    EXPECT_EQ(read.list.channels[1].name, "Second");
    EXPECT_EQ(read.list.channels[1].polarisation, 1u);
}

TEST(ReferenceCsv, BadFilesNameTheLineAndTheField) {
    const std::string header = "position,name,satellite,frequency,polarisation,service_id\n";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"position,name,satellite,frequency,polarisation\n1,A,28,11000,H\n", "line 1: the header has no column \"service_id\""},
        {"", "line 1: the header has no column \"position\""},
        {header + "1,A,28,11000,H,1\n2,B,28,11000\n", "line 3: expected 6 fields, found 4"},
        {header + "0,A,28,11000,H,1\n", "line 2: position \"0\" is not a number from 1"},
        {header + "1,A,66,11000,H,1\n", "line 2: satellite \"66\" is not a number from 1 to 65"},
        {header + "1,A,28,70000,H,1\n", "line 2: frequency \"70000\" is not a number from 0 to 65535"},
        {header + "1,A,28,11000,L,1\n", "line 2: polarisation \"L\" is not H or V"},
        {header + "1,A,28,11000,H,-1\n", "line 2: service_id \"-1\" is not a number from 0 to 65535"},
        {header + "1,\"A\nB\",28,11000,H,1\n2,\"open,28,11000,H,1\n", "line 4: a quoted field is not closed"},
    };
    for (const auto& c : cases) {
        const cs::CsvReadResult read = cs::readReferenceCsv(c.text);
        EXPECT_FALSE(read.ok()) << c.text;
        EXPECT_EQ(read.error.substr(0, c.error.size()), c.error) << c.text;
        EXPECT_TRUE(read.list.channels.empty());
    }
}

TEST(ReferenceCsv, MoreRowsThanAnyListAreRefusedNotHeld) {
    std::string text = std::string(cs::kReferenceCsvHeader) + "\n";
    const std::string row = "1,A,28,11100,H,1\n";
    text.reserve(text.size() + row.size() * (cs::kMaxReferenceRows + 1));
    for (std::size_t i = 0; i < cs::kMaxReferenceRows; ++i)
        text += row;
    EXPECT_TRUE(cs::readReferenceCsv(text).ok()) << "the limit itself is accepted";
    text += row;
    const cs::CsvReadResult read = cs::readReferenceCsv(text);
    EXPECT_EQ(read.error, "line " + std::to_string(cs::kMaxReferenceRows + 2) +
                              ": more than 1000000 channels: no receiver's list is that long");
    EXPECT_TRUE(read.list.channels.empty());
}

TEST(ReferenceCsv, NamesARecordCannotHoldAreMarked) {
    const std::string text = std::string(cs::kReferenceCsvHeader) + "\n1,\xD0\x9F\xD1\x80,28,11100,H,1\n2,Caf\xC3\xA9,28,11200,H,2\n";
    const cs::CsvReadResult read = cs::readReferenceCsv(text);
    ASSERT_TRUE(read.ok()) << read.error;
    ASSERT_EQ(read.list.channels.size(), 2u);
    EXPECT_EQ(read.list.channels[0].name, "??");
    EXPECT_TRUE(read.list.channels[0].nameAltered);
    EXPECT_EQ(read.list.channels[1].name, "Caf\xE9");
    EXPECT_FALSE(read.list.channels[1].nameAltered);
}

} // namespace
