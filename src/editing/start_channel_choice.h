#pragma once
// The receiver's start channel as the favourite-list chooser is preset with it and hands it back.

namespace cs::editing {

struct StartChannelChoice {
    int startChannel = -1;  // 1-based position in the list; -1 none, 0 no row selected
    int startList = 1;      // 1-based favourite-list number
    bool confirmed = false; // OK on a row other than the first, or a double-click on a row
};

} // namespace cs::editing
