#pragma once
// A mouse drag over the analysis picture, as the view follows it: a button press starts it, every move
// gives the pixels moved since the last point, the release ends it. What a drag does (zoom or pan) is
// the analysis core's; the view hands it the moves.
namespace torva {

struct DragMove {
    int dx = 0, dy = 0;
};

class DragGesture {
public:
    void Press(int x, int y) {
        active_ = true;
        lastX_ = x;
        lastY_ = y;
    }
    // False, with nothing moved, when no drag is under way.
    bool Move(int x, int y, DragMove& move) {
        if (!active_) return false;
        move = {x - lastX_, y - lastY_};
        lastX_ = x;
        lastY_ = y;
        return true;
    }
    // True when a drag ended.
    bool Release() {
        const bool wasActive = active_;
        active_ = false;
        return wasActive;
    }
    bool Active() const { return active_; }

private:
    bool active_ = false;
    int lastX_ = 0, lastY_ = 0;
};

} // namespace torva
