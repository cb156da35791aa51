#include "desktop/log_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>

#include "common/log_sink.h"
#include "desktop/log_file.h"
#include "lang/lang_list.h"
#include "widgets/message_box.h"

namespace cs::desktop {
namespace {

// As the window was designed: caption, place and size.
constexpr int kLeft = 635, kTop = 78, kWidth = 389, kHeight = 612;

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString text(std::string_view key) { return qs(lang::text(key)); }

} // namespace

LogWindow::LogWindow(MemoryLog& log, std::filesystem::path logFile, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::Tool), log_(log), logFile_(std::move(logFile)),
      updatePending_(std::make_shared<std::atomic<bool>>(false)) {
    setObjectName(QStringLiteral("logWindow"));
    setGeometry(kLeft, kTop, kWidth, kHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("log"));
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->viewport()->installEventFilter(this);
    layout->addWidget(list_);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("logStatus"));
    status_->setContentsMargins(4, 2, 4, 2);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_->hide();
    layout->addWidget(status_);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("logPopup"));
    QAction* copy = popup_->addAction(QString());
    copy->setObjectName(QStringLiteral("copyAll"));
    connect(copy, &QAction::triggered, this, &LogWindow::copyAll);
    QAction* write = popup_->addAction(QString());
    write->setObjectName(QStringLiteral("writeLogFile"));
    connect(write, &QAction::triggered, this, [this] { writeLogFile(); });
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_->popup(list_->viewport()->mapToGlobal(at)); });

    applyTexts();

    // The log may be written from any thread; the lines are taken on the window's thread, once
    // for any number of lines written meanwhile.
    QPointer<LogWindow> self(this);
    std::shared_ptr<std::atomic<bool>> pending = updatePending_;
    log_.setListener([self, pending] {
        if (pending->exchange(true))
            return;
        QMetaObject::invokeMethod(self.data(), [self] {
            if (self)
                self->takeNewLines();
        }, Qt::QueuedConnection);
    });
    takeNewLines();
}

LogWindow::~LogWindow() { log_.setListener(nullptr); }

void LogWindow::applyTexts() {
    setWindowTitle(text("Log_Title"));
    list_->setToolTip(text("Log_DoubleClickHint") + QLatin1Char(' ') + qs(logFile_.string()));
    popup_->actions().at(0)->setText(text("Log_CopyAll"));
    popup_->actions().at(1)->setText(text("Log_WriteTo") + QLatin1Char(' ') + qs(std::string(kLogFileName)));
}

void LogWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        applyTexts();
}

void LogWindow::takeNewLines() {
    updatePending_->store(false);
    MemoryLog::Update update = log_.linesSince(seenClears_, seenLines_);
    if (update.fromStart) {
        list_->clear();
        seenLines_ = 0;
    }
    seenClears_ = update.clears;
    if (update.lines.empty())
        return;
    const QScrollBar* bar = list_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QStringList added;
    added.reserve(static_cast<qsizetype>(update.lines.size()));
    for (const std::string& line : update.lines)
        added.push_back(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    list_->addItems(added);
    seenLines_ += update.lines.size();
    if (atEnd)
        list_->scrollToBottom();
}

QStringList LogWindow::lines() const {
    QStringList out;
    for (int i = 0; i < list_->count(); ++i)
        out.push_back(list_->item(i)->text());
    return out;
}

bool LogWindow::writeLogFile() {
    takeNewLines();
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(list_->count()));
    for (int i = 0; i < list_->count(); ++i)
        lines.push_back(list_->item(i)->text().toStdString());
    const AtomicWriteResult result = desktop::writeLogFile(logFile_, lines);
    if (!result.ok) {
        widgets::messageBox(lang::text("Log_WriteFailed") + ' ' + logFile_.string() + ": " + result.error,
                            lang::text("Log_Title"), widgets::kStopOk, this);
        return false;
    }
    // Says where: the file is no longer where older versions wrote it.
    status_->setText(QString::number(lines.size()) + QLatin1Char(' ') + text("Log_LinesWritten") + QLatin1Char(' ') +
                     qs(logFile_.string()));
    status_->show();
    return true;
}

void LogWindow::copyAll() {
    takeNewLines();
    QString text = lines().join(QLatin1Char('\n'));
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    QApplication::clipboard()->setText(text);
}

bool LogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        writeLogFile();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace cs::desktop
