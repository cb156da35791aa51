// The filter bar's menus and buttons of the views: TV/radio, free/scrambled, sort order and the
// coding-system filter.
#include "views/view_controller.h"

#include "views/channel_list_model.h"
#include "views/filter_bar.h"
#include "database/channel_database.h"
#include "database/display_texts.h"
#include "settings/stored_settings.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>
#include <QToolButton>

namespace cs::views {

void ViewController::checkFirstItem(QMenu* menu) {
    const QList<QAction*> actions = menu->actions();
    for (int i = 0; i < actions.size(); ++i)
        actions[i]->setChecked(i == 0);
    showChoice(menu);
}

void ViewController::chooseItem(QMenu* menu, int tag) {
    for (QAction* a : menu->actions())
        a->setChecked(a->data().toInt() == tag);
    showChoice(menu);
}

void ViewController::showChoice(QMenu* menu) {
    // The filter buttons show what they are set to; the sort button without a sort mode (after a
    // column sort) shows its plain caption.
    const std::array<QMenu*, 3> menus = choiceMenus();
    const std::array<QToolButton*, 3> buttons = choiceButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (menus[i] != menu)
            continue;
        QString caption = i == 2 ? text("HintSort") : QString();
        for (QAction* a : menu->actions())
            if (a->isChecked())
                caption = a->text();
        buttons[i]->setText(caption);
    }
}

int ViewController::checkedTag(QMenu* menu) const {
    for (QAction* a : menu->actions())
        if (a->isChecked())
            return a->data().toInt();
    return -1;
}

void ViewController::nextItem(QMenu* menu, void (ViewController::*choose)(int)) {
    const QList<QAction*> actions = menu->actions();
    if (actions.isEmpty())
        return;
    int checked = -1;
    for (int i = 0; i < actions.size(); ++i)
        if (actions[i]->isChecked())
            checked = i;
    const int next = (checked + 1) % static_cast<int>(actions.size());
    (this->*choose)(actions[next]->data().toInt());
}

void ViewController::setHint(QToolButton* button, const char* key) {
    if (button)
        button->setToolTip(text(key));
}

void ViewController::refillIfSettled() {
    if (listMode_ == ListMode::Channels && !selectionPending())
        fillChannelList();
}

void ViewController::nextTvRadioFilter() { nextItem(filters_->tvRadioMenu(), &ViewController::chooseTvRadio); }
void ViewController::nextFreeScrambledFilter() { nextItem(filters_->freeScrambledMenu(), &ViewController::chooseFreeScrambled); }
void ViewController::nextSortOrder() { nextItem(filters_->sortOrderMenu(), &ViewController::chooseSortOrder); }

void ViewController::chooseTvRadio(int tag) {
    chooseItem(filters_->tvRadioMenu(), tag);
    request_.tvRadio = static_cast<std::uint8_t>(tag);
    setHint(filters_->tvRadio(), "HintTvRadio");
    refillIfSettled();
}

void ViewController::chooseFreeScrambled(int tag) {
    chooseItem(filters_->freeScrambledMenu(), tag);
    request_.freeScrambled = freeScrambledBits(static_cast<unsigned>(tag));
    setHint(filters_->freeScrambled(), "HintFtaCa");
    refillIfSettled();
}

void ViewController::chooseSortOrder(int tag) {
    chooseItem(filters_->sortOrderMenu(), tag);
    settings_.orderMode = static_cast<std::uint8_t>(tag);
    setHint(filters_->sortOrder(), "HintSort");
    if (w_.channelList)
        w_.channelList->horizontalHeader()->setSortIndicatorShown(false);
    db_.requestFullSort();
    refillIfSettled();
}


void ViewController::toggleCodingFilter() {
    if (!databaseLoaded_)
        return;
    codingFilterOn_ = !codingFilterOn_;
    {
        QToolButton* b = filters_->codingSystems();
        b->setChecked(codingFilterOn_);
        b->setMenu(codingFilterOn_ ? filters_->codingSystemMenu() : nullptr);
        b->setPopupMode(codingFilterOn_ ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
    }
    if (codingFilterOn_)
        for (QAction* a : filters_->codingSystemMenu()->actions())
            a->setChecked(false);
    refillIfSettled();
}

void ViewController::toggleCodingSystem(int index) {
    const QList<QAction*> actions = filters_->codingSystemMenu()->actions();
    if (index < 0 || index >= actions.size())
        return;
    actions[index]->setChecked(!actions[index]->isChecked());
    refillIfSettled();
}

} // namespace cs::views
