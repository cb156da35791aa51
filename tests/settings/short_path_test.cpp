#include "settings/short_path.h"

#include <gtest/gtest.h>

namespace cs::test {
namespace {

TEST(ShortPathText, ShortensLongFoldersAndLongFileNames) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        // Folder "/home/user/abcdefg" has 18 characters: shown whole.
        {"/home/user/abcdefg/list.dsp", "/home/user/abcdefg/list.dsp"},
        // 19 characters: "/..." and the last 12 characters of the folder.
        {"/home/user/abcdefgh/list.dsp", "/...ser/abcdefgh/list.dsp"},
        // File name of 24 characters: whole; of 25: "..." and its last 22.
        {"/tmp/abcdefghijklmnopqrst.dsp", "/tmp/abcdefghijklmnopqrst.dsp"},
        {"/tmp/abcdefghijklmnopqrstu.dsp", "/tmp/...defghijklmnopqrstu.dsp"},
        {"/home/user/abcdefgh/abcdefghijklmnopqrstu.dsp", "/...ser/abcdefgh/...defghijklmnopqrstu.dsp"},
        // Blanks at both ends are trimmed, blanks inside kept.
        {" /tmp/my list.dsp ", "/tmp/my list.dsp"},
        {"/x.dsp", "/x.dsp"},
        {"x.dsp", "x.dsp"},
        // Characters, not bytes: a folder of 18 (two-byte) characters stays whole, one of 19 is cut
        // between characters, and so is a file name of 25.
        {"/home/łóżźćę/kanał/a.dsp", "/home/łóżźćę/kanał/a.dsp"},
        {"/home/łóżźćęą/kanał/a.dsp", "/...óżźćęą/kanał/a.dsp"},
        {"/k/zażółćgęśląjaźńzażół.dsp", "/k/zażółćgęśląjaźńzażół.dsp"},
        {"/k/zażółćgęśląjaźńzażółć.dsp", "/k/...ółćgęśląjaźńzażółć.dsp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shortPathText(c.path), c.expected) << c.path;
}

TEST(ShortPathText, CaptionNumbersTheEntryAndKeepsAmpersands) {
    EXPECT_EQ(recentFileCaption(1, "/data/list.dsp"), "&1. /data/list.dsp");
    EXPECT_EQ(recentFileCaption(4, "/data/R&D.dsp"), "&4. /data/R&&D.dsp");
}

} // namespace
} // namespace cs::test
