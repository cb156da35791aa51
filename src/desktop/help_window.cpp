#include "desktop/help_window.h"

#include "lang/lang_list.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace cs::desktop {
namespace {

constexpr int kFileRole = Qt::UserRole;
constexpr int kAnchorRole = Qt::UserRole + 1;

QString qs(const std::string& s) { return QString::fromStdString(s); }

} // namespace

HelpWindow::HelpWindow(HelpLibrary library, QWidget* parent)
    : QWidget(parent, Qt::Window), library_(std::move(library)), index_(library_.index()) {
    setObjectName(QStringLiteral("helpWindow"));
    resize(900, 640);

    auto* splitter = new QSplitter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    tabs_ = new QTabWidget(splitter);
    tabs_->setObjectName(QStringLiteral("helpTabs"));

    contents_ = new QListWidget(tabs_);
    contents_->setObjectName(QStringLiteral("helpContents"));
    for (const HelpPage& page : library_.pages()) {
        auto* item = new QListWidgetItem(qs(page.title), contents_);
        item->setData(kFileRole, qs(page.file));
    }
    tabs_->addTab(contents_, QString());
    connect(contents_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { openPage(item->data(kFileRole).toString().toStdString()); });
    connect(contents_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { openPage(item->data(kFileRole).toString().toStdString()); });

    auto* indexPage = new QWidget(tabs_);
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexPrompt_ = new QLabel(indexPage);
    indexLayout->addWidget(indexPrompt_);
    indexEdit_ = new QLineEdit(indexPage);
    indexEdit_->setObjectName(QStringLiteral("helpIndexKey"));
    indexLayout->addWidget(indexEdit_);
    indexList_ = new QListWidget(indexPage);
    indexList_->setObjectName(QStringLiteral("helpIndex"));
    auto titleOf = [this](const std::string& file) {
        for (const HelpPage& page : library_.pages())
            if (page.file == file)
                return page.title;
        return file;
    };
    for (std::size_t i = 0; i < index_.size(); ++i) {
        const HelpIndexEntry& entry = index_[i];
        // A keyword of several pages names the page after it, so that the entries differ.
        const auto sameKeyword = [&](std::size_t j) {
            return j < index_.size() && QString::compare(qs(index_[j].keyword), qs(entry.keyword), Qt::CaseInsensitive) == 0;
        };
        QString caption = qs(entry.keyword);
        if ((i > 0 && sameKeyword(i - 1)) || sameKeyword(i + 1))
            caption += QStringLiteral(" (%1)").arg(qs(titleOf(entry.file)));
        auto* item = new QListWidgetItem(caption, indexList_);
        item->setData(kFileRole, qs(entry.file));
        item->setData(kAnchorRole, qs(entry.anchor));
    }
    indexLayout->addWidget(indexList_);
    tabs_->addTab(indexPage, QString());
    connect(indexEdit_, &QLineEdit::textChanged, this, [this](const QString& prefix) {
        if (const auto row = library_.firstIndexMatch(index_, prefix.toStdString()))
            indexList_->setCurrentRow(static_cast<int>(*row));
    });
    auto openIndexItem = [this](QListWidgetItem* item) {
        if (item)
            openPage(item->data(kFileRole).toString().toStdString(), item->data(kAnchorRole).toString().toStdString());
    };
    connect(indexEdit_, &QLineEdit::returnPressed, this, [this, openIndexItem] { openIndexItem(indexList_->currentItem()); });
    connect(indexList_, &QListWidget::itemActivated, this, openIndexItem);
    connect(indexList_, &QListWidget::itemClicked, this, openIndexItem);

    auto* searchPage = new QWidget(tabs_);
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchPrompt_ = new QLabel(searchPage);
    searchLayout->addWidget(searchPrompt_);
    auto* searchRow = new QHBoxLayout;
    searchEdit_ = new QLineEdit(searchPage);
    searchEdit_->setObjectName(QStringLiteral("helpSearchWords"));
    auto* searchButton = searchButton_ = new QPushButton(searchPage);
    searchRow->addWidget(searchEdit_);
    searchRow->addWidget(searchButton);
    searchLayout->addLayout(searchRow);
    searchResults_ = new QListWidget(searchPage);
    searchResults_->setObjectName(QStringLiteral("helpSearchResults"));
    searchLayout->addWidget(searchResults_);
    tabs_->addTab(searchPage, QString());
    connect(searchEdit_, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
    connect(searchButton, &QPushButton::clicked, this, &HelpWindow::runSearch);
    auto openResult = [this](QListWidgetItem* item) {
        if (!item || item->data(kFileRole).toString().isEmpty())
            return;
        openPage(item->data(kFileRole).toString().toStdString());
        // The browser finds the first place of the words on the page.
        const QStringList words = searchEdit_->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!words.isEmpty())
            browser_->find(words.front());
    };
    connect(searchResults_, &QListWidget::itemActivated, this, openResult);
    connect(searchResults_, &QListWidget::itemClicked, this, openResult);

    browser_ = new QTextBrowser(splitter);
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenLinks(false);
    browser_->setSearchPaths({qs(library_.folder().string())});
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.isRelative() || url.isLocalFile())
            browser_->setSource(browser_->source().resolved(url));
        else
            QDesktopServices::openUrl(url);
    });
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({240, 660});

    applyTexts();
}

void HelpWindow::openPage(const std::string& file, const std::string& anchor) {
    QUrl url = QUrl::fromLocalFile(qs((library_.folder() / file).string()));
    if (!anchor.empty())
        url.setFragment(qs(anchor));
    browser_->setSource(url);
    for (int i = 0; i < contents_->count(); ++i)
        if (contents_->item(i)->data(kFileRole).toString().toStdString() == file) {
            QSignalBlocker quiet(contents_);
            contents_->setCurrentRow(i);
        }
}

void HelpWindow::bringUp() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void HelpWindow::applyTexts() {
    auto text = [](std::string_view key) { return QString::fromStdString(lang::text(key)); };
    setWindowTitle(text("HelpTitle"));
    tabs_->setTabText(0, text("MenuHelpContents"));
    tabs_->setTabText(1, text("MenuHelpIndex"));
    tabs_->setTabText(2, text("HelpSearch"));
    if (library_.pages().empty())
        browser_->setHtml(QStringLiteral("<h1>%1</h1><p>%2 %3</p>")
                              .arg(text("HelpTitle").toHtmlEscaped(), text("HelpNotInstalled").toHtmlEscaped(),
                                   qs(library_.folder().string()).toHtmlEscaped()));
    indexPrompt_->setText(text("HelpIndexPrompt"));
    searchPrompt_->setText(text("HelpSearchPrompt"));
    searchButton_->setText(text("HelpSearch"));
}

void HelpWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        applyTexts();
}

void HelpWindow::showTopic(HelpTopic topic) { showPage(std::string(helpFileFor(topic))); }

void HelpWindow::showPage(const std::string& file) {
    tabs_->setCurrentWidget(contents_);
    const auto hash = file.find('#');
    if (hash == std::string::npos)
        openPage(file);
    else
        openPage(file.substr(0, hash), file.substr(hash + 1));
    bringUp();
}

void HelpWindow::showIndex(const QString& prefix) {
    tabs_->setCurrentIndex(1);
    indexEdit_->setText(prefix);
    if (!indexList_->currentItem() && indexList_->count() > 0)
        indexList_->setCurrentRow(0);
    if (currentFile().isEmpty())
        openPage(std::string(helpFileFor(HelpTopic::Contents)));
    indexEdit_->setFocus();
    bringUp();
}

void HelpWindow::showSearch(const QString& query) {
    tabs_->setCurrentIndex(2);
    searchEdit_->setText(query);
    if (!query.isEmpty())
        runSearch();
    searchEdit_->setFocus();
    bringUp();
}

void HelpWindow::runSearch() {
    searchResults_->clear();
    const auto hits = library_.search(searchEdit_->text().toStdString());
    for (const HelpSearchHit& hit : hits) {
        auto* item = new QListWidgetItem(qs(hit.title), searchResults_);
        item->setData(kFileRole, qs(hit.file));
    }
    if (hits.empty())
        searchResults_->addItem(QStringLiteral("(no page holds all these words)"));
}

QString HelpWindow::currentFile() const {
    const QUrl source = browser_->source();
    return source.isEmpty() ? QString() : QFileInfo(source.path()).fileName();
}

} // namespace cs::desktop
