#include "frm_vorlan4.h"

#include "screen_resolution.h"
#include "utf16.h"

#include <commctrl.h>

#include <cwctype>
#include <stdexcept>
#include <string>

namespace dissim::ui::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"frmVorlan4";
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// The run's reports are waiting to be delivered on the window's thread.
constexpr UINT kRunReports = WM_APP + 1;
// Control ids: the buttons', and apart from them the labels' (a static control's click comes as
// the same notification code as a button's).
constexpr int kFirstButtonId = 100;
constexpr int kFirstLabelId = 200;
// The widest a tooltip grows before it wraps, at 96 dots per inch.
constexpr int kTooltipWidth = 480;
// The icon in the program's resources.
constexpr int kIconId = 1;

// A length of the layout in twips, in pixels at this resolution.
int scaled(int twips, UINT dpi) {
    return ::MulDiv(layout::pixels(twips), int(dpi), 96);
}

// The size of the whole window whose client area has this size.
SIZE windowSizeFor(int clientWidth, int clientHeight, UINT dpi) {
    RECT frame{0, 0, clientWidth, clientHeight};
    static const auto adjustForDpi =
        systemCall<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (adjustForDpi == nullptr || !adjustForDpi(&frame, kWindowStyle, FALSE, 0, dpi)) {
        ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// The decimal separator of the user's locale, for the check of a typed count (a period when
// it is not one plain character).
char decimalSeparator() {
    wchar_t separator[8] = {};
    const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    if (length == 2 && separator[0] > 0 && separator[0] < 0x80) {
        return static_cast<char>(separator[0]);
    }
    return '.';
}

bool isMouseButtonOrWheel(UINT message) {
    return message > WM_MOUSEMOVE && message <= WM_MOUSELAST;
}

bool isKey(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

// The access key of a caption: the letter after its ampersand, in upper case, or 0.
wchar_t accessKeyOf(const char* caption) {
    for (const char* c = caption; *c != '\0'; ++c) {
        if (c[0] == '&' && c[1] != '\0' && c[1] != '&') {
            return static_cast<wchar_t>(std::towupper(static_cast<unsigned char>(c[1])));
        }
    }
    return 0;
}

void registerWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (::GetClassInfoExW(instance, kWindowClass, &windowClass)) {
        return;
    }
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    windowClass.hIconSm = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.lpszClassName = kWindowClass;
    if (!::RegisterClassExW(&windowClass)) {
        throw std::runtime_error("the window class cannot be registered");
    }
}

} // namespace

frmVorlan4::frmVorlan4(TextPrompt& prompt, Beeper& beeper, FileDialogBackend& fileDialog) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    registerWindowClass(instance, &frmVorlan4::windowProc);
    background_ = ::CreateSolidBrush(
        RGB(layout::kBackground.red, layout::kBackground.green, layout::kBackground.blue));

    const SIZE size = windowSizeFor(layout::pixels(layout::kClientWidth),
                                    layout::pixels(layout::kClientHeight), 96);
    window_ = ::CreateWindowExW(0, kWindowClass, toUtf16(layout::kWindowTitle).c_str(),
                                kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy,
                                nullptr, nullptr, instance, this);
    if (window_ == nullptr) {
        throw std::runtime_error("the window cannot be made");
    }
    createControls();
    importDialog_.setOwner(window_);
    workflow_ = std::make_unique<Workflow>(
        WindowLabels{*labels_[layout::lblSubsStim], *labels_[layout::lblIfileInfo],
                     *labels_[layout::lblOfileInfo], *labels_[layout::lblStatus]},
        WorkflowPlatform{.prompt = prompt,
                         .beeper = beeper,
                         .fileDialog = fileDialog,
                         .decimalSeparator = decimalSeparator(),
                         .importDialog = &importDialog_,
                         .listDialog = &fileDialog},
        static_cast<RunView&>(*this), static_cast<WindowWaker&>(*this));
    applyDpi(dpiOf(window_));
}

frmVorlan4::~frmVorlan4() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
    // Waits for a run still going (the program is being torn down); its reports are dropped.
    workflow_.reset();
    if (font_ != nullptr) {
        ::DeleteObject(font_);
    }
    ::DeleteObject(background_);
}

void frmVorlan4::createControls() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    // Created in tab order, which is also the order of the window's children.
    for (const layout::Button& button : layout::kButtons) {
        buttons_[button.id] = ::CreateWindowExW(
            0, L"BUTTON", toUtf16(button.caption).c_str(),
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0, 0, 0, 0, window_,
            reinterpret_cast<HMENU>(INT_PTR(kFirstButtonId + button.id)), instance, nullptr);
    }
    tooltips_ =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
    for (const layout::Label& label : layout::kLabels) {
        // SS_NOTIFY: the label takes the mouse, so that its tooltip sees it.
        const HWND control = ::CreateWindowExW(
            0, L"STATIC", toUtf16(label.startText).c_str(),
            WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, 0, 0, 0, window_,
            reinterpret_cast<HMENU>(INT_PTR(kFirstLabelId + label.id)), instance, nullptr);
        labels_[label.id] = std::make_unique<WindowLabel>(control, tooltips_);
    }
    for (HWND control : buttons_) {
        if (control == nullptr) {
            throw std::runtime_error("the window's buttons cannot be made");
        }
    }
}

void frmVorlan4::applyDpi(UINT dpi) {
    HFONT previous = font_;
    font_ = userInterfaceFont(dpi);
    const auto place = [dpi](HWND control, const layout::Place& at) {
        ::SetWindowPos(control, nullptr, scaled(at.left, dpi), scaled(at.top, dpi),
                       scaled(at.width, dpi), scaled(at.height, dpi),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (const layout::Button& button : layout::kButtons) {
        place(buttons_[button.id], button.place);
        ::SendMessageW(buttons_[button.id], WM_SETFONT, WPARAM(font_), TRUE);
    }
    for (const layout::Label& label : layout::kLabels) {
        place(labels_[label.id]->control(), label.place);
        ::SendMessageW(labels_[label.id]->control(), WM_SETFONT, WPARAM(font_), TRUE);
    }
    ::SendMessageW(tooltips_, WM_SETFONT, WPARAM(font_), TRUE);
    ::SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, ::MulDiv(kTooltipWidth, int(dpi), 96));
    const SIZE size =
        windowSizeFor(scaled(layout::kClientWidth, dpi), scaled(layout::kClientHeight, dpi), dpi);
    ::SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (previous != nullptr) {
        ::DeleteObject(previous);
    }
}

void frmVorlan4::show(int how) {
    ::ShowWindow(window_, how);
    // Focus frames and access keys show from the start, not only once the keyboard is used.
    ::SendMessageW(window_, WM_CHANGEUISTATE,
                   MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    lastFocus_ = buttons_[layout::kButtons.front().id];
    ::SetFocus(lastFocus_);
    ::UpdateWindow(window_);
}

int frmVorlan4::runMessageLoop() {
    MSG message;
    BOOL got;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            return 1;
        }
        if (preTranslate(message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

bool frmVorlan4::preTranslate(const MSG& message) {
    if (window_ == nullptr || (message.hwnd != window_ && !::IsChild(window_, message.hwnd))) {
        return false;
    }
    if (busy_) {
        // No input while a run goes; the mouse still moves (and shows the wait cursor), the
        // window can still be moved, and a close is put off until the run has ended.
        return isKey(message.message) || isMouseButtonOrWheel(message.message);
    }
    return translateKey(message);
}

bool frmVorlan4::translateKey(const MSG& message) {
    const bool repeated = (message.lParam & (1 << 30)) != 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    if (message.message == WM_KEYDOWN) {
        switch (message.wParam) {
        case VK_TAB:
            moveFocus(shift);
            return true;
        case VK_RETURN:
            // Enter presses the focused button once, as Space does.
            if (!repeated && tabIndexOf(message.hwnd) >= 0) {
                ::SendMessageW(message.hwnd, BM_CLICK, 0, 0);
            }
            return true;
        case VK_ESCAPE:
            return true; // no cancel button
        default:
            return false;
        }
    }
    if (message.message == WM_SYSKEYDOWN) {
        const auto key = static_cast<wchar_t>(message.wParam);
        const bool letterOrDigit = (key >= L'A' && key <= L'Z') || (key >= L'0' && key <= L'9');
        if (!letterOrDigit) {
            return false; // Alt+F4, Alt+Space and the like keep their meaning
        }
        for (const layout::Button& button : layout::kButtons) {
            if (accessKeyOf(button.caption) == key) {
                if (!repeated) {
                    ::SendMessageW(buttons_[button.id], BM_CLICK, 0, 0);
                }
                return true;
            }
        }
        // An Alt key that presses nothing: taken here, so that the system does not beep for a
        // menu the window does not have.
        return true;
    }
    return false;
}

int frmVorlan4::tabIndexOf(HWND control) const {
    for (std::size_t i = 0; i < layout::kButtons.size(); ++i) {
        if (buttons_[layout::kButtons[i].id] == control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void frmVorlan4::moveFocus(bool backwards) {
    const int count = static_cast<int>(layout::kButtons.size());
    const int current = tabIndexOf(::GetFocus());
    const int next = current < 0 ? 0 : (current + (backwards ? count - 1 : 1)) % count;
    ::SetFocus(buttons_[layout::kButtons[std::size_t(next)].id]);
}

void frmVorlan4::setBusy(bool busy) {
    busy_ = busy;
    if (busy) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return;
    }
    // The cursor takes the shape of what is under it again.
    POINT at;
    if (::GetCursorPos(&at)) {
        ::SetCursorPos(at.x, at.y);
    }
}

void frmVorlan4::runEnded(bool) {
    // Screen readers hear the status label's last text at once.
    ::NotifyWinEvent(EVENT_SYSTEM_ALERT, labels_[layout::lblStatus]->control(), OBJID_CLIENT,
                     CHILDID_SELF);
}

void frmVorlan4::closeWindow() {
    ::DestroyWindow(window_);
}

void frmVorlan4::wake() {
    ::PostMessageW(window_, kRunReports, 0, 0);
}

LRESULT CALLBACK frmVorlan4::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<frmVorlan4*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmVorlan4*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT frmVorlan4::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int button = LOWORD(wParam) - kFirstButtonId;
        if (HIWORD(wParam) == BN_CLICKED && button >= 0 &&
            button < static_cast<int>(layout::kButtons.size()) && workflow_ != nullptr) {
            workflow_->click(static_cast<layout::ButtonId>(button));
        }
        return 0;
    }
    case kRunReports:
        if (workflow_ != nullptr) {
            workflow_->deliverRunReports();
        }
        return 0;
    case WM_CTLCOLORSTATIC: {
        // Each label an opaque box in the colour of the buttons.
        auto dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_ERASEBKGND: {
        RECT client;
        ::GetClientRect(window_, &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, background_);
        return 1;
    }
    case WM_SETCURSOR:
        if (busy_ && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_ACTIVATE:
        // The focus leaves with the window and comes back to the control that had it.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (const HWND focus = ::GetFocus(); tabIndexOf(focus) >= 0) {
                lastFocus_ = focus;
            }
        } else if (lastFocus_ != nullptr) {
            ::SetFocus(lastFocus_);
        }
        return 0;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        applyDpi(HIWORD(wParam));
        return 0;
    }
    case WM_CLOSE:
        if (workflow_ == nullptr || workflow_->closeRequested()) {
            ::DestroyWindow(window_);
        }
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

} // namespace dissim::ui::win32
