#include "properties/page_support.h"

#include "database/display_texts.h"
#include "widgets/message_box.h"

#include <QSignalBlocker>

namespace cs::properties {

QString languageText(const PropertiesContext& context, std::string_view key) {
    return QString::fromStdString(context.texts->text(key));
}

void showErrorMessage(const PropertiesContext& context, std::string_view key, QWidget* parent) {
    widgets::messageBox(context.texts->text(key), context.texts->text(kKeyError), widgets::kStopOk, parent);
}

void showParameterMessage(const PropertiesContext& context, QWidget* parent) {
    showErrorMessage(context, kKeyParameterNotCorrect, parent);
}

std::optional<int> selectedPosition(const QComboBox& box) {
    const int i = box.currentIndex();
    return i < 0 ? std::nullopt : std::optional<int>(i);
}

void selectQuietly(QComboBox& box, std::optional<int> position) {
    const QSignalBlocker block(&box);
    box.setCurrentIndex(position && *position < box.count() ? *position : -1);
}

} // namespace cs::properties
