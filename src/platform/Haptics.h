#pragma once
// Haptic feedback: a short tap after undo, redo and a performed next step, a stronger one
// when a page flips. Linux desktops have no trackpad feedback, so the app uses the silent
// performer; tests use the recorder to see which patterns were played, in order.

#include <vector>

namespace nolby {

class Haptics {
public:
    enum class Pattern { generic, levelChange };
    virtual ~Haptics() = default;
    // Plays the pattern now.
    virtual void perform(Pattern pattern) = 0;
};

class NoHaptics final : public Haptics {
public:
    void perform(Pattern) override {}
};

class HapticsRecorder final : public Haptics {
public:
    void perform(Pattern pattern) override { played.push_back(pattern); }
    std::vector<Pattern> played;
};

}  // namespace nolby
