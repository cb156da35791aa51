#pragma once
// What the import chooser window does with each click, without widgets: which of its three
// lists shows (the components, the detail list of one component, the file's description), the
// captions and enabled states of its buttons, and when it closes. The window draws this state
// and hands every click to it; the choices themselves live in ImportChooser.
#include "exchange/import_chooser.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace cs {

// What a button press asks of the window.
enum class ChooserStep {
    Stay,           // redraw and stay open
    NothingChosen,  // tell the user nothing was chosen ("Nie wybrano żadnego składnika"), stay
    Confirmed,      // close: the selection is to be applied
    Cancelled,      // close: nothing changes
};

// The page the window's component frame shows.
enum class ChooserPage { Components, Details, Description };

class ImportChooserFlow {
public:
    // `description` is the file's description as text; empty when it has none.
    ImportChooserFlow(ImportChooser& chooser, const std::string& description);

    // ---- the component list
    // The row the user clicked or moved to; the details button follows it.
    void setCurrent(std::optional<std::size_t> item);
    std::optional<std::size_t> current() const { return current_; }
    void setSelected(std::size_t item, bool selected);
    // A double-click on a row: opens its detail list when it has one.
    void openDetails(std::size_t item);

    // ---- the detail list
    void setDetailChecked(std::size_t entry, bool checked);
    const SubFlags& detailChecks() const { return detailChecks_; }
    std::optional<std::size_t> detailItem() const { return detailItem_; }
    std::vector<std::string> detailLabels() const;

    // ---- the buttons
    ChooserStep ok();
    ChooserStep cancel();
    ChooserStep details();
    void description();

    // ---- what the window shows
    ChooserPage page() const { return page_; }
    std::string frameCaption() const;
    std::string detailsCaption() const;
    bool detailsEnabled() const;
    std::string descriptionButtonCaption() const;
    bool descriptionButtonEnabled() const { return page_ != ChooserPage::Details; }
    // The description split into lines at character 10, or the single line saying there is none.
    const std::vector<std::string>& descriptionLines() const { return descriptionLines_; }

    const ImportChooser& chooser() const { return chooser_; }

private:
    void closeDetails();

    ImportChooser& chooser_;
    std::vector<std::string> descriptionLines_;
    ChooserPage page_ = ChooserPage::Components;
    std::optional<std::size_t> current_;
    std::optional<std::size_t> detailItem_;
    SubFlags detailChecks_{};
};

} // namespace cs
