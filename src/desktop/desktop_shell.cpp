#include "desktop/desktop_shell.h"
#include "settings/stored_settings.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include "desktop/file_tools.h"

namespace cs {
namespace {

constexpr std::string_view kMimePackageName = "channelsettings.xml";
constexpr std::string_view kDefaultApplicationsSection = "[Default Applications]";

// Escapes of the desktop entry "string" type, applied to a whole value.
std::string keyFileEscaped(std::string_view value) {
    std::string out;
    for (char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        auto nl = text.find('\n');
        if (nl == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, nl));
        text.remove_prefix(nl + 1);
    }
    return lines;
}

bool isSectionHeader(std::string_view line) {
    line = trimmed(line);
    return !line.empty() && line.front() == '[';
}

} // namespace

ShellPlaces ShellPlaces::fromEnvironment(std::string executablePath, std::string iconPath) {
    ShellPlaces places;
    places.dirs = xdgDirsFromEnvironment();
    places.executablePath = std::move(executablePath);
    places.iconPath = std::move(iconPath);
    const char* path = std::getenv("PATH");
    places.toolSearchPath = path ? path : "/usr/local/bin:/usr/bin:/bin";
    return places;
}

DesktopShell::DesktopShell(ShellPlaces places) : places_(std::move(places)) {}

std::string DesktopShell::mimePackagePath() const {
    if (places_.dirs.dataHome.empty())
        return {};
    return joinPath(joinPath(places_.dirs.dataHome, "mime/packages"), kMimePackageName);
}

std::string DesktopShell::desktopEntryPath() const {
    if (places_.dirs.dataHome.empty())
        return {};
    return joinPath(joinPath(places_.dirs.dataHome, "applications"), kDesktopEntryName);
}

std::string DesktopShell::mimeAppsListPath() const {
    if (places_.dirs.configHome.empty())
        return {};
    return joinPath(places_.dirs.configHome, "mimeapps.list");
}

std::string DesktopShell::autostartEntryPath() const {
    if (places_.dirs.configHome.empty())
        return {};
    return joinPath(joinPath(places_.dirs.configHome, "autostart"), kDesktopEntryName);
}

bool DesktopShell::registerFileType() {
    if (places_.dirs.dataHome.empty() || places_.dirs.configHome.empty() || places_.executablePath.empty())
        return false;

    bool ok = writeFileAtomically(mimePackagePath(), dspMimePackageText());
    if (ok)
        runTool("update-mime-database", {joinPath(places_.dirs.dataHome, "mime")}, places_.toolSearchPath);

    std::string execArguments = "%f";
    if (!writeFileAtomically(desktopEntryPath(), desktopEntryText(places_, execArguments, false)))
        ok = false;
    else
        runTool("update-desktop-database", {joinPath(places_.dirs.dataHome, "applications")},
                places_.toolSearchPath);

    // A list that exists but cannot be read is left alone rather than replaced by ours.
    std::string listPath = mimeAppsListPath();
    std::optional<std::string> list = readWholeFile(listPath);
    if (!list && fileExists(listPath))
        return false;
    if (!writeFileAtomically(listPath, withDefaultApplication(list.value_or(std::string()), kDspMimeType,
                                                              kDesktopEntryName)))
        ok = false;
    return ok;
}

bool DesktopShell::setStartAtLogon(bool enabled) {
    std::string path = autostartEntryPath();
    if (path.empty())
        return false;
    if (!enabled)
        return removeFileIfExists(path);
    if (places_.executablePath.empty())
        return false;
    return writeFileAtomically(path, desktopEntryText(places_, kAutorunArgument, true));
}

bool saveSettingsAndLogonStart(StoredSettings& settings, SettingsStore& store, const SettingsWindow& window,
                               DesktopShell& shell, double dateTime) {
    const bool saved = settings.save(store, window, dateTime);
    return shell.setStartAtLogon(settings.flag(settings_flags::kStartAtLogon)) && saved;
}

std::string desktopExecArgument(std::string_view argument) {
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    return keyFileEscaped(quoted);
}

std::string dspMimePackageText() {
    std::string text;
    text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text += "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    text += "  <mime-type type=\"" + std::string(kDspMimeType) + "\">\n";
    text += "    <comment>" + std::string(kDspTypeDescription) + "</comment>\n";
    text += "    <glob pattern=\"*.dsp\"/>\n";
    text += "  </mime-type>\n";
    text += "</mime-info>\n";
    return text;
}

std::string desktopEntryText(const ShellPlaces& places, std::string_view execArguments, bool forAutostart) {
    std::string icon = places.iconPath.empty() ? std::string(kApplicationIconName) : places.iconPath;
    std::string text;
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Version=1.0\n";
    text += "Name=" + std::string(kApplicationName) + "\n";
    text += "Comment=" + std::string(kDspTypeDescription) + "\n";
    text += "Exec=" + desktopExecArgument(places.executablePath) + " " + std::string(execArguments) + "\n";
    text += "Icon=" + keyFileEscaped(icon) + "\n";
    text += "Terminal=false\n";
    if (forAutostart) {
        text += "X-GNOME-Autostart-enabled=true\n";
    } else {
        text += "Categories=Utility;\n";
        text += "MimeType=" + std::string(kDspMimeType) + ";\n";
    }
    return text;
}

std::string withDefaultApplication(std::string_view mimeAppsList, std::string_view mimeType,
                                   std::string_view desktopId) {
    const std::string entry = std::string(mimeType) + "=" + std::string(desktopId);
    std::vector<std::string_view> lines = splitLines(mimeAppsList);

    std::string out;
    bool inSection = false;
    bool done = false;
    for (std::string_view line : lines) {
        if (isSectionHeader(line)) {
            inSection = trimmed(line) == kDefaultApplicationsSection;
            out.append(line);
            out += '\n';
            if (inSection && !done) {
                out += entry + '\n';
                done = true;
            }
            continue;
        }
        if (inSection) {
            auto eq = line.find('=');
            // Our earlier entry (or another program's) for this type gives way to the new one.
            if (eq != std::string_view::npos && trimmed(line.substr(0, eq)) == mimeType)
                continue;
        }
        out.append(line);
        out += '\n';
    }
    if (!done) {
        if (!out.empty() && !out.ends_with("\n\n"))
            out += '\n';
        out += std::string(kDefaultApplicationsSection) + '\n' + entry + '\n';
    }
    return out;
}

} // namespace cs
