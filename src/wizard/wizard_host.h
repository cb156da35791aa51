#pragma once
// What the connection wizard needs of the window that opens it: texts, the stored settings, the
// shown database and its file, saving it, opening a received file, a folder chooser and the
// software image named on the command line. The main window implements it; tests may too.
#include <string>
#include <string_view>

class QWidget;

namespace cs {
class StoredSettings;
}

namespace cs::wizard {

class WizardHost {
public:
    virtual ~WizardHost() = default;

    // The window the wizard and its messages stand over.
    virtual QWidget* hostWindow() = 0;
    // Text of a language key in the current language.
    virtual std::string text(std::string_view key) const = 0;
    virtual StoredSettings& storedSettings() = 0;

    virtual bool databaseLoaded() const = 0;
    virtual bool isModified() const = 0;
    // The shown database's file.
    virtual const std::string& currentFileName() const = 0;
    // Saves the shown database to its file; afterwards isModified() tells whether it worked.
    virtual void save() = 0;
    // Opens `file` once the wizard has closed (a database just received).
    virtual void openFileLater(const std::string& file) = 0;
    virtual std::string browseForFolder(const std::string& title, const std::string& initialFolder) = 0;

    // The software image named on the command line, "" when none.
    virtual std::string softwareImageFile() const = 0;
    // The wizard closes; `softwareSent` is true when it sent a file successfully. A software
    // image handed over from the command line then lets the program end at the next close.
    virtual void wizardClosed(bool softwareSent) = 0;
};

} // namespace cs::wizard
