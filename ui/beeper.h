#pragma once

namespace dissim::ui {

// The system beep. Failures are reported by a row of them.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

inline void beepTimes(Beeper& beeper, int times) {
    for (int i = 0; i < times; ++i) {
        beeper.beep();
    }
}

} // namespace dissim::ui
