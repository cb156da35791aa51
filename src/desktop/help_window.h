#pragma once
// The help window: the shipped help pages in a browser, with their contents, a keyword index and
// a full-text search beside it. Links to other pages follow inside the window; web and mail
// links open in the desktop's programs.
#include <QWidget>

#include <string>
#include <vector>

#include "desktop/help_library.h"

class QLineEdit;
class QListWidget;
class QTabWidget;
class QLabel;
class QPushButton;
class QTextBrowser;

namespace cs::desktop {

class HelpWindow final : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(HelpLibrary library, QWidget* parent = nullptr);

    // Shows the page of `topic` (and brings the contents to the front).
    void showTopic(HelpTopic topic);
    // Shows a page by its file name, optionally with "#anchor".
    void showPage(const std::string& file);
    // Shows the index with the first keyword starting with `prefix` selected.
    void showIndex(const QString& prefix);
    // Shows the search page and runs `query` (empty: just shows the page).
    void showSearch(const QString& query);
    // The file name of the page shown ("editing.html"), empty when none is.
    QString currentFile() const;

    QTextBrowser* browser() const { return browser_; }
    QTabWidget* tabs() const { return tabs_; }
    QListWidget* indexList() const { return indexList_; }
    QListWidget* searchResults() const { return searchResults_; }
    QLineEdit* indexEdit() const { return indexEdit_; }
    const HelpLibrary& library() const { return library_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTexts();
    void openPage(const std::string& file, const std::string& anchor = {});
    void runSearch();
    void bringUp();

    HelpLibrary library_;
    std::vector<HelpIndexEntry> index_;
    QTabWidget* tabs_ = nullptr;
    QListWidget* contents_ = nullptr;
    QLineEdit* indexEdit_ = nullptr;
    QListWidget* indexList_ = nullptr;
    QLineEdit* searchEdit_ = nullptr;
    QListWidget* searchResults_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    QLabel* indexPrompt_ = nullptr;
    QLabel* searchPrompt_ = nullptr;
    QPushButton* searchButton_ = nullptr;
};

} // namespace cs::desktop
