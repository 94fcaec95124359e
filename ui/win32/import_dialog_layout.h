#pragma once

#include "import_controls.h"

#include <windows.h>

#include <vector>

namespace dissim::ui::win32 {

// Where the Import dialog's controls go in its client area. The choices stand in a column on
// the left, one row each, closed up where a row is hidden; the preview, what was found, the
// stimuli and the problems fill the rest; the reason OK is refused, OK and Cancel run along
// the bottom. Lengths are pixels at 96 dots per inch, scaled to the dialog's resolution.
namespace import_layout {

// The client area the dialog opens with, and the smallest it may be made, at 96 dpi.
inline constexpr SIZE kStartSize{900, 640};
inline constexpr SIZE kSmallestSize{760, 560};

// The rows of the left column that are shown only for some tables and layouts.
struct ShownRows {
    bool sheet = false;
    bool separator = false;
    bool subjectColumn = false;
    bool stimulusColumn = false;
    bool groupColumn = false;
    bool firstStimulusColumn = false;
    bool lastStimulusColumn = false;
    bool operator==(const ShownRows&) const = default;
};

struct Place {
    import_controls::Id id;
    RECT rect;
};

// Every control's place (hidden rows' controls too, where they would stand) in a client area
// of this size in pixels at this resolution. A choice's rectangle includes its drop-down list.
std::vector<Place> placeControls(SIZE client, UINT dpi, const ShownRows& shown);

} // namespace import_layout
} // namespace dissim::ui::win32
