#include "desktop/about_box.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "widgets/tool_icons.h"
#include "desktop/memory_status.h"
#include "settings/stored_settings.h"

namespace cs::desktop {
namespace {

constexpr int kClientWidth = 470;
constexpr int kClientHeight = 435;
constexpr int kPictureHeight = 250;
constexpr int kMinimumSide = 100;

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The picture: a sky over a dish, drawn in code like the program's other pictures.
class AboutPicture final : public QWidget {
public:
    explicit AboutPicture(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("aboutPicture"));
        setFixedHeight(kPictureHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 0, height());
        sky.setColorAt(0, QColor(0x1d, 0x3b, 0x6e));
        sky.setColorAt(1, QColor(0xc9, 0xdc, 0xf2));
        p.fillRect(rect(), sky);
        p.setPen(QColor(255, 255, 255, 160));
        for (int i = 0; i < 40; ++i)
            p.drawPoint((i * 97) % width(), (i * 53) % (height() / 2));
        const QIcon icon = widgets::applicationIcon();
        icon.paint(&p, QRect(24, height() - 180, 160, 160));
    }
};

} // namespace

AboutBox::AboutBox(AboutBoxContext context, QWidget* parent) : QDialog(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(text("TitleApplication") + QLatin1Char(' ') + qs(kProgramVersion));
    setMinimumSize(kMinimumSide, kMinimumSide);
    resize(kClientWidth, kClientHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);

    picture_ = new AboutPicture(this);
    picture_->installEventFilter(this);
    layout->addWidget(picture_);
    auto* over = new QVBoxLayout(picture_);
    over->setContentsMargins(16, 16, 16, 16);
    title_ = new QLabel(picture_);
    title_->setObjectName(QStringLiteral("aboutTitle"));
    title_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    title_->setWordWrap(true);
    QFont big = title_->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title_->setFont(big);
    title_->setStyleSheet(QStringLiteral("color: #9fd0ff;"));
    over->addWidget(title_);
    over->addStretch();

    auto* body = new QGridLayout;
    body->setContentsMargins(16, 8, 16, 0);
    auto link = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setCursor(Qt::PointingHandCursor);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        label->installEventFilter(this);
        return label;
    };
    homePage_ = link("homePageLink");
    mail_ = link("mailLink");
    body->addWidget(homePage_, 0, 0, 1, 2);
    body->addWidget(mail_, 1, 0, 1, 2);
    auto* line1 = new QFrame(this);
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    body->addWidget(line1, 2, 0, 1, 2);
    body->addWidget(new QLabel(text("About_MemoryAvail"), this), 3, 0);
    memoryValue_ = new QLabel(this);
    memoryValue_->setObjectName(QStringLiteral("memoryValue"));
    memoryValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    body->addWidget(memoryValue_, 3, 1);
    body->addWidget(new QLabel(text("About_MemoryUses"), this), 4, 0);
    loadValue_ = new QLabel(this);
    loadValue_->setObjectName(QStringLiteral("loadValue"));
    loadValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    body->addWidget(loadValue_, 4, 1);
    auto* line2 = new QFrame(this);
    line2->setFrameShape(QFrame::HLine);
    line2->setFrameShadow(QFrame::Sunken);
    body->addWidget(line2, 5, 0, 1, 2);
    layout->addLayout(body);
    layout->addStretch();

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addSpacing(16);
    layout->addLayout(buttons);

    timer_.setObjectName(QStringLiteral("animationTimer"));
    timer_.setInterval(AboutAnimation::kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &AboutBox::animationTick);

    // Filled here as well as on activation, so that the box is complete before it is first shown.
    title_->setText(QStringLiteral("Channel Editor\n"));
    const QString linkStyle = QStringLiteral("color: blue; text-decoration: underline;");
    homePage_->setStyleSheet(linkStyle);
    mail_->setStyleSheet(linkStyle);
    homePage_->setText(qs(context_.homePageAddress));
    mail_->setText(qs(context_.mailAddress));
    refreshMemory();
}

QString AboutBox::text(std::string_view key) const {
    return context_.texts ? qs(context_.texts(key)) : qs(key);
}

void AboutBox::refreshMemory() {
    const std::optional<MemoryStatus> status = readMemoryStatus(context_.meminfo);
    if (!status) {
        memoryValue_->setText(QStringLiteral("?"));
        loadValue_->setText(QStringLiteral("?"));
        return;
    }
    const std::string separator = QLocale().groupSeparator().toStdString();
    memoryValue_->setText(qs(kilobytesText(status->totalKilobytes, separator)));
    loadValue_->setText(qs(desktop::loadText(status->loadPercent)));
}

QString AboutBox::memoryText() const { return memoryValue_->text(); }
QString AboutBox::loadText() const { return loadValue_->text(); }

void AboutBox::openHomePage() {
    if (context_.openUrl)
        context_.openUrl(QUrl(qs(context_.homePageAddress)));
}

void AboutBox::openMail() {
    if (!context_.openUrl)
        return;
    QUrl url(QStringLiteral("mailto:") + qs(context_.mailAddress));
    url.setQuery(QStringLiteral("subject=") + QString::fromUtf8(QUrl::toPercentEncoding(text("TitleApplication"))),
                 QUrl::StrictMode);
    context_.openUrl(url);
}

void AboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    animation_.shown();
    followAnimation();
}

bool AboutBox::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        refreshMemory();
        animation_.activated(context_.settings && context_.settings->flag(settings_flags::kAboutAnimationDone));
        followAnimation();
    }
    return QDialog::event(event);
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && watched == homePage_)
            openHomePage();
        else if (mouse->button() == Qt::LeftButton && watched == mail_)
            openMail();
    }
    if (watched == picture_) {
        if (event->type() == QEvent::MouseButtonPress) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            animation_.mousePressed(at.x(), at.y());
            followAnimation();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            animation_.mouseReleased();
            followAnimation();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutBox::animationTick() {
    // Once the count is positive the animation has been seen; it is not started again.
    if (animation_.tick() && context_.settings)
        context_.settings->setFlag(settings_flags::kAboutAnimationDone, true);
}

void AboutBox::followAnimation() {
    if (animation_.running() && !timer_.isActive())
        timer_.start();
    else if (!animation_.running())
        timer_.stop();
}

} // namespace cs::desktop
