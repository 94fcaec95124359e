// The Win32 window itself, under the real workflow with a scripted prompt, beep and file
// dialog: the window class, its title and colour, every control's text and style as laid out,
// the keyboard (Tab around the buttons, Enter, Escape, Alt+X), and the labels' texts and
// tooltips as the handlers leave them. Needs a display: under Wine, run by window_test.sh.
//
// Win32WindowLayout is the window at the screen's resolution, which the run is told in E2E_DPI
// (96 unless given; under Wine the prefix names it, so each resolution is a run of its own):
// the client area and every control's place scaled from 96 dpi, the system's font at that
// resolution, and the labels wrapping a long text and cutting it off inside their boxes.

#include "frm_vorlan4.h"
#include "workflow_fixture.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

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

// The screen's dots per inch that this run expects.
int expectedDpi() {
    wchar_t value[16] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"E2E_DPI", value, 16);
    return length > 0 && length < 16 ? std::stoi(value) : 96;
}

// A length of the layout in twips, in pixels at the expected resolution: scaled from 96 dpi by
// dpi/96 and rounded to the nearest pixel, halves up.
int atDpi(int twips) {
    return (layout::pixels(twips) * expectedDpi() + 48) / 96;
}

// Place and size are scaled each on its own.
RECT expectedPlace(const layout::Place& at) {
    const int left = atDpi(at.left);
    const int top = atDpi(at.top);
    return {left, top, left + atDpi(at.width), top + atDpi(at.height)};
}

// The font that Windows gives messages and controls at this resolution.
LOGFONTW messageFontAt(UINT dpi) {
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    EXPECT_NE(forDpi, nullptr);
    if (forDpi != nullptr) {
        EXPECT_TRUE(forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi));
    }
    return metrics.lfMessageFont;
}

LOGFONTW fontOf(HWND control) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    EXPECT_NE(handle, nullptr);
    ::GetObjectW(handle, sizeof(font), &font);
    return font;
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

TEST(Win32Window, IsTheWindowClassWithItsTitleAndColour) {
    WindowFixture f;
    wchar_t className[64] = {};
    ::GetClassNameW(f.window.handle(), className, 64);
    EXPECT_EQ(std::wstring(className), L"frmVorlan4");
    EXPECT_EQ(textOf(f.window.handle()), L"Dissimilarity Matix Computation");
    // The labels are boxes in the colour of the buttons.
    HDC dc = ::GetDC(f.label(layout::lblStatus));
    const auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(f.window.handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(f.label(layout::lblStatus))));
    EXPECT_EQ(brush, ::GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(::GetBkColor(dc), ::GetSysColor(COLOR_BTNFACE));
    ::ReleaseDC(f.label(layout::lblStatus), dc);
}

TEST(Win32Window, EveryControlHasItsTextAndStyle) {
    WindowFixture f;
    for (const layout::Button& button : layout::kButtons) {
        SCOPED_TRACE(button.name);
        EXPECT_EQ(textOf(f.button(button.id)), widened(button.caption));
        const LONG_PTR style = ::GetWindowLongPtrW(f.button(button.id), GWL_STYLE);
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << "no default button";
        EXPECT_TRUE(style & BS_MULTILINE);
        EXPECT_TRUE(style & WS_TABSTOP);
        EXPECT_TRUE(::IsWindowEnabled(f.button(button.id)));
    }
    for (const layout::Label& label : layout::kLabels) {
        SCOPED_TRACE(label.name);
        EXPECT_EQ(textOf(f.label(label.id)), widened(label.startText));
        const LONG_PTR style = ::GetWindowLongPtrW(f.label(label.id), GWL_STYLE);
        EXPECT_EQ(style & SS_TYPEMASK, SS_LEFT) << "wraps at spaces";
        EXPECT_TRUE(style & SS_NOPREFIX) << "an ampersand in a path is no access key";
        EXPECT_FALSE(style & WS_TABSTOP);
    }
}

TEST(Win32WindowLayout, ClientAreaIsTheLayoutsSizeAtTheScreensResolution) {
    WindowFixture f;
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, expectedDpi()) << "the screen is not at the resolution this run is for";
    // 474 x 424 at 96 dpi, scaled and rounded halves up (592.5 to 593 at 120).
    RECT client;
    ::GetClientRect(f.window.handle(), &client);
    EXPECT_EQ(client, (RECT{0, 0, (474 * dpi + 48) / 96, (424 * dpi + 48) / 96}));
}

TEST(Win32WindowLayout, EveryControlHasItsPlaceAndTheSystemsFontAtTheScreensResolution) {
    WindowFixture f;
    const LOGFONTW system = messageFontAt(UINT(expectedDpi()));
    // The system's font is its size at 96 dpi scaled, not another font.
    const LOGFONTW at96 = messageFontAt(96);
    EXPECT_EQ(std::wstring(system.lfFaceName), std::wstring(at96.lfFaceName));
    EXPECT_EQ(-system.lfHeight, (-at96.lfHeight * expectedDpi() + 48) / 96);
    std::vector<std::pair<HWND, layout::Place>> controls;
    for (const layout::Button& button : layout::kButtons) {
        controls.emplace_back(f.button(button.id), button.place);
    }
    for (const layout::Label& label : layout::kLabels) {
        controls.emplace_back(f.label(label.id), label.place);
    }
    for (const auto& [control, place] : controls) {
        SCOPED_TRACE(textOf(control).c_str());
        EXPECT_EQ(placeOf(control), expectedPlace(place));
        const LOGFONTW font = fontOf(control);
        EXPECT_EQ(std::wstring(font.lfFaceName), std::wstring(system.lfFaceName));
        EXPECT_EQ(font.lfHeight, system.lfHeight);
        EXPECT_EQ(font.lfWeight, system.lfWeight);
    }
}

TEST(Win32WindowLayout, LabelsWrapALongTextAndCutItOffInsideTheirBoxes) {
    WindowFixture f;
    const std::wstring text =
        L"The output file cannot be opened for writing: another program has it open. Close "
        L"it there, or choose another output file, and press the button again to write the "
        L"matrices of every subject and the count matrix. The input file is left as it was, "
        L"and so are the counts of subjects and stimuli that were given.";
    for (const layout::Label& label : layout::kLabels) {
        SCOPED_TRACE(label.name);
        const HWND control = f.label(label.id);
        ::SetWindowTextW(control, text.c_str());
        RECT box;
        ::GetClientRect(control, &box);
        HDC dc = ::GetDC(control);
        const HGDIOBJ previous =
            ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        RECT needed = box;
        ::DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ::SelectObject(dc, previous);
        ::ReleaseDC(control, dc);
        const int line = metrics.tmHeight;
        ASSERT_GT(needed.bottom, box.bottom) << "the text must be too long for the box";

        // What it paints of its client area, in a larger picture of another colour so that
        // whatever it paints outside its box shows too.
        const RECT picture{0, 0, box.right + 2 * line, box.bottom + 2 * line};
        constexpr COLORREF kAround = RGB(255, 0, 255);
        HDC screen = ::GetDC(nullptr);
        HDC painted = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, picture.right, picture.bottom);
        ::ReleaseDC(nullptr, screen);
        const HGDIOBJ previousBitmap = ::SelectObject(painted, bitmap);
        HBRUSH around = ::CreateSolidBrush(kAround);
        ::FillRect(painted, &picture, around);
        ::DeleteObject(around);
        ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(painted),
                       PRF_CLIENT | PRF_ERASEBKGND);
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        int inkOutside = 0;
        std::vector<int> rightmostInk(std::size_t(box.bottom / line + 1), -1);
        for (int y = 0; y < picture.bottom; ++y) {
            for (int x = 0; x < picture.right; ++x) {
                const COLORREF colour = ::GetPixel(painted, x, y);
                if (x >= box.right || y >= box.bottom) {
                    inkOutside += colour != kAround;
                } else if (colour != face) {
                    int& rightmost = rightmostInk[std::size_t(y / line)];
                    rightmost = std::max(rightmost, x);
                }
            }
        }
        ::SelectObject(painted, previousBitmap);
        ::DeleteObject(bitmap);
        ::DeleteDC(painted);
        EXPECT_EQ(inkOutside, 0) << "painted outside its box";
        // Every whole line that the box holds is written, each filled to past its middle:
        // the text wraps at the box's width, line after line, until the box ends.
        for (int whole = 0; whole < box.bottom / line; ++whole) {
            EXPECT_GT(rightmostInk[std::size_t(whole)], box.right / 2) << "line " << whole;
        }
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
