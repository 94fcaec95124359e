#include "import_dialog_layout.h"

#include "screen_resolution.h"

#include <algorithm>

namespace dissim::ui::win32::import_layout {
namespace {

using namespace import_controls;

constexpr int kMargin = 12;
constexpr int kGap = 8;
constexpr int kLeftWidth = 360; // the column of choices
constexpr int kCaptionWidth = 132;
constexpr int kRowPitch = 30;
constexpr int kTextHeight = 20; // a one-line label
constexpr int kCaptionDrop = 4; // a caption's text level with its choice's
constexpr int kChoiceHeight = 24;
constexpr int kDropHeight = 240; // a choice with its list dropped down
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kSaveWidth = 104;
constexpr int kRefusalHeight = 34; // two lines
// Of the height the preview and the lists share, the preview's part in hundredths.
constexpr int kPreviewShare = 60;

// Lays out at 96 dpi; scaled at the end.
class Placer {
public:
    void put(Id id, int left, int top, int width, int height) {
        places_.push_back({id, RECT{left, top, left + width, top + height}});
    }
    std::vector<Place> scaledTo(UINT dpi) && {
        for (Place& place : places_) {
            RECT& r = place.rect;
            r = {scaledPixels(r.left, dpi), scaledPixels(r.top, dpi), scaledPixels(r.right, dpi),
                 scaledPixels(r.bottom, dpi)};
        }
        return std::move(places_);
    }

private:
    std::vector<Place> places_;
};

} // namespace

std::vector<Place> placeControls(SIZE client, UINT dpi, const ShownRows& shown) {
    // The size at 96 dpi, no smaller than the smallest.
    const int width = std::max<int>(::MulDiv(client.cx, 96, int(dpi)), kSmallestSize.cx);
    const int height = std::max<int>(::MulDiv(client.cy, 96, int(dpi)), kSmallestSize.cy);
    Placer at;

    at.put(kFileCaption, kMargin, kMargin, 44, kTextHeight);
    at.put(kFile, kMargin + 44 + kGap, kMargin, width - 2 * kMargin - 44 - kGap, kTextHeight);

    // The column of choices.
    const int choiceLeft = kMargin + kCaptionWidth;
    const int choiceWidth = kLeftWidth - kCaptionWidth;
    int top = kMargin + kTextHeight + kGap + 4;
    const auto row = [&](Id caption, Id choice, bool isShown) {
        at.put(caption, kMargin, top + kCaptionDrop, kCaptionWidth - kGap, kTextHeight);
        at.put(choice, choiceLeft, top, choiceWidth, kDropHeight);
        if (isShown) {
            top += kRowPitch;
        }
    };
    row(kSheetCaption, kSheet, shown.sheet);
    row(kSeparatorCaption, kSeparator, shown.separator);
    row(kLayoutCaption, kLayout, true);
    at.put(kNamesInFirstRow, kMargin, top, kLeftWidth, kChoiceHeight);
    top += kRowPitch;
    at.put(kNamesInFirstColumn, kMargin, top, kLeftWidth, kChoiceHeight);
    top += kRowPitch;
    row(kSubjectColumnCaption, kSubjectColumn, shown.subjectColumn);
    row(kStimulusColumnCaption, kStimulusColumn, shown.stimulusColumn);
    row(kGroupColumnCaption, kGroupColumn, shown.groupColumn);
    row(kFirstStimulusColumnCaption, kFirstStimulusColumn, shown.firstStimulusColumn);
    row(kLastStimulusColumnCaption, kLastStimulusColumn, shown.lastStimulusColumn);
    at.put(kMissingCaption, kMargin, top + kCaptionDrop, kLeftWidth, kTextHeight);
    top += kTextHeight + kCaptionDrop + 2;
    at.put(kMissing, kMargin, top, kLeftWidth, kDropHeight);

    // Along the bottom: why OK is refused, OK and Cancel.
    const int buttonsTop = height - kMargin - kButtonHeight;
    const int cancelLeft = width - kMargin - kButtonWidth;
    const int okLeft = cancelLeft - kGap - kButtonWidth;
    at.put(kRefusal, kMargin, height - kMargin - kRefusalHeight, okLeft - 2 * kMargin,
           kRefusalHeight);
    at.put(kOk, okLeft, buttonsTop, kButtonWidth, kButtonHeight);
    at.put(kCancel, cancelLeft, buttonsTop, kButtonWidth, kButtonHeight);

    // The right side: the preview, what was found, the stimuli and the problems.
    const int left = kMargin + kLeftWidth + 2 * kGap;
    const int right = width - kMargin;
    const int saveTop = buttonsTop - kGap - kButtonHeight - kGap;
    const int listsBottom = saveTop - kGap;
    const int fixed = kTextHeight + 2 + 2 * (kTextHeight + 4) + 4 + kTextHeight + 2;
    const int shared = listsBottom - (kMargin + kTextHeight + kGap + 4) - fixed;
    const int previewHeight = shared * kPreviewShare / 100;

    top = kMargin + kTextHeight + kGap + 4;
    at.put(kPreviewCaption, left, top, right - left, kTextHeight);
    top += kTextHeight + 2;
    at.put(kPreview, left, top, right - left, previewHeight);
    top += previewHeight + 4;
    at.put(kFoundCaption, left, top, 48, kTextHeight);
    at.put(kFound, left + 48 + 4, top, right - left - 48 - 4, kTextHeight);
    top += kTextHeight + 4;
    at.put(kCounts, left + 48 + 4, top, right - left - 48 - 4, kTextHeight);
    top += kTextHeight + 4 + 4;
    const int stimuliWidth = (right - left - kGap) * 2 / 5;
    const int problemsLeft = left + stimuliWidth + kGap;
    at.put(kStimuliCaption, left, top, stimuliWidth, kTextHeight);
    at.put(kProblemsCaption, problemsLeft, top, right - problemsLeft, kTextHeight);
    top += kTextHeight + 2;
    at.put(kStimuli, left, top, stimuliWidth, listsBottom - top);
    at.put(kProblems, problemsLeft, top, right - problemsLeft, listsBottom - top);
    at.put(kSaveList, left, saveTop, kSaveWidth, kButtonHeight);
    at.put(kSaveResult, left + kSaveWidth + kGap, saveTop + 4, right - left - kSaveWidth - kGap,
           kTextHeight);
    return std::move(at).scaledTo(dpi);
}

} // namespace dissim::ui::win32::import_layout
