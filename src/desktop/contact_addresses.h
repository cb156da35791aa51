#pragma once
// Contact addresses of the product (the about box and the tray menu open them); placeholders
// until the product has its own.
#include <string_view>

namespace cs::desktop {

inline constexpr std::string_view kHomePageAddress = "https://channelsettings.example.org/";
inline constexpr std::string_view kMailAddress = "support@channelsettings.example.org";

} // namespace cs::desktop
