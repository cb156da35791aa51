#include "desktop/preferences_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "settings/stored_settings.h"
#include "widgets/message_box.h"

namespace cs::desktop {
namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// No language has a text for this box.
constexpr std::string_view kCtrlZUndoesKey = "PrefCtrlZUndoes";

// Shown after a port the stored settings name but the machine does not have now.
constexpr std::string_view kNotConnected = " (not connected)";

} // namespace

PreferencesDialog::PreferencesDialog(PreferencesContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("preferencesDialog"));
    setWindowTitle(text("Pref_Title"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pages"));
    layout->addWidget(pages_);

    auto box = [this](QWidget* page, const char* name, std::string_view key) {
        auto* check = new QCheckBox(text(key), page);
        check->setObjectName(QLatin1String(name));
        page->layout()->addWidget(check);
        return check;
    };

    auto* general = new QWidget(pages_);
    general->setObjectName(QStringLiteral("generalPage"));
    general->setLayout(new QVBoxLayout);
    closeEnds_ = box(general, "closeEndsProgram", "Pref_CheckBox01");
    multiple_ = box(general, "multipleInstances", "Pref_CheckBox02");
    noDragDrop_ = box(general, "dragDropDisabled", "Pref_CheckBox03");
    noDatabase_ = box(general, "noDatabaseAtStart", "Pref_CheckBox04");
    ctrlZUndoes_ = new QCheckBox(text(kCtrlZUndoesKey), general);
    ctrlZUndoes_->setObjectName(QStringLiteral("ctrlZUndoes"));
    general->layout()->addWidget(ctrlZUndoes_);
    static_cast<QVBoxLayout*>(general->layout())->addStretch();
    pages_->addTab(general, text("Pref_Ctr00"));

    auto* communication = new QWidget(pages_);
    communication->setObjectName(QStringLiteral("communicationPage"));
    communication->setLayout(new QVBoxLayout);
    auto* portLabel = new QLabel(text("Pref_Label01"), communication);
    communication->layout()->addWidget(portLabel);
    ports_ = new QComboBox(communication);
    ports_->setObjectName(QStringLiteral("port"));
    portLabel->setBuddy(ports_);
    communication->layout()->addWidget(ports_);
    static_cast<QVBoxLayout*>(communication->layout())->addStretch();
    pages_->addTab(communication, text("Pref_Ctr01"));

    auto* installation = new QWidget(pages_);
    installation->setObjectName(QStringLiteral("installationPage"));
    installation->setLayout(new QVBoxLayout);
    logon_ = box(installation, "startAtLogon", "Pref_CheckBox05");
    auto* registerButton = new QPushButton(text("Pref_Btn01"), installation);
    registerButton->setObjectName(QStringLiteral("registerFileType"));
    installation->layout()->addWidget(registerButton);
    auto* shortcutButton = new QPushButton(text("Pref_Btn02"), installation);
    shortcutButton->setObjectName(QStringLiteral("desktopShortcut"));
    installation->layout()->addWidget(shortcutButton);
    static_cast<QVBoxLayout*>(installation->layout())->addStretch();
    pages_->addTab(installation, text("Pref_Ctr02"));
    connect(registerButton, &QPushButton::clicked, this, &PreferencesDialog::registerFileType);
    connect(shortcutButton, &QPushButton::clicked, this, &PreferencesDialog::createDesktopShortcut);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(text("TextBtnOK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(text("TextBtnCancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    QPushButton* help = buttons->addButton(text("TextBtnHelp"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("helpButton"));
    layout->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &PreferencesDialog::acceptChanges);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        if (context_.showHelp)
            context_.showHelp();
    });

    // The boxes are filled once, here: switching to another window and back keeps what the user
    // ticked.
    const StoredSettings& settings = *context_.settings;
    const PreferenceBoxes boxes = boxesFromFlags(settings.flags);
    closeEnds_->setChecked(boxes.closeEndsProgram);
    multiple_->setChecked(boxes.multipleInstances);
    noDragDrop_->setChecked(boxes.dragDropDisabled);
    noDatabase_->setChecked(boxes.noDatabaseAtStart);
    logon_->setChecked(boxes.startAtLogon);
    ctrlZUndoes_->setChecked(settings.ctrlZUndoes);

    portChoices_ = portChoices(context_.findPorts ? context_.findPorts() : std::vector<std::string>{},
                               settings.serialPortName);
    for (const PortEntry& entry : portChoices_.entries)
        ports_->addItem(qs(entry.connected ? entry.name : entry.name + std::string(kNotConnected)));
    ports_->setCurrentIndex(portChoices_.selected);
}

QString PreferencesDialog::text(std::string_view key) const {
    QString caption = context_.texts ? qs(context_.texts(key)) : qs(key);
    // The language files write a literal "&" in "Drag & & Drop" as "& &"; Qt would underline
    // the blank and lose the ampersand.
    caption.replace(QStringLiteral("& &"), QStringLiteral("&&"));
    return caption;
}

void PreferencesDialog::acceptChanges() {
    StoredSettings& settings = *context_.settings;
    PreferenceBoxes boxes;
    boxes.closeEndsProgram = closeEnds_->isChecked();
    boxes.multipleInstances = multiple_->isChecked();
    boxes.dragDropDisabled = noDragDrop_->isChecked();
    boxes.noDatabaseAtStart = noDatabase_->isChecked();
    boxes.startAtLogon = logon_->isChecked();
    settings.flags = flagsWithBoxes(settings.flags, boxes);
    settings.ctrlZUndoes = ctrlZUndoes_->isChecked();
    settings.serialPortName = portToStore(portChoices_, ports_->currentIndex(), settings.serialPortName);
    if (context_.accepted)
        context_.accepted();
    accept();
}

void PreferencesDialog::registerFileType() {
    if (context_.registerFileType && !context_.registerFileType())
        widgets::messageBox("The .dsp file type could not be registered with the desktop: a file in the user's data "
                            "or configuration folder could not be written.",
                            text("TextError").toStdString(), widgets::kStopOk, this);
}

void PreferencesDialog::createDesktopShortcut() {
    if (!context_.createLauncher)
        return;
    const LauncherResult result = context_.createLauncher();
    if (!result.written) {
        widgets::messageBox(text("PrefShortcutFailed").toStdString() + " " + result.error, text("TextError").toStdString(),
                            widgets::kStopOk, this);
        return;
    }
    widgets::messageBox(text("PrefShortcutCreated").toStdString() + " " + result.path, text("TextInformation").toStdString(),
                        widgets::kInformationOk, this);
}

} // namespace cs::desktop
