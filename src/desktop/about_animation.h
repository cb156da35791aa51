#pragma once
// The about box's animation timer: started when the box is shown, counting up from -1000 by 3
// every 30 ms; the first tick that reaches a positive count marks the animation as seen (a
// stored option bit), and from then on the box no longer starts it. A press on a small spot of
// the picture starts it again, a press elsewhere restarts the count, a release stops it.
namespace cs::desktop {

class AboutAnimation {
public:
    static constexpr int kIntervalMs = 30;
    static constexpr int kStartCount = -1000;
    static constexpr int kStep = 3;
    // The spot of the picture that starts the timer, in picture pixels (inclusive).
    static constexpr int kSpotLeft = 340, kSpotRight = 360, kSpotTop = 2, kSpotBottom = 18;

    // The box was shown: the timer runs from the start count.
    void shown();
    // The box became active: with the animation already seen the timer stops.
    void activated(bool alreadySeen);
    // One tick of the running timer; true when this tick marks the animation as seen.
    bool tick();
    void mousePressed(int x, int y);
    void mouseReleased();

    bool running() const { return running_; }
    int count() const { return count_; }

private:
    bool running_ = false;
    int count_ = 0;
};

} // namespace cs::desktop
