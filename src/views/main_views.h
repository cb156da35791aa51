#pragma once
// What the main window asks of its views (the tree, the channel list, the filter bar and the
// status counts). The view controller implements it over the open database; the main
// window only calls these operations around loading, showing and switching the language.
#include <QIcon>
#include <QString>

namespace cs::views {

class MainViews {
public:
    virtual ~MainViews() = default;

    // Drops the views of the previous database and rebuilds the tree for the one just loaded.
    virtual void resetViews() = 0;
    virtual void setDatabaseLoaded(bool loaded) = 0;
    virtual void setListMode(int mode) = 0;
    virtual void fillChannelList() = 0;
    virtual void updateStatusCounts() = 0;
    // Builds the columns of the list (when the window is first shown); see listWidth.
    virtual void buildColumns() = 0;
    // The list's designed width: what its columns need.
    virtual int listWidth() const = 0;
    // Fills the coding-system filter menu (when the window is first shown).
    virtual void fillCodingSystemMenu() = 0;
    // Node, column, filter and hint texts in the current language.
    virtual void applyTexts() = 0;
    // The selected node as the node panel of the status bar draws it.
    virtual QIcon selectedNodeIcon() const = 0;
    virtual QString selectedNodeText() const = 0;
    // While a command changes many rows the status panels are not refreshed.
    virtual bool bulkUpdate() const = 0;
};

} // namespace cs::views
