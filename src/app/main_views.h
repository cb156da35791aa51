#pragma once
// What the main window asks of its views (the tree, the channel list, the filters of ToolBar2
// and the status counts). The views component implements it over the open database; the main
// window only calls these operations around loading, showing and switching the language.
#include <QIcon>
#include <QString>

namespace cs::app {

class MainViews {
public:
    virtual ~MainViews() = default;

    // Drops the views of the previous database and rebuilds the tree for the one just loaded.
    virtual void ResetViews() = 0;
    virtual void setDatabaseLoaded(bool loaded) = 0;
    virtual void SetListMode(int mode) = 0;
    virtual void FillChannelList() = 0;
    virtual void UpdateStatusCounts() = 0;
    // Builds the columns of the list (FormShow) and returns the list's designed width.
    virtual void BuildColumns() = 0;
    virtual int listWidth() const = 0;
    // Fills the coding-system filter menu (FormShow).
    virtual void FillCodingSystemMenu() = 0;
    // Node, column, filter and hint texts in the current language.
    virtual void ApplyTexts() = 0;
    // The selected node as status panel 1 draws it.
    virtual QIcon selectedNodeIcon() const = 0;
    virtual QString selectedNodeText() const = 0;
    // While a command changes many rows the status panels are not refreshed.
    virtual bool bulkUpdate() const = 0;
};

} // namespace cs::app
