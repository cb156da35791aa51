#include "editing/list_chooser.h"

#include "database/channel_database.h"
#include "database/display_texts.h"
#include "editing/edit_rules.h"
#include "views/tree_builder.h"
#include "views/view_icons.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace cs::editing {

namespace {
constexpr int kListImageSize = 16;
constexpr int kChannelIconSize = 14;
constexpr int kStartListIcon = 5;  // dialog icon: image 5 of the list images
} // namespace

ListChooserDialog::ListChooserDialog(const ChannelDatabase& db, const DisplayTexts& texts,
                                     const StartChannelChoice& preset, QWidget* parent)
    : QDialog(parent), db_(db), texts_(texts) {
    setObjectName(QStringLiteral("listChooser"));
    setWindowIcon(views::listIcon(kStartListIcon));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(this);
    auto* inner = new QVBoxLayout(group);
    lists_ = new QComboBox(group);
    lists_->setObjectName(QStringLiteral("chooserLists"));
    lists_->setIconSize(QSize(kListImageSize, kListImageSize));
    channels_ = new QListWidget(group);
    channels_->setObjectName(QStringLiteral("chooserChannels"));
    channels_->setIconSize(QSize(kChannelIconSize, kChannelIconSize));
    channels_->setMinimumSize(214, 193);
    inner->addWidget(lists_);
    inner->addWidget(channels_);
    layout->addWidget(group);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    layout->addWidget(line);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromStdString(texts.text("TextBtnOK")));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromStdString(texts.text("TextBtnCancel")));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        // OK confirms only a row other than the first.
        confirmed_ = confirmed_ || channels_->currentRow() > 0;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(channels_, &QListWidget::itemDoubleClicked, this, [this] {
        confirmed_ = true;
        accept();
    });

    const int listCount = favouriteListCount(db_.flash().settings().listCount);
    const QIcon listIcon = views::treeIcon(views::kImgList, views::kImgList);
    for (int k = 1; k <= listCount; ++k)
        lists_->addItem(listIcon, QString::fromStdString(texts_.listText(k, 0)), k);
    lists_->setCurrentIndex(listCount > 0 ? chooserListIndex(preset.startList, listCount) : -1);
    fillChannels();
    if (const auto row = chooserRowIndex(preset.startChannel, channels_->count()))
        channels_->setCurrentRow(*row);
    connect(lists_, &QComboBox::currentIndexChanged, this, [this] { fillChannels(); });
}

void ListChooserDialog::fillChannels() {
    channels_->clear();
    if (lists_->currentIndex() < 0)
        return;
    const std::vector<std::uint16_t> slotList = listChannels(db_, lists_->currentIndex() + 1);
    QFont bold = channels_->font();
    bold.setBold(true);
    int number = 0;
    for (std::uint16_t slot : slotList) {
        const ChannelRow row = texts_.channelRowTexts(slot, ++number, false);
        char head[16];
        std::snprintf(head, sizeof head, "%04d)  ", number);
        auto* item = new QListWidgetItem(views::listIcon(row.image), QString::fromLatin1(head) + QString::fromStdString(row.name));
        item->setFont(bold);
        item->setData(Qt::UserRole, slot);
        channels_->addItem(item);
    }
    channels_->setCurrentRow(-1);
}

StartChannelChoice ListChooserDialog::choice() const {
    StartChannelChoice c;
    c.startChannel = channels_->currentRow() >= 0 && channels_->currentItem() && channels_->currentItem()->isSelected()
                         ? channels_->currentRow() + 1
                         : 0;
    c.startList = lists_->currentIndex() + 1;
    c.confirmed = confirmed_;
    return c;
}

StartChannelChoice chooseStartChannel(QWidget* parent, const ChannelDatabase& db, const DisplayTexts& texts,
                                           const StartChannelChoice& preset) {
    ListChooserDialog dialog(db, texts, preset, parent);
    dialog.exec();
    return dialog.choice();
}

} // namespace cs::editing
