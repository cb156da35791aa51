#include "properties/properties_dialog.h"

#include "properties/antenna_pages.h"
#include "properties/channel_pages.h"
#include "properties/page_support.h"
#include "properties/receiver_pages.h"
#include "properties/transponder_page.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace cs::properties {

namespace {
constexpr int kClientWidth = 460;  // room for the transponder list's six columns
constexpr int kClientHeight = 421;
} // namespace

PropertiesDialog::PropertiesDialog(PropertiesContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("propertiesDialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    layout->addWidget(pages_);
    ok_ = new QPushButton(this);
    cancel_ = new QPushButton(this);
    ok_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    resize(kClientWidth, kClientHeight);

    channel_ = new ChannelPages(context_, this);
    settings_[SettingsGroup::Receiver] = new ReceiverSettingsPage(context_, this);
    settings_[SettingsGroup::Satellites] = new SatellitesPage(context_, this);
    settings_[SettingsGroup::Clock] = new ClockPage(context_, this);
    settings_[SettingsGroup::ParentalLock] = new ParentalLockPage(context_, this);
    settings_[SettingsGroup::Converters] = new ConvertersPage(context_, this);
    settings_[SettingsGroup::Transponders] = new TransponderPage(context_, this);
    for (auto& [type, page] : settings_) {
        page->hide();
        connect(page, &SettingsPage::captionSuffixChanged, this, [this](const QString& suffix) {
            suffix_ = suffix;
            showSettingsCaption();
        });
    }
    channel_->programPage()->hide();
    channel_->pidsPage()->hide();
    channel_->caPage()->hide();

    connect(ok_, &QPushButton::clicked, this, &PropertiesDialog::confirm);
    // Escape and the close box cancel too (QDialog::reject).
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

PropertiesDialog::~PropertiesDialog() = default;

SettingsPage* PropertiesDialog::settingsPage(SettingsGroup group) const {
    const auto it = settings_.find(group);
    return it == settings_.end() ? nullptr : it->second;
}

void PropertiesDialog::prepareOnce() {
    if (prepared_)
        return;
    prepared_ = true;
    // Texts and fixed lists are built at the first opening and again after a change of language.
    ok_->setText(languageText(context_, "TextBtnOK"));
    cancel_->setText(languageText(context_, "TextBtnCancel"));
    channel_->prepare();
    for (auto& [type, page] : settings_)
        page->prepare();
}

void PropertiesDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::LanguageChange)
        return;
    prepared_ = false;
    // The dialog is modal, so the language rarely changes while it is shown; if it does, the
    // buttons follow at once and the pages at the next opening.
    if (showing_) {
        ok_->setText(languageText(context_, "TextBtnOK"));
        cancel_->setText(languageText(context_, "TextBtnCancel"));
    }
}

bool PropertiesDialog::open(const PropertiesRequest& opening) {
    if (!load(opening))
        return false;
    show();
    return true;
}

bool PropertiesDialog::load(const PropertiesRequest& opening) {
    if (showing_)
        return false;
    SettingsPage* page = nullptr;
    if (opening.purpose == PropertiesRequest::Purpose::Settings) {
        const bool preset = opening.presetSatellite >= 1 && opening.presetSatellite <= 63;
        page = settingsPage(preset ? SettingsGroup::Satellites : opening.settingsGroup);
        if (!page)
            return false;
    }
    prepareOnce();
    showing_ = true;
    result_ = ChangeLevel::None;
    suffix_.clear();
    open_ = page;
    pages_->clear();
    for (auto& [type, p] : settings_)
        p->hide();
    for (QWidget* p : {channel_->programPage(), channel_->pidsPage(), channel_->caPage()})
        p->hide();
    if (page) {
        pages_->addTab(page, page->caption());
        page->load(opening.presetSatellite);
        showSettingsCaption();
    } else {
        pages_->addTab(channel_->programPage(), languageText(context_, "TabSheet1"));
        pages_->addTab(channel_->pidsPage(), languageText(context_, "TabSheet2"));
        pages_->addTab(channel_->caPage(), languageText(context_, "TabSheet3"));
        setWindowTitle(channel_->load(opening.channelSlot));
    }
    pages_->setCurrentIndex(0);
    return true;
}

void PropertiesDialog::showSettingsCaption() {
    if (!open_)
        return;
    QString caption = languageText(context_, kKeyTitle) + QStringLiteral(": ") + open_->caption();
    if (!suffix_.isEmpty())
        caption += QStringLiteral(" ") + suffix_;
    setWindowTitle(caption);
}

bool PropertiesDialog::confirm() {
    if (!showing_)
        return false;
    if (open_) {
        result_ = open_->commit() ? ChangeLevel::Written : ChangeLevel::None;
    } else {
        const auto level = channel_->commit();
        if (!level)
            return false;
        result_ = *level;
    }
    accept();
    return true;
}

void PropertiesDialog::done(int code) {
    // Cancel, Escape and the close box leave the result at "nothing written".
    showing_ = false;
    open_ = nullptr;
    suffix_.clear();
    QDialog::done(code);
}

ChangeLevel PropertiesDialog::run(const PropertiesRequest& opening) {
    if (!load(opening))
        return ChangeLevel::None;
    exec();
    return result_;
}

} // namespace cs::properties
