#include "desktop/desktop_shell.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "desktop/file_tools.h"
#include "settings/memory_settings_store.h"
#include "settings/stored_settings.h"
#include "settings/xdg_dirs.h"
#include "settings_test_support.h"

namespace cs::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const char* const kExecutable = "/opt/Channel Settings/channelsettings";

// Runs a shell command and returns its exit status and output (stdout and stderr).
std::pair<int, std::string> run(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return {-1, output};
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// A temporary home with XDG_DATA_HOME and XDG_CONFIG_HOME in it, set for this process.
class DesktopShellInTempHome : public ::testing::Test {
protected:
    TempDir home;
    std::string dataHome = home / "share";
    std::string configHome = home / "config";
    EnvOverride homeVar{"HOME", home.path().c_str()};
    EnvOverride dataVar{"XDG_DATA_HOME", dataHome.c_str()};
    EnvOverride configVar{"XDG_CONFIG_HOME", configHome.c_str()};

    DesktopShell shell() { return DesktopShell(ShellPlaces::fromEnvironment(kExecutable, "/opt/cs/icon.png")); }
};

TEST_F(DesktopShellInTempHome, RegisterFileTypeInstallsTypeEntryAndDefault) {
    DesktopShell s = shell();
    ASSERT_TRUE(s.registerFileType());

    EXPECT_EQ(s.mimePackagePath(), dataHome + "/mime/packages/channelsettings.xml");
    const std::string package = fileText(s.mimePackagePath());
    EXPECT_THAT(package, HasSubstr("<mime-type type=\"application/x-channelsettings-dsp\">"));
    EXPECT_THAT(package, HasSubstr("<glob pattern=\"*.dsp\"/>"));
    EXPECT_THAT(package, HasSubstr("<comment>Channel Setting Tervanis</comment>"));

    EXPECT_EQ(s.desktopEntryPath(), dataHome + "/applications/channelsettings.desktop");
    const std::string entry = fileText(s.desktopEntryPath());
    EXPECT_THAT(entry, HasSubstr("\nExec=\"/opt/Channel Settings/channelsettings\" %f\n"));
    EXPECT_THAT(entry, HasSubstr("\nMimeType=application/x-channelsettings-dsp;\n"));
    EXPECT_THAT(entry, HasSubstr("\nIcon=/opt/cs/icon.png\n"));

    EXPECT_EQ(fileText(configHome + "/mimeapps.list"),
              "[Default Applications]\napplication/x-channelsettings-dsp=channelsettings.desktop\n");
}

// The desktop's own tools read what registration wrote.
TEST_F(DesktopShellInTempHome, DesktopToolsAcceptTheRegistration) {
    const char* path = std::getenv("PATH");
    for (const char* tool : {"update-mime-database", "update-desktop-database", "desktop-file-validate", "xdg-mime"})
        ASSERT_FALSE(findTool(tool, path ? path : "").empty()) << tool << " missing: run scripts/install-deps.sh";

    DesktopShell s = shell();
    ASSERT_TRUE(s.registerFileType());
    ASSERT_TRUE(s.setStartAtLogon(true));

    // The MIME database and the desktop database were rebuilt in the user's folders.
    EXPECT_THAT(fileText(dataHome + "/mime/globs2"), HasSubstr("application/x-channelsettings-dsp:*.dsp"));
    EXPECT_THAT(fileText(dataHome + "/applications/mimeinfo.cache"),
                HasSubstr("application/x-channelsettings-dsp=channelsettings.desktop;"));

    for (const std::string& file : {s.desktopEntryPath(), s.autostartEntryPath()}) {
        auto [status, output] = run("desktop-file-validate " + quoted(file));
        EXPECT_EQ(status, 0) << file << ":\n" << output;
        EXPECT_THAT(output, Not(HasSubstr("error"))) << output;
    }

    auto [status, output] = run("env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION "
                                "-u GNOME_DESKTOP_SESSION_ID xdg-mime query default application/x-channelsettings-dsp");
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "channelsettings.desktop\n");
}

TEST_F(DesktopShellInTempHome, RegistrationWithoutTheToolsStillWritesTheFiles) {
    ShellPlaces places = ShellPlaces::fromEnvironment(kExecutable);
    places.toolSearchPath = "";
    DesktopShell s(places);
    ASSERT_TRUE(s.registerFileType());
    EXPECT_TRUE(fileExists(s.mimePackagePath()));
    EXPECT_TRUE(fileExists(s.desktopEntryPath()));
    EXPECT_THAT(fileText(s.desktopEntryPath()), HasSubstr("\nIcon=channelsettings\n"));
    EXPECT_FALSE(fileExists(dataHome + "/mime/mime.cache"));
}

TEST_F(DesktopShellInTempHome, StartAtLogonWritesAndRemovesTheAutostartEntry) {
    DesktopShell s = shell();
    const std::string entry = configHome + "/autostart/channelsettings.desktop";
    EXPECT_EQ(s.autostartEntryPath(), entry);

    EXPECT_TRUE(s.setStartAtLogon(false)) << "nothing to remove is no failure";
    EXPECT_FALSE(fileExists(entry));

    ASSERT_TRUE(s.setStartAtLogon(true));
    const std::string text = fileText(entry);
    EXPECT_THAT(text, HasSubstr("\nExec=\"/opt/Channel Settings/channelsettings\" /autorun\n"));
    EXPECT_THAT(text, Not(HasSubstr("MimeType"))) << "the autostart entry claims no file type";

    EXPECT_TRUE(s.setStartAtLogon(false));
    EXPECT_FALSE(fileExists(entry));
}

TEST_F(DesktopShellInTempHome, DefaultApplicationKeepsTheRestOfMimeappsList) {
    const std::string list = configHome + "/mimeapps.list";
    writeText(list,
              "[Added Associations]\n"
              "application/x-channelsettings-dsp=other.desktop;\n"
              "text/plain=gedit.desktop;\n"
              "\n"
              "[Default Applications]\n"
              "image/png=viewer.desktop\n"
              "application/x-channelsettings-dsp=other.desktop\n"
              "text/html=browser.desktop\n");
    DesktopShell s = shell();
    ASSERT_TRUE(s.registerFileType());
    EXPECT_EQ(fileText(list),
              "[Added Associations]\n"
              "application/x-channelsettings-dsp=other.desktop;\n"
              "text/plain=gedit.desktop;\n"
              "\n"
              "[Default Applications]\n"
              "application/x-channelsettings-dsp=channelsettings.desktop\n"
              "image/png=viewer.desktop\n"
              "text/html=browser.desktop\n");
    // A second registration changes nothing more.
    const std::string once = fileText(list);
    ASSERT_TRUE(s.registerFileType());
    EXPECT_EQ(fileText(list), once);
}

TEST_F(DesktopShellInTempHome, MimeappsListKeptInADotfileFolderStaysALink) {
    const std::string target = home / "dotfiles/mimeapps.list";
    writeText(target, "[Default Applications]\ntext/plain=gedit.desktop\n");
    std::filesystem::create_directories(configHome);
    std::filesystem::create_symlink(target, configHome + "/mimeapps.list");

    DesktopShell s = shell();
    ASSERT_TRUE(s.registerFileType());
    EXPECT_TRUE(std::filesystem::is_symlink(configHome + "/mimeapps.list"));
    EXPECT_THAT(fileText(target), HasSubstr("application/x-channelsettings-dsp=channelsettings.desktop"));
    EXPECT_THAT(fileText(target), HasSubstr("text/plain=gedit.desktop"));
}

TEST(DesktopShell, WithoutUserFoldersNothingIsWritten) {
    DesktopShell s(ShellPlaces{{"", ""}, kExecutable, "", ""});
    EXPECT_FALSE(s.registerFileType());
    EXPECT_FALSE(s.setStartAtLogon(true));
    EXPECT_EQ(s.mimePackagePath(), "");
    EXPECT_EQ(s.autostartEntryPath(), "");
}

TEST(DesktopShell, FoldersThatCannotBeCreatedFailQuietly) {
    TempDir home;
    writeText(home / "blocker", "a file where a folder should be");
    DesktopShell s(ShellPlaces{{home / "blocker/share", home / "blocker/config"}, kExecutable, "", ""});
    EXPECT_FALSE(s.registerFileType());
    EXPECT_FALSE(s.setStartAtLogon(true));
    EXPECT_EQ(fileText(home / "blocker"), "a file where a folder should be");
}

TEST(DesktopShell, ExecArgumentsSurviveAnyCharacter) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"/usr/bin/channelsettings", "\"/usr/bin/channelsettings\""},
        {"/opt/my apps/cs", "\"/opt/my apps/cs\""},
        {"/opt/$HOME/`cmd`/\"q\"", "\"/opt/\\\\$HOME/\\\\`cmd\\\\`/\\\\\"q\\\\\"\""},
        {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
        {"/opt/100%/cs", "\"/opt/100%%/cs\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(desktopExecArgument(c.path), c.expected) << c.path;
}

TEST(XdgDirs, VariablesCountOnlyAsAbsolutePaths) {
    struct Case {
        const char* data;
        const char* config;
        const char* home;
        XdgDirs expected;
    };
    const Case cases[] = {
        {"/x/data", "/x/config", "/home/ann", {"/x/data", "/x/config"}},
        {nullptr, nullptr, "/home/ann", {"/home/ann/.local/share", "/home/ann/.config"}},
        {"", "relative/config", "/home/ann/", {"/home/ann/.local/share", "/home/ann/.config"}},
        {"/x/data/", nullptr, nullptr, {"/x/data", ""}},
        {nullptr, nullptr, "relative", {"", ""}},
    };
    for (const Case& c : cases) {
        XdgDirs dirs = resolveXdgDirs(c.data, c.config, c.home);
        EXPECT_EQ(dirs.dataHome, c.expected.dataHome) << (c.data ? c.data : "(unset)");
        EXPECT_EQ(dirs.configHome, c.expected.configHome) << (c.config ? c.config : "(unset)");
    }
    EXPECT_EQ(settingsFilePath({"/d", "/home/ann/.config"}), "/home/ann/.config/channelsettings/settings.ini");
    EXPECT_EQ(settingsFilePath({"/d", ""}), "");
}

// A desktop shell working in a temporary XDG home.
struct TempShell {
    TempDir home;
    DesktopShell shell{ShellPlaces{{home / "data", home / "config"}, "/opt/channelsettings/channelsettings", "", ""}};
};

TEST(SaveSettingsAndLogonStart, LogonStartEntryFollowsTheFlag) {
    MemorySettingsStore store;
    TempShell temp;
    FakeWindow window;
    StoredSettings settings;
    const std::string entry = temp.shell.autostartEntryPath();

    settings.setFlag(settings_flags::kStartAtLogon, true);
    EXPECT_TRUE(saveSettingsAndLogonStart(settings, store, window, temp.shell, 45000.0));
    const std::string text = fileText(entry);
    EXPECT_THAT(text, ::testing::HasSubstr("\nExec=\"/opt/channelsettings/channelsettings\" /autorun\n"));

    settings.setFlag(settings_flags::kStartAtLogon, false);
    EXPECT_TRUE(saveSettingsAndLogonStart(settings, store, window, temp.shell, 45000.0));
    EXPECT_FALSE(fileExists(entry)) << "saving without the flag removes the entry";
}

} // namespace
} // namespace cs::test
