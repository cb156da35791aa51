#include "pictures/image_manager_window.h"

#include "pictures/picture_qimage.h"
#include "settings/stored_settings.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"

#include <QEvent>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QEventLoop>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>

#include <algorithm>
#include <filesystem>

namespace cs::pictures_ui {

namespace {

// Menus show the access keys of the language texts; hints and tabs do without them.
QString withoutAccessKey(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.remove(QLatin1Char('&'));
    return s;
}

constexpr std::array<int, 5> kQualities{100, 75, 50, 25, 10};
constexpr const char* kPageNames[] = {"LOGO", "RADIO", "BACKGROUND"};
constexpr std::string_view kStoreFilter = "*.dsp|*.dsp";
constexpr std::string_view kPictureFilter =
    "JPEG, BMP (*.jpg *.jpeg *.bmp)|*.jpg;*.jpeg;*.bmp;*.JPG;*.JPEG;*.BMP|*.jpg|*.jpg;*.JPG|*.bmp|*.bmp;*.BMP";
constexpr std::string_view kExportFilter = "*.jpg|*.jpg;*.jpeg;*.JPG;*.JPEG";

std::string folderOf(const std::string& file) { return std::filesystem::path(file).parent_path().string(); }
std::string nameOf(const std::string& file) { return std::filesystem::path(file).filename().string(); }

} // namespace

// ---------------------------------------------------------------- the picture of a page

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(180, 144);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PictureView::setImage(QImage image) {
    image_ = std::move(image);
    update();
}

QRect PictureView::pictureRect() const {
    if (image_.isNull())
        return {};
    const QSize fitted = image_.size().scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (image_.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(pictureRect(), image_);
}

// ---------------------------------------------------------------- the window

ImageManagerWindow::ImageManagerWindow(ImageManagerHost host, QWidget* parent)
    : QMainWindow(parent), host_(std::move(host)), document_(host_.log ? *host_.log : nullLog_) {
    setObjectName(QStringLiteral("imageManager"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    pages_ = new QTabWidget(this);
    for (std::size_t n = 0; n < views_.size(); ++n) {
        views_[n] = new PictureView(pages_);
        pages_->addTab(views_[n], QString::fromLatin1(kPageNames[n]));
    }
    setCentralWidget(pages_);

    memoryPanel_ = new QLabel(this);
    picturePanel_ = new QLabel(this);
    memoryBar_ = new QProgressBar(this);
    memoryBar_->setRange(0, static_cast<int>(kPictureMemoryBarMaximum));
    memoryBar_->setTextVisible(false);
    memoryBar_->setMaximumWidth(160);
    statusBar()->addWidget(memoryPanel_);
    statusBar()->addWidget(memoryBar_);
    statusBar()->addWidget(picturePanel_, 1);

    buildMenus();
    applyTexts();
    connect(pages_, &QTabWidget::currentChanged, this, [this](int page) { showPage(page); });
    resize(820, 640);
    newStore();
}

ImageManagerWindow::~ImageManagerWindow() = default;

std::string ImageManagerWindow::text(std::string_view key) const {
    return host_.text ? host_.text(key) : std::string(key);
}

void ImageManagerWindow::buildMenus() {
    QStyle* st = style();
    auto make = [this](QMenu* menu, QStyle::StandardPixmap icon, void (ImageManagerWindow::*slot)()) {
        QAction* a = menu->addAction(icon == QStyle::SP_CustomBase ? QIcon() : style()->standardIcon(icon), QString());
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QString());
    file->setObjectName(QStringLiteral("fileMenu"));
    actions_.newStore = make(file, QStyle::SP_FileIcon, &ImageManagerWindow::newStore);
    actions_.open = make(file, QStyle::SP_DialogOpenButton, &ImageManagerWindow::openStore);
    actions_.save = file->addAction(st->standardIcon(QStyle::SP_DialogSaveButton), QString());
    connect(actions_.save, &QAction::triggered, this, [this] { saveStore(); });
    file->addSeparator();
    actions_.exit = file->addAction(QString());
    connect(actions_.exit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QString());
    edit->setObjectName(QStringLiteral("editMenu"));
    actions_.copy = make(edit, QStyle::SP_CustomBase, &ImageManagerWindow::copyPicture);
    actions_.paste = make(edit, QStyle::SP_CustomBase, &ImageManagerWindow::pastePicture);
    actions_.copy->setShortcut(QKeySequence::Copy);
    actions_.paste->setShortcut(QKeySequence::Paste);
    edit->addSeparator();
    actions_.import = make(edit, QStyle::SP_ArrowDown, &ImageManagerWindow::importPicture);
    actions_.exportPicture = make(edit, QStyle::SP_ArrowUp, &ImageManagerWindow::exportPicture);
    actions_.clear = make(edit, QStyle::SP_TrashIcon, &ImageManagerWindow::clearPicture);

    QMenu* effects = menuBar()->addMenu(QString());
    effects->setObjectName(QStringLiteral("effectsMenu"));
    QMenu* scale = effects->addMenu(QString());
    scale->setObjectName(QStringLiteral("scaleMenu"));
    scaleGroup_ = new QActionGroup(this);
    for (QAction*& a : actions_.scale) {
        a = scale->addAction(QString());
        a->setCheckable(true);
        scaleGroup_->addAction(a);
        connect(a, &QAction::triggered, this, &ImageManagerWindow::effectChosen);
    }
    QMenu* quality = effects->addMenu(QString());
    quality->setObjectName(QStringLiteral("qualityMenu"));
    qualityGroup_ = new QActionGroup(this);
    for (std::size_t i = 0; i < kQualities.size(); ++i) {
        QAction* a = quality->addAction(QStringLiteral("%1 %").arg(kQualities[i]));
        a->setCheckable(true);
        qualityGroup_->addAction(a);
        connect(a, &QAction::triggered, this, &ImageManagerWindow::effectChosen);
        actions_.quality[i] = a;
    }
    actions_.grayscale = effects->addAction(QString());
    actions_.grayscale->setCheckable(true);
    connect(actions_.grayscale, &QAction::triggered, this, &ImageManagerWindow::effectChosen);

    QMenu* transmission = menuBar()->addMenu(QString());
    transmission->setObjectName(QStringLiteral("transmissionMenu"));
    actions_.wizard = make(transmission, QStyle::SP_ComputerIcon, &ImageManagerWindow::openConnectionWizard);
    actions_.send = make(transmission, QStyle::SP_DriveNetIcon, &ImageManagerWindow::sendStore);

    QToolBar* tools = addToolBar(QString());
    tools->setObjectName(QStringLiteral("tools"));
    tools->setObjectName(QStringLiteral("toolBar"));
    tools->setMovable(false);
    for (QAction* a : {actions_.newStore, actions_.open, actions_.save})
        tools->addAction(a);
    tools->addSeparator();
    for (QAction* a : {actions_.copy, actions_.paste, actions_.import, actions_.clear})
        tools->addAction(a);
    tools->addSeparator();
    for (QAction* a : {actions_.wizard, actions_.send})
        tools->addAction(a);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void ImageManagerWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        applyTexts();
        refresh();  // the memory panel is a language text too
    }
}

void ImageManagerWindow::applyTexts() {
    setWindowTitle(withoutAccessKey(text("ImgManTitle")));
    const QList<QAction*> menus = menuBar()->actions();
    const char* menuKeys[] = {"MenuFile", "MenuEdit", "MenuEffects", "MenuTransmission"};
    for (int i = 0; i < menus.size() && i < 4; ++i)
        menus[i]->setText(QString::fromStdString(text(menuKeys[i])));
    auto set = [](QAction* a, const std::string& caption) {
        a->setText(QString::fromStdString(caption));
        a->setToolTip(withoutAccessKey(caption));
    };
    set(actions_.newStore, text("MenuNew"));
    set(actions_.open, text("MenuOpen"));
    set(actions_.save, text("MenuSave"));
    set(actions_.exit, text("MenuExit"));
    set(actions_.copy, text("MenuCopy"));
    set(actions_.paste, text("MenuPaste"));
    set(actions_.import, text("TextImportFile") + " *.jpg");
    set(actions_.exportPicture, text("TextExportFile") + " *.jpg");
    set(actions_.clear, text("MenuDelete"));
    const char* scaleKeys[] = {"ImgManEffectScaleFullSize", "ImgManEffectScaleHalf", "ImgManEffectScaleQuarter",
                               "ImgManEffectScaleEighth"};
    for (std::size_t i = 0; i < actions_.scale.size(); ++i)
        set(actions_.scale[i], text(scaleKeys[i]));
    if (auto* scaleMenu = menuBar()->findChild<QMenu*>(QStringLiteral("scaleMenu")))
        scaleMenu->setTitle(QString::fromStdString(text("ImgManEffectScale")));
    if (auto* qualityMenu = menuBar()->findChild<QMenu*>(QStringLiteral("qualityMenu")))
        qualityMenu->setTitle(QString::fromStdString(text("ImgManEffectScaleComprQuality")));
    set(actions_.grayscale, text("ImgManEffectGrayscale"));
    set(actions_.wizard, text("MenuCreatorConnection"));
    set(actions_.send, text("Creator_Msg_SendFileToReceiver"));
    if (auto* tools = findChild<QToolBar*>(QStringLiteral("tools")))
        tools->setWindowTitle(QString::fromStdString(text("ToolBarCommands")));
}

// ---------------------------------------------------------------- drawing the document

void ImageManagerWindow::refresh() {
    for (int n = 0; n < PictureStore::kSlotCount; ++n) {
        const PictureSlot& slot = document_.store().slot(n);
        PictureView* view = views_[static_cast<std::size_t>(n)];
        view->setImage(slot.loaded() ? imageFromBitmap(slot.bitmap()) : QImage());
        view->setToolTip(slot.loaded() ? QString::fromStdString(slot.hint()) : QString());
    }
    const PictureSlot& current = document_.currentSlot();
    picturePanel_->setText(current.loaded() ? QString::fromStdString(current.hint()) : QString());
    memoryPanel_->setText(QString::fromStdString(document_.memoryText(text("About_MemoryUses"))));
    memoryBar_->setValue(document_.memoryBarValue());

    const ManagerCommands commands = document_.commands();
    actions_.save->setEnabled(commands.save);
    actions_.send->setEnabled(commands.save);
    for (QAction* a : {actions_.clear, actions_.exportPicture, actions_.copy})
        a->setEnabled(commands.picture);
    for (QAction* a : actions_.scale)
        a->setEnabled(commands.picture);
    for (QAction* a : actions_.quality)
        a->setEnabled(commands.picture);
    actions_.grayscale->setEnabled(commands.picture);
}

void ImageManagerWindow::followPage() {
    const PictureEffects e = document_.menuEffects();
    following_ = true;
    actions_.scale[static_cast<std::size_t>(e.scale)]->setChecked(true);
    for (std::size_t i = 0; i < kQualities.size(); ++i)
        if (kQualities[i] == e.quality)
            actions_.quality[i]->setChecked(true);
    actions_.grayscale->setChecked(e.grayscale);
    following_ = false;
}

void ImageManagerWindow::showError(const std::string& message) {
    widgets::messageBox(message, text("TextError"), widgets::kStopOk, this);
}

// ---------------------------------------------------------------- the file menu

bool ImageManagerWindow::confirmDiscard() {
    if (!document_.hasUnsavedChanges())
        return true;
    switch (widgets::messageBox(text("MsgSaveChanged"), withoutAccessKey(text("ImgManTitle")).toStdString(),
                                widgets::kQuestionYesNoCancel, this)) {
    case widgets::MessageAnswer::Yes:
        return saveStore();
    case widgets::MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

void ImageManagerWindow::newStore() {
    if (!confirmDiscard())
        return;
    document_.newStore();
    pages_->setCurrentIndex(0);
    followPage();
    refresh();
}

void ImageManagerWindow::openFile(const std::string& path) {
    if (path.empty())
        return;
    if (ManagerResult r = document_.openStore(path); !r)
        showError(r.error);
    pages_->setCurrentIndex(static_cast<int>(document_.page()));
    followPage();
    refresh();
}

void ImageManagerWindow::openStore() {
    if (!confirmDiscard())
        return;
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Open;
    request.filter = std::string(kStoreFilter);
    request.initialFolder = storeFolder();
    request.fileMustExist = true;
    request.parent = this;
    const std::optional<std::string> chosen = widgets::fileDialogs().run(request);
    if (!chosen || chosen->empty()) {
        if (host_.log)
            host_.log->write("OpenDialog2(dsp)::ERROR ");
        return;
    }
    rememberStoreFolder(*chosen);
    if (host_.log)
        logf(*host_.log, "OpenDialog2->Execute()::FileName=%s", chosen->c_str());
    openFile(*chosen);
}

bool ImageManagerWindow::saveStore() {
    if (!document_.commands().save)
        return false;
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Save;
    request.filter = std::string(kStoreFilter);
    request.initialFolder = storeFolder();
    request.fileName = document_.store().currentPath();
    request.defaultExtension = "dsp";
    request.parent = this;
    const std::optional<std::string> chosen = widgets::fileDialogs().run(request);
    if (!chosen || chosen->empty()) {
        if (host_.log)
            host_.log->write("SaveDialog2(dsp)::ERROR ");
        return false;
    }
    rememberStoreFolder(*chosen);
    if (host_.log)
        logf(*host_.log, "SaveDialog2->Execute()::FileName=%s", chosen->c_str());
    const ManagerResult r = document_.saveStore(*chosen);
    if (!r)
        showError(text("ImgManEffectErrorMessage") + (r.error.empty() ? std::string() : "\n" + r.error));
    else if (!r.warning.empty())
        widgets::messageBox(r.warning, text("TextInformation"), widgets::kWarningOk, this);
    refresh();
    return r.ok;
}

void ImageManagerWindow::closeEvent(QCloseEvent* event) {
    if (!confirmDiscard()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

// ---------------------------------------------------------------- the edit menu

ManagerResult ImageManagerWindow::loadBmpFile(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    // The header tells the size; a huge picture is refused before its pixels are read.
    const QSize size = reader.size();
    if (size.isValid())
        if (auto problem = pictureSizeProblem(size.width(), size.height()))
            return ManagerResult::failure(*problem);
    QImage image = reader.read();
    if (image.isNull())
        return ManagerResult::failure(text("ImgManPicture") + " " + nameOf(path) + " " + text("ImgManUnreadable") + " " +
                                      reader.errorString().toStdString());
    if (auto problem = pictureSizeProblem(image.width(), image.height()))
        return ManagerResult::failure(*problem);
    const JpegEncodeResult jpeg = jpegFromImage(image);
    if (!jpeg.data)
        return ManagerResult::failure(jpeg.error);
    return document_.loadPicture(*jpeg.data, nameOf(path));
}

void ImageManagerWindow::importPicture() {
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Open;
    request.filter = std::string(kPictureFilter);
    request.initialFolder = pictureFolder();
    request.fileMustExist = true;
    request.parent = this;
    const std::optional<std::string> chosen = widgets::fileDialogs().run(request);
    if (!chosen || chosen->empty())
        return;
    rememberPictureFolder(*chosen);
    const std::optional<PictureFileType> type = pictureFileType(*chosen);
    ManagerResult r;
    if (!type)
        r = ManagerResult::failure(text("ImgManFile") + " " + nameOf(*chosen) + " " + text("ImgManNotAPicture"));
    else if (*type == PictureFileType::Jpeg)
        r = document_.importJpegFile(*chosen);
    else
        r = loadBmpFile(*chosen);
    if (!r)
        showError(r.error);
    followPage();
    refresh();
}

void ImageManagerWindow::exportPicture() {
    if (!document_.currentSlot().loaded())
        return;
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Save;
    request.filter = std::string(kExportFilter);
    request.initialFolder = pictureFolder();
    request.defaultExtension = "jpg";
    request.parent = this;
    const std::optional<std::string> chosen = widgets::fileDialogs().run(request);
    if (!chosen || chosen->empty())
        return;
    rememberPictureFolder(*chosen);
    if (ManagerResult r = document_.exportPicture(*chosen); !r)
        showError(r.error);
}

void ImageManagerWindow::clearPicture() {
    document_.clearPicture();
    followPage();
    refresh();
}

void ImageManagerWindow::copyPicture() {
    const PictureSlot& slot = document_.currentSlot();
    if (!slot.loaded() || slot.bitmap().empty())
        return;
    QApplication::clipboard()->setImage(imageFromBitmap(slot.bitmap()));
}

ManagerResult ImageManagerWindow::loadClipboardImage(const QMimeData& data) {
    // Encoded pictures are looked at through their header first, so that a huge one is refused
    // before it is decoded; a plain bitmap on the clipboard is already decoded.
    QImage image;
    for (const QString& format : data.formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        QByteArray bytes = data.data(format);
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        const QSize size = reader.size();
        if (size.isValid())
            if (auto problem = pictureSizeProblem(size.width(), size.height()))
                return ManagerResult::failure(*problem);
        image = reader.read();
        if (!image.isNull())
            break;
    }
    if (image.isNull())
        image = qvariant_cast<QImage>(data.imageData());
    if (image.isNull())
        return ManagerResult::failure(text("ImgManClipboardEmpty"));
    if (auto problem = pictureSizeProblem(image.width(), image.height()))
        return ManagerResult::failure(*problem);
    const JpegEncodeResult jpeg = jpegFromImage(image);
    if (!jpeg.data)
        return ManagerResult::failure(jpeg.error);
    return document_.loadPicture(*jpeg.data, std::string());
}

void ImageManagerWindow::pastePicture() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return;
    const QStringList formats = data->formats();
    if (!data->hasImage() && std::none_of(formats.begin(), formats.end(), [](const QString& f) {
            return f.startsWith(QLatin1String("image/"));
        }))
        return;
    if (ManagerResult r = loadClipboardImage(*data); !r)
        showError(r.error);
    followPage();
    refresh();
}

// ---------------------------------------------------------------- effects and pages

void ImageManagerWindow::effectChosen() {
    if (following_ || !document_.currentSlot().loaded())
        return;
    PictureEffects effects;
    for (std::size_t i = 0; i < actions_.scale.size(); ++i)
        if (actions_.scale[i]->isChecked())
            effects.scale = static_cast<int>(i);
    for (std::size_t i = 0; i < kQualities.size(); ++i)
        if (actions_.quality[i]->isChecked())
            effects.quality = kQualities[i];
    effects.grayscale = actions_.grayscale->isChecked();
    if (ManagerResult r = document_.applyEffects(effects); !r)
        showError(r.error);
    followPage();
    refresh();
}

void ImageManagerWindow::showPage(int page) {
    if (page < 0 || page >= PictureStore::kSlotCount)
        return;
    document_.setPage(static_cast<PicturePage>(page));
    if (pages_->currentIndex() != page)
        pages_->setCurrentIndex(page);
    followPage();
    refresh();
}

// ---------------------------------------------------------------- transmission

void ImageManagerWindow::sendStore() {
    if (!document_.commands().save)
        return;
    if (document_.needsSaveBeforeSend() && !saveStore())
        return;
    const std::string path = document_.store().currentPath();
    if (path.empty() || !host_.sendStore)
        return;
    // The wizard shows alone; the manager comes back when it closes.
    hide();
    host_.sendStore(path);
    show();
}

void ImageManagerWindow::openConnectionWizard() {
    if (!host_.openConnectionWizard)
        return;
    hide();
    host_.openConnectionWizard();
    show();
}

// ---------------------------------------------------------------- folders

std::string ImageManagerWindow::pictureFolder() const { return host_.settings ? host_.settings->imageManagerFolder : std::string(); }
std::string ImageManagerWindow::storeFolder() const { return host_.settings ? host_.settings->pictureStoreFolder : std::string(); }

void ImageManagerWindow::rememberPictureFolder(const std::string& file) {
    if (host_.settings)
        host_.settings->imageManagerFolder = folderOf(file);
}

void ImageManagerWindow::rememberStoreFolder(const std::string& file) {
    if (host_.settings)
        host_.settings->pictureStoreFolder = folderOf(file);
}

void runImageManager(ImageManagerHost host, const std::string& file, QWidget* parent) {
    // A main window of its own (menus, tool bar, status bar) made modal; a local loop waits for it
    // to close, so that it can hide while the connection wizard is shown without ending.
    ImageManagerWindow window(std::move(host), parent);
    window.setWindowFlag(Qt::Window);
    window.setWindowModality(Qt::ApplicationModal);
    if (parent) {
        const QRect over = parent->window()->frameGeometry();
        window.move(over.center() - window.rect().center());
    }
    window.openFile(file);
    QEventLoop loop;
    QObject::connect(&window, &ImageManagerWindow::closed, &loop, &QEventLoop::quit);
    window.show();
    loop.exec();
}

} // namespace cs::pictures_ui
