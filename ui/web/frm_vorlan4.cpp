#include "frm_vorlan4.h"

#include <emscripten.h>

namespace dissim::ui::web {
namespace {

// How long the run goes on between two chances for the page to paint and handle its events.
constexpr double kYieldEveryMs = 40;

// clang-format off
EM_JS(void, pageAddButton, (int id, const char* name, const char* caption, int left, int top,
                            int width, int height), {
  dissimPage.addButton(id, UTF8ToString(name), UTF8ToString(caption), left, top, width, height);
});

EM_JS(void, pageAddLabel, (const char* name, const char* text, const char* accessibleName,
                           const char* button, int left, int top, int width, int height), {
  dissimPage.addLabel(UTF8ToString(name), UTF8ToString(text), UTF8ToString(accessibleName),
                      UTF8ToString(button), left, top, width, height);
});

EM_JS(void, pageReady, (void* window), {
  dissimPage.ready(window);
});

EM_JS(void, pageSetBusy, (int busy), {
  dissimPage.setBusy(busy !== 0);
});

EM_JS(void, pageEnd, (), {
  dissimPage.end();
});

EM_ASYNC_JS(void, pageYield, (), {
  await dissimPage.yield();
});

EM_ASYNC_JS(void, pagePaint, (), {
  await dissimPage.paint();
});
// clang-format on

const char* nameOf(layout::ButtonId id) {
    for (const layout::Button& button : layout::kButtons) {
        if (button.id == id) {
            return button.name;
        }
    }
    return "";
}

std::array<WebLabel, layout::kLabels.size()> labelsOfTheLayout() {
    // Each label at the index of its id, as the workflow's labels are taken below.
    static_assert(layout::kLabels.size() == 4 && layout::kLabels[0].id == 0 &&
                  layout::kLabels[1].id == 1 && layout::kLabels[2].id == 2 &&
                  layout::kLabels[3].id == 3);
    return {WebLabel(layout::kLabels[0].name), WebLabel(layout::kLabels[1].name),
            WebLabel(layout::kLabels[2].name), WebLabel(layout::kLabels[3].name)};
}

} // namespace

frmVorlan4::frmVorlan4(TextPrompt& prompt, Beeper& beeper, FileDialogBackend& fileDialog)
    : labels_(labelsOfTheLayout()) {
    workflow_ = std::make_unique<Workflow>(
        WindowLabels{labels_[layout::lblSubsStim], labels_[layout::lblIfileInfo],
                     labels_[layout::lblOfileInfo], labels_[layout::lblStatus]},
        WorkflowPlatform{prompt, beeper, fileDialog, webDecimalSeparator(), &launcher_,
                         &importDialog_, &fileDialog},
        static_cast<RunView&>(*this), static_cast<WindowWaker&>(*this));
}

void frmVorlan4::show() {
    // Made in tab order, which is also their order in the page.
    for (const layout::Button& button : layout::kButtons) {
        pageAddButton(button.id, button.name, button.caption, layout::pixels(button.place.left),
                      layout::pixels(button.place.top), layout::pixels(button.place.width),
                      layout::pixels(button.place.height));
    }
    for (const layout::Label& label : layout::kLabels) {
        pageAddLabel(label.name, label.startText, label.accessibleName, nameOf(label.button),
                     layout::pixels(label.place.left), layout::pixels(label.place.top),
                     layout::pixels(label.place.width), layout::pixels(label.place.height));
    }
    pageReady(this);
}

void frmVorlan4::press(int button) {
    if (button >= 0 && button < static_cast<int>(layout::kButtons.size())) {
        workflow_->click(static_cast<layout::ButtonId>(button));
    }
}

void frmVorlan4::setBusy(bool busy) {
    lastYield_ = 0;
    pageSetBusy(busy ? 1 : 0);
    if (busy) {
        // The wait cursor shows before the step goes on (a large table read, a run): the page
        // paints nothing while the program works.
        pagePaint();
    }
}

void frmVorlan4::runEnded(bool) {
    // lblStatus is a live region: its last text is announced as it is set.
}

void frmVorlan4::closeWindow() {
    pageEnd();
}

void frmVorlan4::wake() {
    workflow_->deliverRunReports();
    const double now = emscripten_get_now();
    if (lastYield_ == 0 || now - lastYield_ >= kYieldEveryMs) {
        pageYield();
        lastYield_ = emscripten_get_now();
    }
}

} // namespace dissim::ui::web

// The page hands each press of a button to its window.
extern "C" EMSCRIPTEN_KEEPALIVE void dissim_web_press(dissim::ui::web::frmVorlan4* window,
                                                      int button) {
    window->press(button);
}
