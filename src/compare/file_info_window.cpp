#include "compare/file_info_window.h"

#include "compare/satellite_chart.h"
#include "database/channel_database.h"
#include "image/flash.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <filesystem>

namespace cs::compare_ui {

namespace {

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

const char* checkKey(AreaCheck check) {
    switch (check) {
    case AreaCheck::Passed: return "FileInfoPassed";
    case AreaCheck::Failed: return "FileInfoFailed";
    case AreaCheck::Absent: break;
    }
    return "FileInfoAbsent";
}

} // namespace

FileInfoWindow::FileInfoWindow(const CompareHost& host, const ChannelDatabase& db, QWidget* parent)
    : QDialog(parent), host_(host), facts_(fileFacts(db)) {
    setObjectName(QStringLiteral("fileInfoWindow"));
    auto text = [this](const char* key) { return QString::fromStdString(host_.text(key)); };
    const std::string shown = host_.shownFile ? host_.shownFile() : std::string();
    setWindowTitle(text("FileInfoTitle") +
                   (shown.empty() ? QString() : QStringLiteral(" - ") +
                                                    QString::fromStdString(std::filesystem::path(shown).filename().string())));
    auto* numbers = new QWidget(this);
    form_ = new QFormLayout(numbers);
    auto n = [](std::size_t v) { return QString::number(v); };
    addRow("FileInfoKind", latin1(db.flash().image().kindText()));
    addRow("FileInfoCapacity", n(facts_.capacity));
    addRow("FileInfoUsed", n(facts_.used));
    addRow("FileInfoFree", n(facts_.free));
    addRow("FileInfoTv", n(facts_.tv));
    addRow("FileInfoRadio", n(facts_.radio));
    addRow("FileInfoFta", n(facts_.freeToAir));
    addRow("FileInfoScrambled", n(facts_.scrambled));
    addRow("FileInfoDamaged", n(facts_.damagedRecords));
    addRow("FileInfoProviders", n(db.providerCount()));
    addRow("FileInfoTransponders", n(facts_.transponders));
    QStringList lists;
    for (const ListFacts& l : facts_.lists)
        lists << QStringLiteral("%1 (%2)").arg(latin1(l.name)).arg(l.channels);
    addRow("FileInfoLists", lists.isEmpty() ? QStringLiteral("0") : lists.join(QStringLiteral(", ")));
    addRow("FileInfoSettingsCheck", text(checkKey(facts_.settingsCheck)));
    addRow("FileInfoProviderCheck", text(checkKey(facts_.providerCheck)));
    addRow("FileInfoDuplicateServices", n(facts_.duplicateServices));
    addRow("FileInfoDuplicateNames", n(facts_.duplicateNames));

    auto* chartBox = new QGroupBox(text("FileInfoChart"), this);
    chart_ = new SatelliteChart;
    std::vector<std::pair<QString, std::size_t>> bars;
    for (const SatelliteCount& s : facts_.perSatellite)
        bars.emplace_back(latin1(s.name), s.channels);
    chart_->setBars(std::move(bars));
    auto* scroll = new QScrollArea(chartBox);
    scroll->setWidget(chart_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMinimumHeight(std::min(chart_->sizeHint().height() + 4, 360));
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->addWidget(scroll);

    auto* close = new QPushButton(text("CompareClose"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* row = new QHBoxLayout;
    row->addWidget(numbers);
    row->addWidget(chartBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addLayout(buttons);
    resize(820, 480);
}

void FileInfoWindow::addRow(const char* key, const QString& value) {
    auto* label = new QLabel(value);
    label->setObjectName(QString::fromLatin1(key));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    form_->addRow(QString::fromStdString(host_.text(key)) + QStringLiteral(":"), label);
}

QString FileInfoWindow::valueOf(const char* key) const {
    const auto* label = findChild<QLabel*>(QString::fromLatin1(key));
    return label ? label->text() : QString();
}

void showFileInformation(const CompareHost& host, const ChannelDatabase& db) {
    FileInfoWindow window(host, db, host.window);
    window.exec();
}

} // namespace cs::compare_ui
