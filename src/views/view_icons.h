#pragma once
// The program's small images, drawn in code so that no binary files are needed: the tree images
// (16 pixels), the list images (16 pixels) and the settings-page images (32 pixels). Each set is
// drawn once per process, on first use (a QGuiApplication must exist).
#include <QIcon>
#include <QPixmap>

namespace cs::views {

// List images: image 2 + channel kind is a row's image; image 5 is the status bar's program icon.
enum ListImage : int {
    kListChannel = 0,
    kListFavourite = 1,
    kListData = 2,   // not a service
    kListTv = 3,
    kListRadio = 4,
    kListStatus = 5,
    kListImageCount = 6,
};

inline constexpr int kSmallIconSize = 16;
inline constexpr int kLargeIconSize = 32;
inline constexpr int kSettingsImageCount = 8;  // settings pages 0..7

// Tree image 0..11 (see TreeImage); an empty pixmap outside the set.
QPixmap treeImage(int index);
// A node's icon: `image` normally and `selectedImage` while the node is selected.
QIcon treeIcon(int image, int selectedImage);
// List image 0..5; an empty pixmap outside the set.
QPixmap listImage(int index);
QIcon listIcon(int index);
// Settings-page image 0..7 (32 pixels); an empty pixmap outside the set.
QPixmap settingsImage(int page);

} // namespace cs::views
