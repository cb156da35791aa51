#pragma once
// The filter bar over the channel list: TV/radio, free/scrambled, sort order, favourite list
// (kept hidden) and coding systems, each a drop-down button with its menu. The bar only holds the
// widgets and the fixed items; the view controller decides what a choice does.
#include <QToolBar>

#include <functional>

class QMenu;
class QToolButton;

namespace cs::views {

class FilterBar final : public QToolBar {
    Q_OBJECT

public:
    explicit FilterBar(QWidget* parent = nullptr);
    ~FilterBar() override;

    QToolButton* tvRadio() const { return tvRadio_; }
    QToolButton* freeScrambled() const { return freeScrambled_; }
    QToolButton* sortOrder() const { return sortOrder_; }
    QToolButton* favouriteList() const { return favouriteList_; }
    QToolButton* codingSystems() const { return codingSystems_; }

    // The buttons' hints and the coding-system button's caption; `text` looks a language key up.
    void applyHints(const std::function<QString(const char* key)>& text);

    QMenu* tvRadioMenu() const { return tvRadioMenu_; }
    QMenu* freeScrambledMenu() const { return freeScrambledMenu_; }
    QMenu* sortOrderMenu() const { return sortOrderMenu_; }
    QMenu* favouriteListMenu() const { return favouriteListMenu_; }
    QMenu* codingSystemMenu() const { return codingSystemMenu_; }

private:
    QToolButton* addButton(const char* name, bool visible = true);

    QToolButton* tvRadio_ = nullptr;
    QToolButton* freeScrambled_ = nullptr;
    QToolButton* sortOrder_ = nullptr;
    QToolButton* favouriteList_ = nullptr;
    QToolButton* codingSystems_ = nullptr;
    QMenu* tvRadioMenu_ = nullptr;
    QMenu* freeScrambledMenu_ = nullptr;
    QMenu* sortOrderMenu_ = nullptr;
    QMenu* favouriteListMenu_ = nullptr;
    QMenu* codingSystemMenu_ = nullptr;
};

} // namespace cs::views
