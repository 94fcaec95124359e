#pragma once

// The window as both toolkits build it: its title, size and colour, and every control with its
// name, text at start and place. Places are in twips from the top-left corner of the client
// area, 15 to the pixel at 96 dots per inch; every value is a multiple of 15, so the layout maps
// onto whole pixels there and is scaled from it at other resolutions.

#include <array>
#include <cstdint>

namespace dissim::ui::layout {

inline constexpr int kTwipsPerPixel = 15;

// Pixels at 96 dots per inch.
constexpr int pixels(int twips) {
    return twips / kTwipsPerPixel;
}

struct Place {
    int left;
    int top;
    int width;
    int height;
};

struct Colour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

inline constexpr const char* kWindowName = "frmVorlan4";
inline constexpr const char* kWindowTitle = "Dissimilarity Matix Computation";
inline constexpr int kClientWidth = 7110;
inline constexpr int kClientHeight = 6360;
inline constexpr Colour kBackground = {192, 255, 255}; // light cyan

enum ButtonId { cmdDataIn, cmdDataOut, cmdSubmit, cmdExit, cmdSubsStim };

struct Button {
    ButtonId id;
    const char* name;
    const char* caption; // an ampersand marks the access key
    Place place;
};

// In tab order: the focus starts on the first and moves down the list, then back to the first.
inline constexpr std::array<Button, 5> kButtons = {{
    {cmdDataIn, "cmdDataIn", "2. Select Input File", {600, 2400, 1575, 735}},
    {cmdDataOut, "cmdDataOut", "3. Select Output File", {600, 3600, 1575, 735}},
    {cmdSubmit, "cmdSubmit", "4. Submit", {600, 5040, 1575, 735}},
    {cmdExit, "cmdExit", "E&xit", {3120, 5280, 1095, 495}},
    {cmdSubsStim, "cmdSubsStim", "1. Start Here!", {600, 960, 1575, 735}},
}};

enum LabelId { lblSubsStim, lblIfileInfo, lblOfileInfo, lblStatus };

struct Label {
    LabelId id;
    const char* name;
    const char* startText;
    // What assistive technology calls the label, and the button whose result it shows.
    const char* accessibleName;
    ButtonId button;
    Place place;
};

inline constexpr std::array<Label, 4> kLabels = {{
    {lblSubsStim,
     "lblSubsStim",
     "# of Subjects and Stimuli not Defined",
     "Subjects and stimuli",
     cmdSubsStim,
     {3720, 840, 2775, 735}},
    {lblIfileInfo,
     "lblIfileInfo",
     "Input File Undefined",
     "Input file",
     cmdDataIn,
     {3720, 2280, 2775, 735}},
    {lblOfileInfo,
     "lblOfileInfo",
     "Output File Undefined",
     "Output file",
     cmdDataOut,
     {3720, 3240, 2775, 735}},
    {lblStatus, "lblStatus", "Waiting for data...", "Status", cmdSubmit, {3720, 4200, 2775, 735}},
}};

} // namespace dissim::ui::layout
