// The Win32 window itself, under the real workflow with a scripted prompt, beep and file
// dialog: the window class, its title and size, every control's place, text and style as laid
// out, the keyboard (Tab around the buttons, Enter, Escape, Alt+X), and the labels' texts and
// tooltips as the handlers leave them. Needs a display: under Wine, run by window_test.sh.

#include "frm_vorlan4.h"
#include "workflow_fixture.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// Rectangles compared and printed whole (found by argument-dependent lookup, so global).
bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}

namespace {

using dissim::ui::win32::frmVorlan4;
namespace layout = dissim::ui::layout;

std::wstring textOf(HWND control) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(control, text, 1024);
    return text;
}

std::wstring widened(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

// Where a control is in the window's client area.
RECT placeOf(HWND control) {
    RECT rect;
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT expectedPlace(const layout::Place& at) {
    return {layout::pixels(at.left), layout::pixels(at.top), layout::pixels(at.left + at.width),
            layout::pixels(at.top + at.height)};
}

// The window over scripted pieces; shown, as a person meets it.
struct WindowFixture {
    testsupport::WindowEvents events;
    testsupport::ScriptedPrompt prompt;
    testsupport::CountingBeeper beeper{events};
    testsupport::ScriptedFileDialog files;
    frmVorlan4 window{prompt, beeper, files};

    WindowFixture() { window.show(SW_SHOWNORMAL); }
    HWND button(layout::ButtonId id) const { return window.button(id); }
    HWND label(layout::LabelId id) const { return window.label(id).control(); }
    // A key as the message loop meets it: taken by the window, or translated and dispatched.
    void key(UINT message, WPARAM key) {
        MSG msg{::GetFocus(), message, key, 0, 0, {}};
        if (!window.preTranslate(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    std::wstring tooltipOf(layout::LabelId id) const {
        HWND tooltips = nullptr;
        // The tooltip control is the window's own popup: found through the tool it holds.
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND candidate, LPARAM found) {
                wchar_t name[64] = {};
                ::GetClassNameW(candidate, name, 64);
                if (std::wstring(name) == TOOLTIPS_CLASSW) {
                    *reinterpret_cast<HWND*>(found) = candidate;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&tooltips));
        wchar_t text[1024] = {};
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = window.handle();
        tool.uId = reinterpret_cast<UINT_PTR>(label(id));
        tool.lpszText = text;
        ::SendMessageW(tooltips, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
        return text;
    }
};

TEST(Win32Window, IsTheWindowClassWithItsTitleSizeAndColour) {
    WindowFixture f;
    wchar_t className[64] = {};
    ::GetClassNameW(f.window.handle(), className, 64);
    EXPECT_EQ(std::wstring(className), L"frmVorlan4");
    EXPECT_EQ(textOf(f.window.handle()), L"Dissimilarity Matix Computation");
    RECT client;
    ::GetClientRect(f.window.handle(), &client);
    EXPECT_EQ(client, (RECT{0, 0, 474, 424}));
    // The labels are boxes in the colour of the buttons.
    HDC dc = ::GetDC(f.label(layout::lblStatus));
    const auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(f.window.handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(f.label(layout::lblStatus))));
    EXPECT_EQ(brush, ::GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(::GetBkColor(dc), ::GetSysColor(COLOR_BTNFACE));
    ::ReleaseDC(f.label(layout::lblStatus), dc);
}

TEST(Win32Window, EveryControlHasItsPlaceTextAndStyle) {
    WindowFixture f;
    for (const layout::Button& button : layout::kButtons) {
        SCOPED_TRACE(button.name);
        EXPECT_EQ(placeOf(f.button(button.id)), expectedPlace(button.place));
        EXPECT_EQ(textOf(f.button(button.id)), widened(button.caption));
        const LONG_PTR style = ::GetWindowLongPtrW(f.button(button.id), GWL_STYLE);
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << "no default button";
        EXPECT_TRUE(style & BS_MULTILINE);
        EXPECT_TRUE(style & WS_TABSTOP);
        EXPECT_TRUE(::IsWindowEnabled(f.button(button.id)));
    }
    for (const layout::Label& label : layout::kLabels) {
        SCOPED_TRACE(label.name);
        EXPECT_EQ(placeOf(f.label(label.id)), expectedPlace(label.place));
        EXPECT_EQ(textOf(f.label(label.id)), widened(label.startText));
        const LONG_PTR style = ::GetWindowLongPtrW(f.label(label.id), GWL_STYLE);
        EXPECT_EQ(style & SS_TYPEMASK, SS_LEFT) << "wraps at spaces";
        EXPECT_TRUE(style & SS_NOPREFIX) << "an ampersand in a path is no access key";
        EXPECT_FALSE(style & WS_TABSTOP);
    }
}

TEST(Win32Window, TabGoesRoundTheButtonsInTheirOrderFromTheInputButton) {
    WindowFixture f;
    EXPECT_EQ(::GetFocus(), f.button(layout::cmdDataIn));
    for (layout::ButtonId next : {layout::cmdDataOut, layout::cmdSubmit, layout::cmdExit,
                                  layout::cmdSubsStim, layout::cmdDataIn}) {
        f.key(WM_KEYDOWN, VK_TAB);
        EXPECT_EQ(::GetFocus(), f.button(next)) << layout::kButtons[next].name;
    }
}

TEST(Win32Window, EnterPressesTheFocusedButtonAndEscapeNothing) {
    WindowFixture f;
    f.key(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_TRUE(::IsWindow(f.window.handle()));
    EXPECT_TRUE(f.files.requests.empty());
    EXPECT_EQ(f.beeper.count, 0);

    f.key(WM_KEYDOWN, VK_RETURN); // "2. Select Input File" has the focus at start
    ASSERT_EQ(f.files.requests.size(), 1u);
    EXPECT_EQ(f.files.requests[0].mode, dissim::ui::FileDialogRequest::Mode::Open);

    ::SetFocus(f.button(layout::cmdSubsStim));
    f.key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(f.prompt.asked.size(), 1u);
    EXPECT_EQ(f.beeper.count, 3); // the prompt was cancelled
}

TEST(Win32Window, AltXEndsTheProgramAndOtherAltKeysDoNothing) {
    WindowFixture f;
    f.key(WM_SYSKEYDOWN, 'Q');
    EXPECT_TRUE(::IsWindow(f.window.handle()));
    EXPECT_EQ(f.beeper.count, 0);
    const HWND window = f.window.handle();
    f.key(WM_SYSKEYDOWN, 'X');
    EXPECT_FALSE(::IsWindow(window));
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(Win32Window, LabelsShowWhatTheHandlersWriteAndTheirDetailsAsTooltips) {
    WindowFixture f;
    f.prompt.answers = {"6", "2.5"};
    ::SendMessageW(f.button(layout::cmdSubsStim), BM_CLICK, 0, 0);
    EXPECT_EQ(textOf(f.label(layout::lblSubsStim)), L"Oops!  Please Press Option 1 to reenter!");
    EXPECT_EQ(f.tooltipOf(layout::lblSubsStim), L"2.5 is not a whole number");

    const std::string path = "C:\\Studies\\Zo\xc3\xab & Co\\sort data.txt";
    f.files.confirm(path);
    ::SendMessageW(f.button(layout::cmdDataIn), BM_CLICK, 0, 0);
    const std::wstring wide = L"C:\\Studies\\Zo\u00eb & Co\\sort data.txt";
    EXPECT_EQ(textOf(f.label(layout::lblIfileInfo)), L"Input File = " + wide);
    EXPECT_EQ(f.tooltipOf(layout::lblIfileInfo), wide);
    EXPECT_EQ(f.window.workflow().runState().inputFile, path);

    f.prompt.answers = {"3", "4"};
    ::SendMessageW(f.button(layout::cmdSubsStim), BM_CLICK, 0, 0);
    EXPECT_EQ(textOf(f.label(layout::lblSubsStim)), L"There are  3 subjects and  4 stimuli.");
    EXPECT_EQ(f.tooltipOf(layout::lblSubsStim), L"");
    EXPECT_EQ(f.tooltipOf(layout::lblIfileInfo), L"");
}

} // namespace
