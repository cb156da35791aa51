#pragma once
// The preferences dialog: closing, instances, drag and drop and start-up options on the general
// page, the serial port on the communication page, the file type and the desktop shortcut on the
// installation page. The boxes are filled once when it opens; OK writes the five option bits and
// the port into the stored settings and stores them at once, Cancel changes nothing.
#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "common/text_lookup.h"
#include "desktop/desktop_launcher.h"
#include "desktop/preferences_form.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QTabWidget;

namespace cs {
class StoredSettings;
}

namespace cs::desktop {

struct PreferencesContext {
    TextLookup texts;
    StoredSettings* settings = nullptr;
    std::function<std::vector<std::string>()> findPorts = foundSerialPorts;
    std::function<bool()> registerFileType;
    std::function<LauncherResult()> createLauncher;
    // After OK changed the settings: apply what takes effect at once and store them.
    std::function<void()> accepted;
    std::function<void()> showHelp;
};

class PreferencesDialog final : public QDialog {
    Q_OBJECT

public:
    explicit PreferencesDialog(PreferencesContext context, QWidget* parent = nullptr);

    void acceptChanges();
    void registerFileType();
    void createDesktopShortcut();

    QCheckBox* closeEndsProgramBox() const { return closeEnds_; }
    QCheckBox* multipleInstancesBox() const { return multiple_; }
    QCheckBox* dragDropDisabledBox() const { return noDragDrop_; }
    QCheckBox* noDatabaseAtStartBox() const { return noDatabase_; }
    QCheckBox* startAtLogonBox() const { return logon_; }
    QCheckBox* ctrlZUndoesBox() const { return ctrlZUndoes_; }
    QComboBox* portBox() const { return ports_; }
    QTabWidget* pages() const { return pages_; }

private:
    QString text(std::string_view key) const;

    PreferencesContext context_;
    PortChoices portChoices_;
    QTabWidget* pages_ = nullptr;
    QCheckBox* closeEnds_ = nullptr;
    QCheckBox* multiple_ = nullptr;
    QCheckBox* noDragDrop_ = nullptr;
    QCheckBox* noDatabase_ = nullptr;
    QCheckBox* logon_ = nullptr;
    QCheckBox* ctrlZUndoes_ = nullptr;
    QComboBox* ports_ = nullptr;
};

} // namespace cs::desktop
