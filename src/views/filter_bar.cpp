#include "views/filter_bar.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace cs::views {

FilterBar::FilterBar(QWidget* parent) : QToolBar(QStringLiteral("Filters"), parent) {
    setObjectName(QStringLiteral("filterBar"));
    setMovable(false);
    toggleViewAction()->setEnabled(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    tvRadio_ = addButton("tvRadioFilter");
    freeScrambled_ = addButton("freeScrambledFilter");
    sortOrder_ = addButton("sortOrder");
    favouriteList_ = addButton("favouriteListChoice", false);
    codingSystems_ = addButton("codingSystemFilter");
    // The menus belong to the bar, not to their buttons: a button drops its menu while its
    // filter is off.
    for (QMenu** menu : {&tvRadioMenu_, &freeScrambledMenu_, &sortOrderMenu_, &favouriteListMenu_, &codingSystemMenu_})
        *menu = new QMenu(this);
}

FilterBar::~FilterBar() {
    for (QToolButton* b : {tvRadio_, freeScrambled_, sortOrder_, favouriteList_, codingSystems_})
        b->setMenu(nullptr);
}

void FilterBar::applyHints(const std::function<QString(const char* key)>& text) {
    // The first two are the same in every language.
    tvRadio_->setToolTip(QStringLiteral("TV / RADIO"));
    freeScrambled_->setToolTip(QStringLiteral("FTA / CA"));
    sortOrder_->setToolTip(text("HintSort"));
    favouriteList_->setToolTip(text("HintListDestination"));
    // Not "CA": the free/scrambled button beside it may show that already.
    codingSystems_->setText(text("HintSystemsCode"));
    codingSystems_->setToolTip(text("HintSystemsCode"));
}

QToolButton* FilterBar::addButton(const char* name, bool visible) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* placed = addWidget(button);
    placed->setVisible(visible);
    return button;
}

} // namespace cs::views
