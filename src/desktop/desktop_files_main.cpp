// channelsettings-desktop-files: writes what installing puts on the desktop, from the same code
// the program uses for the user's own registration.
//   icons DIR              the program's icon as PNG files in DIR/hicolor/<n>x<n>/apps
//   entry PREFIX DATADIR   the desktop entry (starting PREFIX/bin/channelsettings) in
//                          DATADIR/applications and the MIME type in DATADIR/mime/packages
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>
#include <filesystem>
#include <string>

#include "widgets/tool_icons.h"
#include "desktop/desktop_shell.h"
#include "desktop/file_tools.h"

namespace {

namespace fs = std::filesystem;

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

int writeIcons(const fs::path& folder) {
    const QIcon icon = cs::widgets::applicationIcon();
    for (int size : kIconSizes) {
        const fs::path dir = folder / "hicolor" / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
        std::error_code ec;
        fs::create_directories(dir, ec);
        const fs::path file = dir / (std::string(cs::kApplicationIconName) + ".png");
        if (!icon.pixmap(size, size).save(QString::fromStdString(file.string()), "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}

int writeEntry(const fs::path& prefix, const fs::path& dataDir) {
    cs::ShellPlaces places;
    places.executablePath = (prefix / "bin" / "channelsettings").string();
    const fs::path entry = dataDir / "applications" / std::string(cs::kDesktopEntryName);
    const fs::path mime = dataDir / "mime" / "packages" / "channelsettings.xml";
    if (!cs::writeFileAtomically(entry.string(), cs::desktopEntryText(places, "%f", false)) ||
        !cs::writeFileAtomically(mime.string(), cs::dspMimePackageText())) {
        std::fprintf(stderr, "cannot write %s or %s\n", entry.c_str(), mime.c_str());
        return 1;
    }
    std::printf("-- Installing: %s\n-- Installing: %s\n", entry.c_str(), mime.c_str());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if ((mode == "--help" || mode == "-h") && argc == 2) {
        std::printf("usage: %s icons DIR | entry PREFIX DATADIR\n", argv[0]);
        return 0;
    }
    if (mode == "icons" && argc == 3) {
        QGuiApplication app(argc, argv);
        return writeIcons(argv[2]);
    }
    if (mode == "entry" && argc == 4)
        return writeEntry(argv[2], argv[3]);
    std::fprintf(stderr, "usage: %s icons DIR | entry PREFIX DATADIR\n", argv[0]);
    return 2;
}
