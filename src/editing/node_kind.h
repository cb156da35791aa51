#pragma once
// A tree node of the views as the editing rules classify it.
#include <optional>

#include "editing/edit_rules.h"
#include "views/tree_builder.h"

namespace cs::editing {

inline std::optional<NodeKind> classify(const QTreeWidgetItem* node) {
    const auto c = views::classifyNode(node);
    if (!c)
        return std::nullopt;
    return NodeKind{c->list, c->settings, c->provider, c->bin, c->satellite};
}

} // namespace cs::editing
