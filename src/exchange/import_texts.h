#pragma once
// The texts of importing: the two failure messages, their caption and the chooser's own texts,
// in the active language. Without one (the command line) they are the receiver's import window's
// own Polish texts.
#include <string>
#include <string_view>

#include "exchange/import_file.h"

namespace cs {

// Failure 1 (the file cannot be opened) and failure 2 (it cannot be interpreted), for a file
// name; empty for any other code.
std::string importFailureMessage(ImportReadResult failure, std::string_view fileName);
// The caption of both failure messages.
std::string importFailureCaption();

// The text of a chooser key (chooser_text) in the active language, Polish without one.
std::string importText(std::string_view key);
// The chooser's explanation above the components, three texts on their lines.
std::string importExplanation();

// Language keys of the chooser window's texts. Their Polish texts are the receiver's import
// window's own, byte for byte.
namespace chooser_text {
inline constexpr std::string_view kChannelBase = "ImportChannelBase";  // followed by " (count)"
inline constexpr std::string_view kTransponderList = "ImportTransponderList";
inline constexpr std::string_view kColourProfiles = "ImportColourProfiles";
inline constexpr std::string_view kReceiverSettings = "ImportReceiverSettings";
inline constexpr std::string_view kColourProfile = "ImportColourProfile";  // followed by " 1".." 4"
inline constexpr std::string_view kIndividualSettings = "ImportIndividualSettings";
inline constexpr std::string_view kSatelliteParameters = "ImportSatelliteParameters";
inline constexpr std::string_view kPreferredSettings = "ImportPreferredSettings";
inline constexpr std::string_view kTimerSettings = "ImportTimerSettings";
inline constexpr std::string_view kNothingChosen = "ImportNothingChosen";
inline constexpr std::string_view kNothingChosenCaption = "ImportNothingChosenCaption";
inline constexpr std::string_view kNoDescription = "ImportNoDescription";
inline constexpr std::string_view kFrameCaption = "ImportFrameCaption";
inline constexpr std::string_view kComponentsCaption = "ImportComponentsCaption";
inline constexpr std::string_view kDescriptionCaption = "ImportDescriptionCaption";
inline constexpr std::string_view kOk = "ImportOk";
inline constexpr std::string_view kCancel = "ImportCancel";
inline constexpr std::string_view kDetails = "ImportDetails";
inline constexpr std::string_view kDescription = "ImportDescription";
inline constexpr std::string_view kBack = "ImportBack";
} // namespace chooser_text

} // namespace cs
