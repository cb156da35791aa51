#include "widgets/file_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QString>

#include <string_view>
#include <utility>

namespace cs::widgets {

namespace {

FileDialogs*& installed() {
    static FileDialogs* dialogs = nullptr;
    return dialogs;
}

const char* kindName(FileDialogKind kind) {
    switch (kind) {
    case FileDialogKind::Open:
        return "open";
    case FileDialogKind::Save:
        return "save";
    case FileDialogKind::Folder:
        return "folder";
    }
    return "?";
}

std::vector<std::string> splitBars(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == '|') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

std::string trimmed(std::string s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

QString startPath(const FileDialogRequest& request) {
    const QString name = QString::fromStdString(request.fileName);
    const QString folder = QString::fromStdString(request.initialFolder);
    if (name.isEmpty())
        return folder;
    if (QFileInfo(name).isAbsolute() || folder.isEmpty())
        return name;
    return QDir(folder).filePath(QFileInfo(name).fileName());
}

// "*.dsp" and "dsp" both mean the extension "dsp".
QString defaultSuffix(const std::string& ext) {
    std::string_view v = ext;
    if (v.starts_with("*"))
        v.remove_prefix(1);
    if (v.starts_with("."))
        v.remove_prefix(1);
    return QString::fromStdString(std::string(v));
}

} // namespace

std::string qtFilterText(const std::string& filter) {
    if (filter.empty())
        return {};
    const auto parts = splitBars(filter);
    std::string out;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        std::string description = trimmed(parts[i]);
        std::string patterns = i + 1 < parts.size() ? trimmed(parts[i + 1]) : description;
        for (char& c : patterns)
            if (c == ';')
                c = ' ';
        if (!out.empty())
            out += ";;";
        // Qt reads the patterns from the last parentheses, so put the real ones there, unless the
        // description already ends with them.
        const std::string inParentheses = "(" + patterns + ")";
        if (description.ends_with(inParentheses))
            out += description;
        else
            out += description + " " + inParentheses;
    }
    return out;
}

std::optional<std::string> QtFileDialogs::run(const FileDialogRequest& request) {
    QWidget* parent = request.parent ? request.parent : QApplication::activeWindow();
    QFileDialog dialog(parent, QString::fromStdString(request.title));
    if (request.kind == FileDialogKind::Folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        if (!request.initialFolder.empty())
            dialog.setDirectory(QString::fromStdString(request.initialFolder));
    } else {
        const QString filters = QString::fromStdString(qtFilterText(request.filter));
        if (!filters.isEmpty()) {
            const QStringList list = filters.split(QStringLiteral(";;"));
            dialog.setNameFilters(list);
            const int index = request.filterIndex - 1;
            if (index >= 0 && index < list.size())
                dialog.selectNameFilter(list.at(index));
        }
        dialog.setDefaultSuffix(defaultSuffix(request.defaultExtension));
        if (request.kind == FileDialogKind::Open) {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
        }
        const QString start = startPath(request);
        if (!start.isEmpty()) {
            const QFileInfo info(start);
            if (info.isDir()) {
                dialog.setDirectory(start);
            } else {
                dialog.setDirectory(info.absolutePath());
                dialog.selectFile(info.fileName());
            }
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    if (request.kind == FileDialogKind::Folder) {
        while (chosen.size() > 1 && chosen.endsWith(QDir::separator()))
            chosen.chop(1);
    }
    return chosen.toStdString();
}

FileDialogs& fileDialogs() {
    static QtFileDialogs qtDialogs;
    return installed() ? *installed() : qtDialogs;
}

FileDialogs* setFileDialogs(FileDialogs* dialogs) { return std::exchange(installed(), dialogs); }

std::optional<std::string> openFileDialog(FileDialogRequest request) {
    request.kind = FileDialogKind::Open;
    return fileDialogs().run(request);
}

std::optional<std::string> saveFileDialog(FileDialogRequest request) {
    request.kind = FileDialogKind::Save;
    return fileDialogs().run(request);
}

std::string browseForFolder(QWidget* owner, const std::string& title, const std::string& initialFolder) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Folder;
    request.title = title;
    request.initialFolder = initialFolder;
    request.parent = owner;
    return fileDialogs().run(request).value_or(std::string());
}

ScriptedFileDialogs::ScriptedFileDialogs() : previous_(setFileDialogs(this)) {}

ScriptedFileDialogs::~ScriptedFileDialogs() { setFileDialogs(previous_); }

ScriptedFileDialogs& ScriptedFileDialogs::expect(FileDialogKind kind, std::optional<std::string> answer,
                                                 std::string title) {
    expected_.push_back({kind, std::move(answer), std::move(title)});
    return *this;
}

std::optional<std::string> ScriptedFileDialogs::run(const FileDialogRequest& request) {
    shown_.push_back(request);
    if (expected_.empty()) {
        failures_.push_back(std::string("unexpected ") + kindName(request.kind) + " dialog \"" + request.title + "\"");
        return std::nullopt;
    }
    Expected next = std::move(expected_.front());
    expected_.pop_front();
    if (next.kind != request.kind || (!next.title.empty() && next.title != request.title)) {
        failures_.push_back(std::string("expected ") + kindName(next.kind) + " dialog \"" + next.title + "\", got " +
                            kindName(request.kind) + " dialog \"" + request.title + "\"");
        return std::nullopt;
    }
    return next.answer;
}

std::string ScriptedFileDialogs::report() const {
    std::string out;
    for (const auto& f : failures_)
        out += f + "\n";
    for (const auto& e : expected_)
        out += std::string(kindName(e.kind)) + " dialog never shown \"" + e.title + "\"\n";
    return out;
}

} // namespace cs::widgets
