// The desktop folder and the launcher the preferences dialog puts there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "desktop/desktop_launcher.h"
#include "fixtures/image_builder.h"

namespace cs::desktop {
namespace {

namespace fs = std::filesystem;

TEST(DesktopFolder, FromUserDirsOrTheDefault) {
    struct Case {
        const char* text;
        const char* folder;
    } cases[] = {
        {"", "/home/ann/Desktop"},
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "/home/ann/Desktop"},
        {"# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Pobrane\"\nXDG_DESKTOP_DIR=\"$HOME/Pulpit\"\n",
         "/home/ann/Pulpit"},
        {"XDG_DESKTOP_DIR=\"/data/ann desk\"\n", "/data/ann desk"},
        {"XDG_DESKTOP_DIR=\"${HOME}/My \\\"Desk\\\"\"\n", "/home/ann/My \"Desk\""},
        {"  XDG_DESKTOP_DIR = \"$HOME/Schreibtisch\"  \r\n", "/home/ann/Schreibtisch"},
        // The home folder itself, relative paths and commented lines do not count.
        {"XDG_DESKTOP_DIR=\"$HOME/\"\n", "/home/ann/Desktop"},
        {"XDG_DESKTOP_DIR=\"Desktop\"\n", "/home/ann/Desktop"},
        {"#XDG_DESKTOP_DIR=\"/elsewhere\"\n", "/home/ann/Desktop"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(desktopFolderFrom(c.text, "/home/ann"), c.folder) << c.text;
    EXPECT_EQ(desktopFolderFrom("", ""), "");
}

TEST(DesktopLauncher, AnExecutableEntryThatStartsTheProgram) {
    fixtures::TempDir dir;
    ShellPlaces places;
    places.executablePath = "/opt/channel settings/bin/channelsettings";
    places.toolSearchPath = "";  // no gio: the trust mark cannot be set, the launcher is still made
    const fs::path desk = dir.path() / "Pulpit";
    const LauncherResult result = createDesktopLauncher(places, desk.string());
    ASSERT_TRUE(result.written) << result.error;
    EXPECT_FALSE(result.trusted);
    EXPECT_EQ(result.path, (desk / "channelsettings.desktop").string());
    std::ifstream in(result.path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Exec=\"/opt/channel settings/bin/channelsettings\" %f\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MimeType=application/x-channelsettings-dsp;"), std::string::npos);
    const fs::perms perms = fs::status(result.path).permissions();
    EXPECT_NE(perms & fs::perms::owner_exec, fs::perms::none);
}

TEST(DesktopLauncher, RefusesWithoutAFolderOrProgram) {
    ShellPlaces places;
    places.executablePath = "/usr/bin/channelsettings";
    EXPECT_FALSE(createDesktopLauncher(places, "").written);
    places.executablePath.clear();
    fixtures::TempDir dir;
    const LauncherResult result = createDesktopLauncher(places, dir.path().string());
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(result.error.empty());
}

} // namespace
} // namespace cs::desktop
