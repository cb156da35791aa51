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

#include <QAction>

#include <filesystem>

namespace cs::reference_ui {

namespace {

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Why a reference file cannot be used, for the message box.
std::string problemText(const ReferenceFileResult& read, const std::string& path) {
    const std::string name = fileNameOf(path);
    switch (read.problem) {
    case ReferenceFileProblem::None:
        break;
    case ReferenceFileProblem::NotRegular:
        return "File " + name + " " + fileProblemText(read.fileProblem);
    case ReferenceFileProblem::NotDatabase:
        if (read.fileProblem != FileProblem::None && read.fileProblem != FileProblem::Missing)
            return "File " + name + " " + fileProblemText(read.fileProblem);
        if (read.opened == OpenResult::Software)
            return "File " + name + " is a software or plug-in image, not a database.";
        if (read.opened == OpenResult::PictureStore)
            return "File " + name + " is a picture store, not a database.";
        return "File " + name + " does not exist.";
    case ReferenceFileProblem::Unreadable:
        return "File " + name + " could not be read.";
    case ReferenceFileProblem::TooLarge:
        return "File " + name + " is too large for a channel list.";
    case ReferenceFileProblem::BadList:
        return name + " is neither a database nor a channel list: " + read.csvError;
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
}

OrderSummaryDialog* ReferenceCommands::summaryDialog() const { return summary_.data(); }

std::string ReferenceCommands::startFolder() const {
    const std::string shown = host_.shownFile ? host_.shownFile() : std::string();
    return shown.empty() ? std::string() : std::filesystem::path(shown).parent_path().string();
}

int ReferenceCommands::shownList() const {
    const auto node = views_.classifySelected();
    return node && node->isFavouriteList() ? node->list() : 0;
}

void ReferenceCommands::orderLikeReference() {
    if (host_.databaseLoaded && !host_.databaseLoaded())
        return;
    OrderDialog dialog(db_, shownList(), startFolder(), host_.window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const OrderRequest request = dialog.request();
    ReferenceFileResult read = readReferenceFile(request.file);
    if (!read.ok()) {
        widgets::messageBox(problemText(read, request.file) + "\nNothing was changed.", kOrderCaption,
                            widgets::kStopOk, host_.window);
        return;
    }
    if (request.options.rebuildLists && !read.list->fromDatabase) {
        widgets::messageBox(fileNameOf(request.file) +
                                " is a channel list: it holds no favourite lists to rebuild from.\nNothing was changed.",
                            kOrderCaption, widgets::kStopOk, host_.window);
        return;
    }
    const std::size_t lists = favouriteListCount(db_.flash().settings().listCount);
    if (request.options.list > lists)
        return;  // the dialog offers only the lists the database has
    const std::size_t membersBefore = request.options.list == 0 ? 0 : db_.listMembers(request.options.list);
    const OrderSummary summary = cs::orderLikeReference(db_, *read.list, request.options);
    // A list takes every matched channel of the database: say how it grew.
    std::string target = "The main list";
    if (request.options.list > 0)
        target = "Favourite list " + std::string(db_.flash().settings().listName(request.options.list)) + " (" +
                 std::to_string(membersBefore) + " channels before, " +
                 std::to_string(db_.listMembers(request.options.list)) + " now)";
    if (host_.changed)
        host_.changed("Order like " + fileNameOf(request.file));
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
        widgets::messageBox("The list shows no channels to export: choose the main list, a satellite, a provider "
                            "or a favourite list.",
                            kExportCaption, widgets::kInformationOk, host_.window);
        return;
    }
    const auto shown = views_.model().rowSlots();
    const std::vector<std::uint16_t> rows(shown.begin(), shown.end());
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Save;
    request.title = kExportCaption;
    request.filter = "Channel lists (*.csv)|*.csv";
    request.defaultExtension = "csv";
    request.initialFolder = startFolder();
    request.fileName = csvFileNameFor(views_.selectedNodeText().toStdString());
    request.parent = host_.window;
    const auto chosen = widgets::saveFileDialog(request);
    if (!chosen)
        return;
    const std::filesystem::path path = withCsvExtension(*chosen);
    const CsvExportResult written = writeReferenceCsvFile(db_, rows, path);
    if (!written.ok) {
        widgets::messageBox("Unable to save file " + path.string() + "\n" + written.error, kExportCaption,
                            widgets::kStopOk, host_.window);
        return;
    }
    if (host_.showStatus)
        host_.showStatus(std::to_string(written.channels) + (written.channels == 1 ? " channel" : " channels") +
                         " written to " + path.filename().string());
}

void ReferenceCommands::findDuplicates() {
    if (host_.databaseLoaded && !host_.databaseLoaded())
        return;
    // Modal: nothing else changes the database while its rows name channels by their slots.
    DuplicatesWindow window(db_, texts_,
                            [this](std::size_t count) {
                                if (host_.changed)
                                    host_.changed("Remove " + std::to_string(count) +
                                                  (count == 1 ? " duplicate" : " duplicates"));
                                if (host_.refreshViews)
                                    host_.refreshViews();
                            },
                            host_.window);
    window.exec();
}

} // namespace cs::reference_ui
