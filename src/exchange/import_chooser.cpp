#include "exchange/import_chooser.h"

#include "exchange/import_texts.h"

#include <algorithm>
#include <charconv>

namespace cs {
namespace {

std::string itemLabel(const ImportFile& file, const ImportComponent& c) {
    switch (c.type) {
    case ComponentType::ChannelBase: {
        // The text with the block's 32-bit count in brackets.
        return importText(chooser_text::kChannelBase) + " (" + std::to_string(file.channelBaseCounts(c).shown) + ")";
    }
    case ComponentType::TransponderList:
        return importText(chooser_text::kTransponderList);
    case ComponentType::ColourProfiles:
        return importText(chooser_text::kColourProfiles);
    case ComponentType::ReceiverSettings:
        return importText(chooser_text::kReceiverSettings);
    default:
        return {};
    }
}

// A whole decimal number from the text, nothing else.
std::optional<std::size_t> number(std::string_view text) {
    std::size_t value = 0;
    if (text.empty())
        return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

ImportChooser::ImportChooser(const ImportFile& file) {
    for (const auto& c : file.components()) {
        ChooserItem item;
        item.entry = c.entry;
        item.type = c.type;
        item.label = itemLabel(file, c);
        if (item.hasSubItems())
            item.subFlags.fill(true);
        items_.push_back(std::move(item));
    }
}

ChooserItem* ImportChooser::itemOfEntry(std::size_t entry) {
    const auto it = std::find_if(items_.begin(), items_.end(), [&](const ChooserItem& i) { return i.entry == entry; });
    return it == items_.end() ? nullptr : &*it;
}

const ChooserItem* ImportChooser::itemOfEntry(std::size_t entry) const {
    const auto it = std::find_if(items_.begin(), items_.end(), [&](const ChooserItem& i) { return i.entry == entry; });
    return it == items_.end() ? nullptr : &*it;
}

bool ImportChooser::hasDetails(std::size_t item) const { return item < items_.size() && items_[item].hasSubItems(); }

std::vector<std::string> ImportChooser::detailLabels(std::size_t item) const {
    if (!hasDetails(item))
        return {};
    if (items_[item].type == ComponentType::ColourProfiles) {
        std::vector<std::string> labels;
        for (std::size_t k = 1; k <= kSubItemCount; ++k)
            labels.push_back(importText(chooser_text::kColourProfile) + " " + std::to_string(k));
        return labels;
    }
    return {importText(chooser_text::kIndividualSettings), importText(chooser_text::kSatelliteParameters),
            importText(chooser_text::kPreferredSettings), importText(chooser_text::kTimerSettings)};
}

bool ImportChooser::storeDetails(std::size_t item, const SubFlags& checks) {
    if (!hasDetails(item) || std::none_of(checks.begin(), checks.end(), [](bool b) { return b; }))
        return false;
    items_[item].subFlags = checks;
    return true;
}

bool ImportChooser::anySelected() const {
    return std::any_of(items_.begin(), items_.end(), [](const ChooserItem& i) { return i.selected; });
}

bool ImportChooser::confirm() {
    confirmed_ = anySelected();
    return confirmed_;
}

void ImportChooser::selectAll() {
    for (auto& item : items_) {
        item.selected = true;
        if (item.hasSubItems())
            item.subFlags.fill(true);
    }
    confirmed_ = !items_.empty();
}

std::optional<std::string> ImportChooser::selectFromList(std::string_view list) {
    std::vector<ChooserItem> chosen = items_;
    for (auto& item : chosen)
        item.selected = false;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view part = list.substr(start, comma - start);
        const std::size_t colon = part.find(':');
        const auto entry = number(part.substr(0, colon));
        if (!entry)
            return "malformed component list \"" + std::string(list) + "\"";
        ChooserItem* item = nullptr;
        for (auto& i : chosen)
            if (i.entry == *entry)
                item = &i;
        if (!item)
            return "directory entry " + std::to_string(*entry) + " is not a component of this file";
        item->selected = true;
        if (colon != std::string_view::npos) {
            if (!item->hasSubItems())
                return "directory entry " + std::to_string(*entry) + " has no sub-items";
            SubFlags flags{};
            std::string_view subs = part.substr(colon + 1);
            std::size_t s = 0;
            while (s <= subs.size()) {
                const std::size_t plus = std::min(subs.find('+', s), subs.size());
                const auto sub = number(subs.substr(s, plus - s));
                if (!sub || *sub < 1 || *sub > kSubItemCount)
                    return "malformed sub-items \"" + std::string(subs) + "\" (numbers 1..4 joined by \"+\")";
                flags[*sub - 1] = true;
                s = plus + 1;
            }
            item->subFlags = flags;
        } else if (item->hasSubItems()) {
            item->subFlags.fill(true);
        }
        start = comma + 1;
    }
    items_ = std::move(chosen);
    confirmed_ = anySelected();
    return std::nullopt;
}

} // namespace cs
