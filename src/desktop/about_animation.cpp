#include "desktop/about_animation.h"

namespace cs::desktop {

void AboutAnimation::shown() {
    count_ = kStartCount;
    running_ = true;
}

void AboutAnimation::activated(bool alreadySeen) {
    if (alreadySeen)
        running_ = false;
}

bool AboutAnimation::tick() {
    if (!running_)
        return false;
    count_ += kStep;
    return count_ > 0;
}

void AboutAnimation::mousePressed(int x, int y) {
    if (x >= kSpotLeft && x <= kSpotRight && y >= kSpotTop && y <= kSpotBottom)
        running_ = true;
    else
        count_ = 0;
}

void AboutAnimation::mouseReleased() {
    running_ = false;
    count_ = 0;
}

} // namespace cs::desktop
