#include "reference/reference_commands.h"

#include "common/regular_file.h"
#include "database/channel_database.h"
#include "database/display_texts.h"
#include "reference/duplicates_window.h"
#include "reference/export_file.h"
#include "reference/order_dialog.h"
#include "reference/reference_file.h"
#include "views/channel_list_model.h"
#include "views/view_controller.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"

#include "views/view_table.h"

#include <QAction>
#include <QDateTime>
#include <QLocale>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <filesystem>

namespace cs::reference_ui {

namespace {

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Why a reference file cannot be used, for the message box.
std::string problemText(const ReferenceFileResult& read, const std::string& path, const DisplayTexts& texts) {
    const std::string name = fileNameOf(path);
    const std::string file = texts.text("MsgFile") + " " + name + " ";
    switch (read.problem) {
    case ReferenceFileProblem::None:
        break;
    case ReferenceFileProblem::NotRegular:
        return file + fileProblemText(read.fileProblem);
    case ReferenceFileProblem::NotDatabase:
        if (read.fileProblem != FileProblem::None && read.fileProblem != FileProblem::Missing)
            return file + fileProblemText(read.fileProblem);
        if (read.opened == OpenResult::Software)
            return file + texts.text("RefSoftwareImage");
        if (read.opened == OpenResult::PictureStore)
            return file + texts.text("RefPictureStore");
        return file + texts.text("RefDoesNotExist");
    case ReferenceFileProblem::Unreadable:
        return file + texts.text("RefUnreadable");
    case ReferenceFileProblem::TooLarge:
        return file + texts.text("RefTooLarge");
    case ReferenceFileProblem::BadList:
        return name + " " + texts.text("RefBadList") + " " + read.csvError;
    }
    return {};
}

} // namespace

ReferenceCommands::ReferenceCommands(ReferenceHost host, views::ViewController& views, ChannelDatabase& database,
                                     const DisplayTexts& texts, QObject* parent)
    : QObject(parent), host_(std::move(host)), views_(views), db_(database), texts_(texts) {
    setObjectName(QStringLiteral("referenceCommands"));
    auto wire = [this](QAction* action, void (ReferenceCommands::*command)()) {
        if (action)
            connect(action, &QAction::triggered, this, command);
    };
    wire(host_.orderLikeReference, &ReferenceCommands::orderLikeReference);
    wire(host_.exportView, &ReferenceCommands::exportView);
    wire(host_.findDuplicates, &ReferenceCommands::findDuplicates);
    wire(host_.printView, &ReferenceCommands::printView);
    wire(host_.exportPdf, &ReferenceCommands::exportPdf);
}

OrderSummaryDialog* ReferenceCommands::summaryDialog() const { return summary_.data(); }

std::string ReferenceCommands::startFolder() const {
    const std::string shown = host_.shownFile ? host_.shownFile() : std::string();
    return shown.empty() ? std::string() : std::filesystem::path(shown).parent_path().string();
}

std::optional<std::string> ReferenceCommands::askSavePath(const std::string& title, const std::string& filter,
                                                         const std::string& extension, const std::string& fileName) const {
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Save;
    request.title = title;
    request.filter = filter;
    request.defaultExtension = extension;
    request.initialFolder = startFolder();
    request.fileName = fileName;
    request.parent = host_.window;
    return widgets::saveFileDialog(request);
}

int ReferenceCommands::shownList() const {
    const auto node = views_.classifySelected();
    return node && node->isFavouriteList() ? node->list() : 0;
}

void ReferenceCommands::orderLikeReference() {
    if (host_.databaseLoaded && !host_.databaseLoaded())
        return;
    OrderDialog dialog(db_, texts_, shownList(), startFolder(), host_.window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const OrderRequest request = dialog.request();
    ReferenceFileResult read = readReferenceFile(request.file);
    if (!read.ok()) {
        widgets::messageBox(problemText(read, request.file, texts_) + "\n" + texts_.text("OrderNothingChanged"),
                            texts_.text(kOrderCaption), widgets::kStopOk, host_.window);
        return;
    }
    if (request.options.rebuildLists && !read.list->fromDatabase) {
        widgets::messageBox(fileNameOf(request.file) + " " + texts_.text("OrderNoListsInCsv") + "\n" +
                                texts_.text("OrderNothingChanged"),
                            texts_.text(kOrderCaption), widgets::kStopOk, host_.window);
        return;
    }
    const std::size_t lists = favouriteListCount(db_.flash().settings().listCount);
    if (request.options.list > lists)
        return;  // the dialog offers only the lists the database has
    const std::size_t membersBefore = request.options.list == 0 ? 0 : db_.listMembers(request.options.list);
    const OrderSummary summary = cs::orderLikeReference(db_, *read.list, request.options);
    // A list takes every matched channel of the database: say how it grew.
    std::string target = texts_.text("OrderTargetMain");
    if (request.options.list > 0)
        target = texts_.text("OrderFavouriteList") + " " + std::string(db_.flash().settings().listName(request.options.list)) +
                 " (" + std::to_string(membersBefore) + " " + texts_.text("OrderChannelsBefore") + ", " +
                 std::to_string(db_.listMembers(request.options.list)) + " " + texts_.text("OrderChannelsNow") + ")";
    if (host_.changed)
        host_.changed(texts_.text(kOrderCaption) + ": " + fileNameOf(request.file));
    if (host_.refreshViews)
        host_.refreshViews();
    if (summary_)
        summary_->close();
    summary_ = new OrderSummaryDialog(summary, *read.list, target, request.options.list == 0, db_, texts_, host_.window);
    summary_->setAttribute(Qt::WA_DeleteOnClose);
    summary_->show();
}

void ReferenceCommands::exportView() {
    if (host_.databaseLoaded && !host_.databaseLoaded())
        return;
    if (views_.listMode() != views::ListMode::Channels) {
        widgets::messageBox(texts_.text("ExportNothing"), texts_.text(kExportCaption), widgets::kInformationOk,
                            host_.window);
        return;
    }
    const auto shown = views_.model().rowSlots();
    const std::vector<std::uint16_t> rows(shown.begin(), shown.end());
    const auto chosen = askSavePath(texts_.text(kExportCaption), texts_.text("FileTypeChannelLists") + " (*.csv)|*.csv", "csv",
                                    csvFileNameFor(views_.selectedNodeText().toStdString()));
    if (!chosen)
        return;
    const std::filesystem::path path = withCsvExtension(*chosen);
    const CsvExportResult written = writeReferenceCsvFile(db_, rows, path);
    if (!written.ok) {
        widgets::messageBox(texts_.text("MsgFileCantSave") + " " + path.string() + "\n" + written.error,
                            texts_.text(kExportCaption), widgets::kStopOk, host_.window);
        return;
    }
    if (host_.showStatus)
        host_.showStatus(std::to_string(written.channels) + " " +
                         texts_.text(written.channels == 1 ? "ExportChannelWritten" : "ExportChannelsWritten") + " " +
                         path.filename().string());
}

void ReferenceCommands::findDuplicates() {
    if (host_.databaseLoaded && !host_.databaseLoaded())
        return;
    // Modal: nothing else changes the database while its rows name channels by their slots.
    DuplicatesWindow window(db_, texts_,
                            [this](std::size_t count) {
                                if (host_.changed)
                                    host_.changed(texts_.text("StepRemoveDuplicates") + ": " + std::to_string(count));
                                if (host_.refreshViews)
                                    host_.refreshViews();
                            },
                            host_.window);
    window.exec();
}

bool ReferenceCommands::viewHasChannels(const std::string& caption) const {
    if (views_.listMode() == views::ListMode::Channels && views_.model().rows() > 0)
        return true;
    widgets::messageBox(texts_.text("PrintNothing"), caption, widgets::kInformationOk, host_.window);
    return false;
}

TextTable ReferenceCommands::printTable() const {
    const views::ChannelListModel& model = views_.model();
    std::vector<int> rows(static_cast<std::size_t>(model.rows()));
    for (int r = 0; r < model.rows(); ++r)
        rows[static_cast<std::size_t>(r)] = r;
    TextTable table = views::shownTable(model, nullptr, rows);
    const int list = shownList();
    table.header.insert(table.header.begin(), texts_.text("PrintPosition"));
    for (int r = 0; r < model.rows(); ++r) {
        const int position = list > 0 ? db_.record(model.slotAt(r)).listPosition(static_cast<std::size_t>(list))
                                      : model.numberAt(r);
        auto& cells = table.rows[static_cast<std::size_t>(r)];
        cells.insert(cells.begin(), std::to_string(position));
    }
    return table;
}

PrintHeader ReferenceCommands::printHeader() const {
    PrintHeader header;
    const std::string shown = host_.shownFile ? host_.shownFile() : std::string();
    header.fileName = QString::fromStdString(shown.empty() ? std::string() : fileNameOf(shown));
    header.view = views_.selectedNodeText();
    header.date = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    header.pageWord = QString::fromStdString(texts_.text("PrintPage"));
    header.ofWord = QString::fromStdString(texts_.text("PrintOf"));
    return header;
}

void ReferenceCommands::printView() {
    const std::string caption = texts_.text("MenuPrint");
    if ((host_.databaseLoaded && !host_.databaseLoaded()) || !viewHasChannels(caption))
        return;
    const TextTable table = printTable();
    const PrintHeader header = printHeader();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(header.fileName);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, host_.window);
    preview.setObjectName(QStringLiteral("printPreview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
            [&](QPrinter* target) { paintTable(*target, header, table); });
    preview.exec();
}

void ReferenceCommands::exportPdf() {
    const std::string caption = texts_.text("MenuExportPdf");
    if ((host_.databaseLoaded && !host_.databaseLoaded()) || !viewHasChannels(caption))
        return;
    const auto chosen = askSavePath(caption, "PDF (*.pdf)|*.pdf", "pdf", {});
    if (!chosen)
        return;
    std::filesystem::path path(*chosen);
    if (path.extension() != ".pdf")
        path += ".pdf";
    exportViewPdf(path.string());
}

bool ReferenceCommands::exportViewPdf(const std::string& path) {
    const std::string caption = texts_.text("MenuExportPdf");
    if (!viewHasChannels(caption))
        return false;
    int pages = 0;
    if (!writeTablePdf(QString::fromStdString(path), printHeader(), printTable(), &pages)) {
        widgets::messageBox(texts_.text("MsgFileCantSave") + " " + path, caption, widgets::kStopOk, host_.window);
        return false;
    }
    if (host_.showStatus)
        host_.showStatus(fileNameOf(path) + ": " + std::to_string(pages) + " " + texts_.text("PrintPage"));
    return true;
}

} // namespace cs::reference_ui
