#pragma once
// Small pieces every page uses: texts of the active language, the parameter message, and list
// positions that may be "no selection".
#include "properties/properties_context.h"

#include <QComboBox>
#include <QString>

#include <optional>
#include <string_view>

class QWidget;

namespace cs::properties {

// Language keys shared by several pages.
inline constexpr std::string_view kKeyTitle = "Propertis_Title";
inline constexpr std::string_view kKeyParameterNotCorrect = "Propertis_ParametrNoCorrect";
inline constexpr std::string_view kKeyError = "TextError";
inline constexpr std::string_view kKeyInformation = "TextInformation";

QString languageText(const PropertiesContext& context, std::string_view key);
// "Incorrectly entered parameter" with the error caption and the stop icon.
void showParameterMessage(const PropertiesContext& context, QWidget* parent);
void showErrorMessage(const PropertiesContext& context, std::string_view key, QWidget* parent);

// Sets every label of `root` whose text is a language key ("Propertis_...") to that key's text.
// The key is kept with the label, so a later call (after a change of language) finds it again.
void translateLabels(const PropertiesContext& context, QWidget* root);

// -1 (no selection) as nothing.
std::optional<int> selectedPosition(const QComboBox& box);
// Selects a position (or nothing) without running the box's change handlers.
void selectQuietly(QComboBox& box, std::optional<int> position);

} // namespace cs::properties
