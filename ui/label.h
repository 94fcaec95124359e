#pragma once

#include <string>

namespace dissim::ui {

// One of the window's four labels, as the workflow writes it: a box that shows a text, and the
// text's detail, which the window keeps beside it (a tooltip, for assistive technology its
// description): a whole path, why a typed count was refused, what failed in a run and where.
// Labels are written, never read back. Texts are UTF-8.
class Label {
public:
    virtual ~Label() = default;
    virtual void setText(const std::string& text) = 0;
    // Empty text clears the detail.
    virtual void setDetail(const std::string& detail) = 0;
};

// The window's four labels, which carry every message of the workflow.
struct WindowLabels {
    Label& lblSubsStim;
    Label& lblIfileInfo;
    Label& lblOfileInfo;
    Label& lblStatus;
};

} // namespace dissim::ui
