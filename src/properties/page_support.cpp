#include "properties/page_support.h"

#include "database/display_texts.h"
#include "widgets/message_box.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QVariant>

namespace cs::properties {

QString languageText(const PropertiesContext& context, std::string_view key) {
    return QString::fromStdString(context.texts->text(key));
}

void translateLabels(const PropertiesContext& context, QWidget* root) {
    static constexpr char kKeyProperty[] = "languageKey";
    for (QLabel* label : root->findChildren<QLabel*>()) {
        QString key = label->property(kKeyProperty).toString();
        if (key.isEmpty()) {
            if (!label->text().startsWith(QStringLiteral("Propertis_")))
                continue;
            key = label->text();
            label->setProperty(kKeyProperty, key);
        }
        label->setText(languageText(context, key.toStdString()));
    }
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
