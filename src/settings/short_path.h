#pragma once
// Captions of the recent-files entries of the File menu.
#include <string>
#include <string_view>

namespace cs {

// A path shortened for a menu: a folder of 19 characters or more becomes "/..." and its last 12
// characters, a file name of more than 24 characters becomes "..." and its last 22. Characters
// are counted as UTF-8 characters, so a name is never cut inside one.
std::string shortPathText(std::string_view path);

// "&<slot>. " followed by the shortened path, its own "&" doubled so that it shows as written
// instead of marking a shortcut key.
std::string recentFileCaption(int slot, std::string_view path);

} // namespace cs
