#include "exchange/import_chooser_window.h"

#include "exchange/import_texts.h"
#include "lang/lang_list.h"
#include "widgets/help_request.h"
#include "widgets/message_box.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace cs::exchange_ui {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QListWidgetItem* checkItem(QListWidget* list, const std::string& label, bool checked) {
    auto* item = new QListWidgetItem(qs(label), list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

ImportChooserWindow::ImportChooserWindow(ImportChooser& chooser, const ImportFile& file, const std::string& title,
                                         QWidget* parent)
    : QDialog(parent), flow_(chooser, file.descriptionUtf8()) {
    setObjectName(QStringLiteral("importChooser"));
    setWindowTitle(qs(title));
    setModal(true);

    auto* outer = new QGroupBox(qs(importText(chooser_text::kFrameCaption)), this);
    auto* info = new QLabel(qs(importExplanation()), outer);
    info->setWordWrap(true);

    frame_ = new QGroupBox(outer);
    pages_ = new QStackedWidget(frame_);
    components_ = new QListWidget(pages_);
    components_->setObjectName(QStringLiteral("components"));
    details_ = new QListWidget(pages_);
    details_->setObjectName(QStringLiteral("details"));
    memo_ = new QPlainTextEdit(pages_);
    memo_->setObjectName(QStringLiteral("description"));
    memo_->setReadOnly(true);
    pages_->addWidget(components_);
    pages_->addWidget(details_);
    pages_->addWidget(memo_);
    auto* frameLayout = new QVBoxLayout(frame_);
    frameLayout->addWidget(pages_);

    auto* outerLayout = new QVBoxLayout(outer);
    outerLayout->addWidget(info);
    outerLayout->addWidget(frame_, 1);

    ok_ = new QPushButton(qs(importText(chooser_text::kOk)), this);
    cancel_ = new QPushButton(qs(importText(chooser_text::kCancel)), this);
    detailsButton_ = new QPushButton(this);
    descriptionButton_ = new QPushButton(this);
    help_ = new QPushButton(QString::fromStdString(lang::text("TextBtnHelp")), this);
    help_->setObjectName(QStringLiteral("help"));
    ok_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addWidget(detailsButton_);
    buttons->addStretch(1);
    buttons->addWidget(descriptionButton_);
    buttons->addWidget(help_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(outer, 1);
    layout->addLayout(buttons);
    resize(460, 420);

    filling_ = true;
    for (const ChooserItem& item : flow_.chooser().items())
        checkItem(components_, item.label, item.selected);
    memo_->setPlainText([this] {
        QStringList lines;
        for (const std::string& line : flow_.descriptionLines())
            lines << QString::fromStdString(line);
        return lines.join(QLatin1Char('\n'));
    }());
    filling_ = false;

    connect(components_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!filling_)
            flow_.setSelected(static_cast<std::size_t>(components_->row(item)), item->checkState() == Qt::Checked);
    });
    connect(components_, &QListWidget::currentRowChanged, this, [this](int row) {
        flow_.setCurrent(row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
        refresh();
    });
    connect(components_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        flow_.openDetails(static_cast<std::size_t>(components_->row(item)));
        fillDetails();
        refresh();
    });
    connect(details_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!filling_)
            flow_.setDetailChecked(static_cast<std::size_t>(details_->row(item)), item->checkState() == Qt::Checked);
    });
    connect(help_, &QPushButton::clicked, this, [this] { widgets::requestHelp(this); });
    connect(ok_, &QPushButton::clicked, this, [this] { handle(flow_.ok()); });
    connect(cancel_, &QPushButton::clicked, this, [this] { handle(flow_.cancel()); });
    connect(detailsButton_, &QPushButton::clicked, this, [this] {
        const ChooserStep step = flow_.details();
        fillDetails();
        handle(step);
    });
    connect(descriptionButton_, &QPushButton::clicked, this, [this] {
        flow_.description();
        refresh();
    });
    refresh();
}

void ImportChooserWindow::fillDetails() {
    if (flow_.page() != ChooserPage::Details)
        return;
    filling_ = true;
    details_->clear();
    const std::vector<std::string> labels = flow_.detailLabels();
    for (std::size_t k = 0; k < labels.size(); ++k)
        checkItem(details_, labels[k], flow_.detailChecks()[k]);
    filling_ = false;
}

void ImportChooserWindow::handle(ChooserStep step) {
    switch (step) {
    case ChooserStep::Stay:
        break;
    case ChooserStep::NothingChosen:
        widgets::messageBox(importText(chooser_text::kNothingChosen), importText(chooser_text::kNothingChosenCaption),
                            widgets::kStopOk, this);
        break;
    case ChooserStep::Confirmed:
        accept();
        return;
    case ChooserStep::Cancelled:
        reject();
        return;
    }
    refresh();
}

void ImportChooserWindow::refresh() {
    switch (flow_.page()) {
    case ChooserPage::Components:
        pages_->setCurrentWidget(components_);
        break;
    case ChooserPage::Details:
        pages_->setCurrentWidget(details_);
        break;
    case ChooserPage::Description:
        pages_->setCurrentWidget(memo_);
        break;
    }
    frame_->setTitle(qs(flow_.frameCaption()));
    detailsButton_->setText(qs(flow_.detailsCaption()));
    detailsButton_->setEnabled(flow_.detailsEnabled());
    descriptionButton_->setText(qs(flow_.descriptionButtonCaption()));
    descriptionButton_->setEnabled(flow_.descriptionButtonEnabled());
}

void ImportChooserWindow::keyPressEvent(QKeyEvent* event) {
    // Escape is the cancel button: it leaves a detail list or the description first.
    if (event->key() == Qt::Key_Escape) {
        handle(flow_.cancel());
        return;
    }
    QDialog::keyPressEvent(event);
}

bool chooseComponents(ImportChooser& chooser, const ImportFile& file, const std::string& title, QWidget* parent) {
    ImportChooserWindow window(chooser, file, title, parent);
    return window.exec() == QDialog::Accepted && chooser.confirmed();
}

ImportResult importWithChooser(const std::string& path, ChannelDatabase& database, const std::string& title,
                               QWidget* parent) {
    ImportResult result = importFile(path, database, [&](ImportChooser& chooser, const ImportFile& file) {
        return chooseComponents(chooser, file, title, parent);
    });
    if (result.failure != kImportRead) {
        widgets::messageBox(result.message, result.caption, widgets::kWarningOk, parent);
        return result;
    }
    for (const ComponentOutcome& c : result.report.components) {
        if (c.status == ComponentStatus::Refused)
            widgets::messageBox(c.message, importFailureCaption(), widgets::kWarningOk, parent);
        else if (c.status == ComponentStatus::Applied && !c.message.empty())
            widgets::messageBox(c.message, title, widgets::kInformationOk, parent);
    }
    return result;
}

} // namespace cs::exchange_ui
