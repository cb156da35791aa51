#include "compare/compare_window.h"

#include "common/log_sink.h"
#include "database/channel_database.h"
#include "image/flash.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>

namespace cs::compare_ui {

namespace {

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

enum Column { kColChannel, kColThis, kColOther, kColWhat, kColMatch, kColumnCount };

// The language key of each field bit, in bit order.
constexpr const char* kFieldKeys[diff_field::kCount] = {
    "CompareFieldName",      "CompareFieldFrequency", "CompareFieldPolarisation", "CompareFieldSymbolRate",
    "CompareFieldVideoPid",  "CompareFieldAudioPid",  "CompareFieldSatellite",    "CompareFieldProvider",
    "CompareFieldTvRadio",   "CompareFieldScrambled", "CompareFieldOther",        "ComparePosition"};

const char* settingsKey(SettingsPart part) {
    switch (part) {
    case SettingsPart::Satellites: return "CompareSettingsSatellites";
    case SettingsPart::Converters: return "CompareSettingsConverters";
    case SettingsPart::Transponders: return "CompareSettingsTransponders";
    case SettingsPart::Receiver: return "CompareSettingsReceiver";
    case SettingsPart::Lists: return "CompareSettingsLists";
    }
    return "";
}

constexpr int kChangeRole = kEntryRole + 1;

} // namespace

CompareWindow::CompareWindow(const CompareHost& host, ChannelDatabase& shown, std::shared_ptr<const ChannelDatabase> other,
                             std::string otherPath, QWidget* parent)
    : QDialog(parent), host_(host), shown_(shown), other_(std::move(other)), otherPath_(std::move(otherPath)) {
    setObjectName(QStringLiteral("compareWindow"));
    setWindowTitle(text("CompareTitle"));
    headline_ = new QLabel(this);
    headline_->setObjectName(QStringLiteral("compareHeadline"));
    headline_->setWordWrap(true);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("compareTree"));
    tree_->setColumnCount(kColumnCount);
    tree_->setHeaderLabels({text("CompareColumnChannel"), text("CompareColumnThis"), text("CompareColumnOther"),
                            text("CompareColumnWhat"), text("CompareColumnMatch")});
    tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->setMinimumSize(720, 360);
    take_ = new QPushButton(text("CompareTake"), this);
    take_->setObjectName(QStringLiteral("takeFromOther"));
    auto* close = new QPushButton(text("CompareClose"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    auto* row = new QHBoxLayout;
    row->addWidget(take_);
    row->addStretch(1);
    row->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(headline_);
    layout->addWidget(tree_, 1);
    layout->addLayout(row);
    connect(take_, &QPushButton::clicked, this, [this] { takeChosen(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { rowActivated(item); });
    refresh();
}

QString CompareWindow::text(const char* key) const { return QString::fromStdString(host_.text ? host_.text(key) : key); }

QString CompareWindow::fieldsText(unsigned fields) const {
    QStringList names;
    for (unsigned i = 0; i < diff_field::kCount; ++i)
        if (fields & (1u << i))
            names << text(kFieldKeys[i]);
    return names.join(QStringLiteral(", "));
}

void CompareWindow::refresh() {
    diff_ = compareDatabases(*other_, shown_);
    tree_->clear();
    addChannelGroup(ChannelChange::Removed, "CompareRemoved");
    addChannelGroup(ChannelChange::Added, "CompareAdded");
    addChannelGroup(ChannelChange::Renamed, "CompareRenamed");
    addChannelGroup(ChannelChange::Moved, "CompareMoved");
    addChannelGroup(ChannelChange::Changed, "CompareChanged");
    addListsAndSettings();
    QString headline = text("CompareHeadline") + QStringLiteral(" ") + QString::fromStdString(fileNameOf(otherPath_)) +
                       QStringLiteral(".");
    if (diff_.same())
        headline += QStringLiteral(" ") + text("CompareSame");
    headline_->setText(headline);
    take_->setEnabled(diff_.count(ChannelChange::Removed) + diff_.count(ChannelChange::Renamed) +
                          diff_.count(ChannelChange::Moved) > 0);
}

void CompareWindow::addChannelGroup(ChannelChange change, const char* key) {
    const std::size_t count = diff_.count(change);
    if (!count)
        return;
    auto* group = new QTreeWidgetItem(tree_, {QStringLiteral("%1 (%2)").arg(text(key)).arg(count)});
    group->setFirstColumnSpanned(true);
    group->setData(0, kChangeRole, static_cast<int>(change));
    group->setFlags(Qt::ItemIsEnabled);
    auto place = [this](int slot, std::size_t position) {
        return slot < 0 ? QString() : QStringLiteral("%1 %2").arg(text("ComparePosition")).arg(position);
    };
    for (std::size_t k = 0; k < diff_.channels.size(); ++k) {
        const ChannelDifference& d = diff_.channels[k];
        if (d.change != change)
            continue;
        QString what;
        if (change == ChannelChange::Renamed)
            what = latin1(d.nameA) + QStringLiteral(" \u2192 ") + latin1(d.nameB);
        else if (change == ChannelChange::Moved)
            what = QStringLiteral("%1 \u2192 %2").arg(d.positionA).arg(d.positionB);
        else if (change == ChannelChange::Changed)
            what = fieldsText(d.fields);
        QString match;
        if (d.match == MatchKind::Service)
            match = text("CompareMatchService");
        else if (d.match == MatchKind::Name)
            match = text("CompareMatchName");
        auto* item = new QTreeWidgetItem(group, {latin1(d.slotB >= 0 ? d.nameB : d.nameA), place(d.slotB, d.positionB),
                                                 place(d.slotA, d.positionA), what, match});
        item->setData(0, kEntryRole, static_cast<qulonglong>(k));
    }
    group->setExpanded(true);
}

void CompareWindow::addListsAndSettings() {
    std::size_t changedLists = 0;
    for (const ListDifference& l : diff_.lists)
        changedLists += !l.empty();
    if (changedLists) {
        auto* group = new QTreeWidgetItem(tree_, {QStringLiteral("%1 (%2)").arg(text("CompareLists")).arg(changedLists)});
        group->setFirstColumnSpanned(true);
        group->setFlags(Qt::ItemIsEnabled);
        const SettingsModel& settings = shown_.flash().settings();
        for (const ListDifference& l : diff_.lists) {
            if (l.empty())
                continue;
            const QString name = QStringLiteral("%1 %2 %3").arg(text("CompareListNumber")).arg(l.number).arg(latin1(settings.listName(l.number)));
            auto* item = new QTreeWidgetItem(group, {name.trimmed(), QString(), QString(),
                                                     QStringLiteral("%1 %2, %3 %4, %5 %6")
                                                         .arg(text("CompareListAdded")).arg(l.addedSlots.size())
                                                         .arg(text("CompareListRemoved")).arg(l.removedSlots.size())
                                                         .arg(text("CompareListMoved")).arg(l.movedSlots.size())});
            item->setFlags(Qt::ItemIsEnabled);
        }
        group->setExpanded(true);
    }
    if (!diff_.settings.empty()) {
        auto* group = new QTreeWidgetItem(tree_, {QStringLiteral("%1 (%2)").arg(text("CompareSettings")).arg(diff_.settings.size())});
        group->setFirstColumnSpanned(true);
        group->setFlags(Qt::ItemIsEnabled);
        for (SettingsPart part : diff_.settings) {
            auto* item = new QTreeWidgetItem(group, {text(settingsKey(part))});
            item->setFlags(Qt::ItemIsEnabled);
        }
        group->setExpanded(true);
    }
}

QTreeWidgetItem* CompareWindow::group(ChannelChange change) const {
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* g = tree_->topLevelItem(i);
        if (g->data(0, kChangeRole).isValid() && g->data(0, kChangeRole).toInt() == static_cast<int>(change))
            return g;
    }
    return nullptr;
}

void CompareWindow::chooseEntries(const std::vector<std::size_t>& entries) {
    tree_->clearSelection();
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* g = tree_->topLevelItem(i);
        for (int c = 0; c < g->childCount(); ++c) {
            const QVariant v = g->child(c)->data(0, kEntryRole);
            if (v.isValid() && std::find(entries.begin(), entries.end(), v.toULongLong()) != entries.end())
                g->child(c)->setSelected(true);
        }
    }
}

bool CompareWindow::takeChosen() {
    std::vector<std::size_t> entries;
    for (QTreeWidgetItem* item : tree_->selectedItems()) {
        const QVariant v = item->data(0, kEntryRole);
        if (v.isValid() && canTake(diff_.channels[static_cast<std::size_t>(v.toULongLong())].change))
            entries.push_back(static_cast<std::size_t>(v.toULongLong()));
    }
    if (entries.empty()) {
        widgets::messageBox(host_.text("CompareTakeNothing"), host_.text("CompareTitle"), widgets::kInformationOk, this);
        return false;
    }
    const TakeSummary taken = takeFromOther(shown_, *other_, diff_, entries);
    if (taken.total() && host_.changed)
        host_.changed(host_.text("CompareTakeStep") + " " + fileNameOf(otherPath_));
    if (taken.total() && host_.refreshViews)
        host_.refreshViews();
    refresh();
    if (taken.refused)
        widgets::messageBox(std::to_string(taken.refused) + " " + host_.text("CompareTakeRefused"), host_.text("CompareTitle"),
                            widgets::kInformationOk, this);
    return taken.total() > 0;
}

void CompareWindow::rowActivated(QTreeWidgetItem* item) {
    const QVariant v = item ? item->data(0, kEntryRole) : QVariant();
    if (!v.isValid())
        return;
    const ChannelDifference& d = diff_.channels[static_cast<std::size_t>(v.toULongLong())];
    if (d.slotB < 0 || !host_.selectChannel)
        return;
    if (!host_.selectChannel(static_cast<std::uint16_t>(d.slotB)))
        widgets::messageBox(host_.text("CompareNotShown"), host_.text("CompareTitle"), widgets::kInformationOk, this);
}

OtherDatabase openOtherDatabase(const std::string& path) {
    struct Held {
        NullLog log;
        Flash flash{log};
        ChannelDatabase db{flash};
    };
    auto held = std::make_shared<Held>();
    const OpenResult result = held->flash.openImage(path);
    OtherDatabase out;
    if (result == OpenResult::Loaded) {
        out.database = std::shared_ptr<const ChannelDatabase>(held, &held->db);
        return out;
    }
    out.problem = result == OpenResult::NoFile ? "MsgFileNotExisting" : "MSgFileNotCorrectFormatBase";
    return out;
}

void compareWithPath(const CompareHost& host, ChannelDatabase& shown, const std::string& path) {
    const OtherDatabase other = openOtherDatabase(path);
    if (!other.database) {
        widgets::messageBox(host.text("MsgFile") + " " + fileNameOf(path) + " " + host.text(other.problem.c_str()),
                            host.text("CompareTitle"), widgets::kStopOk, host.window);
        return;
    }
    CompareWindow window(host, shown, other.database, path, host.window);
    window.exec();
}

void compareWithFile(const CompareHost& host, ChannelDatabase& shown) {
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Open;
    request.title = host.text("CompareTitle");
    request.filter = host.text("CompareFileFilter") + " (*.dsp)|*.dsp";
    const std::string current = host.shownFile ? host.shownFile() : std::string();
    if (!current.empty())
        request.initialFolder = std::filesystem::path(current).parent_path().string();
    request.parent = host.window;
    const auto chosen = widgets::openFileDialog(request);
    if (chosen)
        compareWithPath(host, shown, *chosen);
}

} // namespace cs::compare_ui
