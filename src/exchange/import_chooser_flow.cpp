#include "exchange/import_chooser_flow.h"

#include "exchange/import_texts.h"

#include <algorithm>

namespace cs {

ImportChooserFlow::ImportChooserFlow(ImportChooser& chooser, const std::string& description) : chooser_(chooser) {
    if (description.empty()) {
        descriptionLines_.push_back(importText(chooser_text::kNoDescription));
        return;
    }
    std::size_t start = 0;
    while (start <= description.size()) {
        const std::size_t end = std::min(description.find('\n', start), description.size());
        descriptionLines_.push_back(description.substr(start, end - start));
        start = end + 1;
    }
}

void ImportChooserFlow::setCurrent(std::optional<std::size_t> item) {
    if (item && *item >= chooser_.items().size())
        item.reset();
    current_ = item;
}

void ImportChooserFlow::setSelected(std::size_t item, bool selected) {
    if (item < chooser_.items().size())
        chooser_.items()[item].selected = selected;
}

void ImportChooserFlow::openDetails(std::size_t item) {
    if (page_ != ChooserPage::Components || !chooser_.hasDetails(item))
        return;
    current_ = item;
    detailItem_ = item;
    detailChecks_ = chooser_.items()[item].subFlags;
    page_ = ChooserPage::Details;
}

void ImportChooserFlow::setDetailChecked(std::size_t entry, bool checked) {
    if (page_ == ChooserPage::Details && entry < kSubItemCount)
        detailChecks_[entry] = checked;
}

std::vector<std::string> ImportChooserFlow::detailLabels() const {
    return detailItem_ ? chooser_.detailLabels(*detailItem_) : std::vector<std::string>{};
}

void ImportChooserFlow::closeDetails() {
    page_ = ChooserPage::Components;
    detailItem_.reset();
}

ChooserStep ImportChooserFlow::ok() {
    switch (page_) {
    case ChooserPage::Description:
        description();
        return ChooserStep::Stay;
    case ChooserPage::Details:
        // A detail list with nothing checked would import nothing of the component: say so
        // rather than keep the old checks silently.
        if (!chooser_.storeDetails(*detailItem_, detailChecks_))
            return ChooserStep::NothingChosen;
        closeDetails();
        return ChooserStep::Stay;
    case ChooserPage::Components:
        return chooser_.confirm() ? ChooserStep::Confirmed : ChooserStep::NothingChosen;
    }
    return ChooserStep::Stay;
}

ChooserStep ImportChooserFlow::cancel() {
    switch (page_) {
    case ChooserPage::Description:
        description();
        return ChooserStep::Stay;
    case ChooserPage::Details:
        closeDetails();
        return ChooserStep::Stay;
    case ChooserPage::Components:
        return ChooserStep::Cancelled;
    }
    return ChooserStep::Stay;
}

ChooserStep ImportChooserFlow::details() {
    if (page_ == ChooserPage::Details)
        return ok();
    if (page_ == ChooserPage::Components && current_)
        openDetails(*current_);
    return ChooserStep::Stay;
}

void ImportChooserFlow::description() {
    if (page_ == ChooserPage::Details)
        return;
    page_ = page_ == ChooserPage::Description ? ChooserPage::Components : ChooserPage::Description;
}

std::string ImportChooserFlow::frameCaption() const {
    return importText(page_ == ChooserPage::Description ? chooser_text::kDescriptionCaption : chooser_text::kComponentsCaption);
}

std::string ImportChooserFlow::detailsCaption() const {
    return importText(page_ == ChooserPage::Details ? chooser_text::kBack : chooser_text::kDetails);
}

bool ImportChooserFlow::detailsEnabled() const {
    switch (page_) {
    case ChooserPage::Details:
        return true;
    case ChooserPage::Description:
        return false;
    case ChooserPage::Components:
        return current_ && chooser_.hasDetails(*current_);
    }
    return false;
}

std::string ImportChooserFlow::descriptionButtonCaption() const {
    return importText(page_ == ChooserPage::Description ? chooser_text::kBack : chooser_text::kDescription);
}

} // namespace cs
