#pragma once
// The image manager window: the three pictures of a picture store on three pages, the file,
// edit, effects and transmission menus with their tool buttons, and the memory display. It draws
// an ImageManagerDocument and carries out its commands; questions and file dialogs go through
// the shared message box and file dialogs, so tests script them.
#include "common/log_sink.h"
#include "common/text_lookup.h"
#include "pictures/image_manager_document.h"

#include <QImage>
#include <QMainWindow>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

class QAction;
class QActionGroup;
class QLabel;
class QProgressBar;
class QTabWidget;
class QMimeData;

namespace cs {
class StoredSettings;
}

namespace cs::pictures_ui {

// What the image manager needs from the program around it.
struct ImageManagerHost {
    TextLookup text;                          // language texts by key
    StoredSettings* settings = nullptr;       // the picture and picture-store folders; may be null
    LogSink* log = nullptr;                   // the log window; null: nothing is logged
    // Hands a saved store to the connection wizard in its software-upgrade mode.
    std::function<void(const std::string& storePath)> sendStore;
    // Opens the connection wizard in its normal mode.
    std::function<void()> openConnectionWizard;
};

// A picture scaled to fit its page, keeping its proportions.
class PictureView final : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);
    void setImage(QImage image);
    const QImage& image() const { return image_; }
    // Where the picture is drawn inside the widget.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

class ImageManagerWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit ImageManagerWindow(ImageManagerHost host, QWidget* parent = nullptr);
    ~ImageManagerWindow() override;

    // A store handed over by the main window, read before the window is shown.
    void openFile(const std::string& path);

    // ---- commands (menus and tool buttons)
    void newStore();
    void openStore();
    // True when the store was written.
    bool saveStore();
    void importPicture();
    void exportPicture();
    void clearPicture();
    void copyPicture();
    void pastePicture();
    void sendStore();
    void openConnectionWizard();
    void effectChosen();
    void showPage(int page);

    const ImageManagerDocument& document() const { return document_; }
    QTabWidget* pages() const { return pages_; }
    PictureView* pictureView(int page) const { return views_.at(static_cast<std::size_t>(page)); }
    QLabel* memoryPanel() const { return memoryPanel_; }
    QLabel* picturePanel() const { return picturePanel_; }
    QProgressBar* memoryBar() const { return memoryBar_; }

    struct Actions {
        QAction* newStore = nullptr;
        QAction* open = nullptr;
        QAction* save = nullptr;
        QAction* exit = nullptr;
        QAction* copy = nullptr;
        QAction* paste = nullptr;
        QAction* import = nullptr;
        QAction* exportPicture = nullptr;
        QAction* clear = nullptr;
        std::array<QAction*, 4> scale{};    // full size, half, quarter, eighth
        std::array<QAction*, 5> quality{};  // 100, 75, 50, 25, 10
        QAction* grayscale = nullptr;
        QAction* wizard = nullptr;
        QAction* send = nullptr;
    };
    const Actions& actions() const { return actions_; }

signals:
    // The window was closed (its unsaved changes were saved or let go).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void applyTexts();
    // Asks before unsaved pictures are thrown away: true when the caller may go on.
    bool confirmDiscard();
    void refresh();
    void followPage();
    void showError(const std::string& message);
    ManagerResult loadBmpFile(const std::string& path);
    ManagerResult loadClipboardImage(const QMimeData& data);
    std::string text(std::string_view key) const;
    std::string pictureFolder() const;
    std::string storeFolder() const;
    void rememberPictureFolder(const std::string& file);
    void rememberStoreFolder(const std::string& file);

    ImageManagerHost host_;
    NullLog nullLog_;
    ImageManagerDocument document_;
    Actions actions_;
    QTabWidget* pages_ = nullptr;
    std::array<PictureView*, 3> views_{};
    QLabel* memoryPanel_ = nullptr;
    QLabel* picturePanel_ = nullptr;
    QProgressBar* memoryBar_ = nullptr;
    QActionGroup* scaleGroup_ = nullptr;
    QActionGroup* qualityGroup_ = nullptr;
    bool following_ = false;
};

// Shows the image manager modally until it closes; `file` ("" for none) is a picture store to
// open first.
void runImageManager(ImageManagerHost host, const std::string& file, QWidget* parent);

} // namespace cs::pictures_ui
