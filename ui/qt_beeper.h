#pragma once

#include "beeper.h"

namespace dissim::ui {

class QtBeeper : public Beeper {
public:
    void beep() override;
};

} // namespace dissim::ui
