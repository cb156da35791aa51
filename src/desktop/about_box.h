#pragma once
// The about box: the program's title and version, the machine's memory figures, the home page
// and mail links, and the picture's animation timer with its stored "seen" bit.
#include <QDialog>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>

#include "common/text_lookup.h"
#include "desktop/about_animation.h"

class QLabel;
class QUrl;

namespace cs {
class StoredSettings;
}

namespace cs::desktop {

struct AboutBoxContext {
    TextLookup texts;
    StoredSettings* settings = nullptr;               // the animation's "seen" bit lives here
    std::function<void(const QUrl&)> openUrl;         // the desktop's browser and mail program
    std::string homePageAddress;
    std::string mailAddress;
    std::filesystem::path meminfo = "/proc/meminfo";  // where the memory figures are read
};

class AboutBox final : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(AboutBoxContext context, QWidget* parent = nullptr);

    // Reads the memory figures into the two value labels (done on every activation).
    void refreshMemory();
    void openHomePage();
    void openMail();
    // One tick of the animation timer (the timer calls it every 30 ms).
    void animationTick();

    QTimer& animationTimer() { return timer_; }
    const AboutAnimation& animation() const { return animation_; }
    QString memoryText() const;
    QString loadText() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followAnimation();
    QString text(std::string_view key) const;

    AboutBoxContext context_;
    AboutAnimation animation_;
    QTimer timer_;
    QWidget* picture_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* homePage_ = nullptr;
    QLabel* mail_ = nullptr;
    QLabel* memoryValue_ = nullptr;
    QLabel* loadValue_ = nullptr;
};

} // namespace cs::desktop
