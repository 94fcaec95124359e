#include "import_dialog.h"

#include "import_controls.h"
#include "import_dialog_layout.h"
#include "import_model.h"
#include "import_preview.h"
#include "screen_resolution.h"
#include "utf16.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace dissim::ui::win32 {
namespace {

using namespace import_controls;

constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN | DS_MODALFRAME;
// Why OK is refused, in the colour of a warning.
constexpr COLORREF kRefusalText = RGB(156, 0, 6);

// The dialog's template in memory: no controls (they are made as it opens, in pixels), no
// menu, the system's dialog class, the title set as it opens.
struct alignas(DWORD) EmptyTemplate {
    WORD words[12] = {};
    EmptyTemplate() {
        DLGTEMPLATE header{};
        header.style = kDialogStyle;
        static_assert(sizeof(header) == 9 * sizeof(WORD));
        std::memcpy(words, &header, sizeof(header));
    }
};

// A caption without its access key's ampersand: the name its control is known by.
std::string withoutAmpersand(const char* caption) {
    std::string text;
    for (const char* c = caption; *c != '\0'; ++c) {
        if (*c == '&' && c[1] != '\0') {
            ++c;
        }
        text += *c;
    }
    return text;
}

// The place of the first choice that matches, or -1.
template <typename Choices, typename Match> int indexWhere(const Choices& choices, Match matches) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (matches(choices[i])) {
            return int(i);
        }
    }
    return -1;
}

std::wstring textOf(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

// The system class and style of each kind of control.
struct MadeAs {
    const wchar_t* windowClass;
    DWORD style;
    DWORD extendedStyle;
};

MadeAs madeAs(const Control& control) {
    switch (control.kind) {
    case Kind::Caption:
        return {L"STATIC", SS_LEFT, 0};
    case Kind::Text:
        return {L"STATIC",
                DWORD(SS_LEFT | SS_NOPREFIX | (control.id == kFile ? SS_PATHELLIPSIS : 0)), 0};
    case Kind::Choice:
        return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case Kind::Check:
        return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case Kind::List:
        return {L"LISTBOX",
                LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case Kind::Preview:
        return {WC_LISTVIEWW,
                LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case Kind::Button:
        return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case Kind::DefaultButton:
        return {L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 0};
    }
    return {L"STATIC", SS_LEFT, 0};
}

// The open dialog: its controls over the model, for as long as it is open.
class OpenDialog {
public:
    explicit OpenDialog(ImportModel& model) : model_(model) {}
    ~OpenDialog() {
        if (font_ != nullptr) {
            ::DeleteObject(font_);
        }
    }
    OpenDialog(const OpenDialog&) = delete;
    OpenDialog& operator=(const OpenDialog&) = delete;

    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    // What the model threw while the dialog was open, to be thrown again once it has closed.
    std::exception_ptr failure;

private:
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void open(HWND dialog);
    void makeControls();
    void applyDpi(UINT dpi);
    void placeControls();
    void command(int id, int code);
    void change(int id);
    void saveList();
    // Every control as the model now says.
    void refresh();
    import_layout::ShownRows shownRows() const;
    void setText(int id, const std::string& text);
    void setChoices(int id, const std::vector<std::string>& choices, int selected);
    void setLines(int id, const std::vector<std::string>& lines);
    void show(int id, bool shown);
    void enable(int id, bool enabled);
    // The focus off a control that has been hidden or disabled, to the next one Tab reaches.
    void keepFocusUsable();
    HWND item(int id) const { return ::GetDlgItem(dialog_, id); }
    int selection(int id) const { return int(::SendMessageW(item(id), CB_GETCURSEL, 0, 0)); }

    ImportModel& model_;
    HWND dialog_ = nullptr;
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    std::unique_ptr<ImportPreview> preview_;
    // What each drop-down list and list box holds, so that it is filled again only when that
    // changes (a list refilled loses where it was scrolled to).
    std::map<int, std::vector<std::string>> shownLines_;
    import_layout::ShownRows rows_;
    // Set while the dialog sets its own controls, whose notifications are then not changes.
    bool refreshing_ = false;
};

INT_PTR CALLBACK OpenDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<OpenDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    if (message == WM_INITDIALOG) {
        self->dialog_ = dialog;
    }
    // Nothing thrown may cross the system's code: kept, the dialog closed, thrown again by show.
    try {
        return self->handle(message, wParam, lParam);
    } catch (...) {
        if (!self->failure) {
            self->failure = std::current_exception();
        }
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

INT_PTR OpenDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        open(dialog_);
        return FALSE; // the focus is set
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == UINT_PTR(kPreview) && header->code == NM_CUSTOMDRAW && preview_) {
            ::SetWindowLongPtrW(dialog_, DWLP_MSGRESULT,
                                preview_->customDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
            return TRUE;
        }
        return FALSE;
    }
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == item(kRefusal)) {
            const auto dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, kRefusalText);
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    case WM_SIZE:
        placeControls();
        return TRUE;
    case WM_GETMINMAXINFO: {
        RECT frame{0, 0, scaledPixels(import_layout::kSmallestSize.cx, dpi_),
                   scaledPixels(import_layout::kSmallestSize.cy, dpi_)};
        ::AdjustWindowRectEx(&frame, kDialogStyle, FALSE, WS_EX_DLGMODALFRAME);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        return TRUE;
    }
    case WM_DPICHANGED: {
        applyDpi(HIWORD(wParam));
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(dialog_, nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        placeControls();
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void OpenDialog::open(HWND dialog) {
    dialog_ = dialog;
    // The dialog scales itself: the system is not to scale what it laid out in pixels again.
    static const auto dpiChangeBehavior =
        systemCall<BOOL(WINAPI*)(HWND, DWORD, DWORD)>("SetDialogDpiChangeBehavior");
    if (dpiChangeBehavior != nullptr) {
        constexpr DWORD kDisableAll = 1;
        dpiChangeBehavior(dialog_, kDisableAll, kDisableAll);
    }
    ::SetWindowTextW(dialog_, toUtf16(import_texts::kTitle).c_str());
    makeControls();
    applyDpi(dpiOf(dialog_));

    // The size it opens with, no larger than the screen's work area, over the middle of its
    // owner.
    RECT frame{0, 0, scaledPixels(import_layout::kStartSize.cx, dpi_),
               scaledPixels(import_layout::kStartSize.cy, dpi_)};
    ::AdjustWindowRectEx(&frame, kDialogStyle, FALSE, WS_EX_DLGMODALFRAME);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    const HWND owner = ::GetWindow(dialog_, GW_OWNER);
    ::GetMonitorInfoW(
        ::MonitorFromWindow(owner != nullptr ? owner : dialog_, MONITOR_DEFAULTTONEAREST),
        &monitor);
    const RECT& work = monitor.rcWork;
    const int width = std::min(int(frame.right - frame.left), int(work.right - work.left));
    const int height = std::min(int(frame.bottom - frame.top), int(work.bottom - work.top));
    RECT around = work;
    if (owner != nullptr) {
        ::GetWindowRect(owner, &around);
    }
    const int left = std::clamp(int(around.left + around.right - width) / 2, int(work.left),
                                int(work.right) - width);
    const int top = std::clamp(int(around.top + around.bottom - height) / 2, int(work.top),
                               int(work.bottom) - height);
    ::SetWindowPos(dialog_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // Where the frame the system draws differs from the one it computed (a theme, Wine), the
    // client area is made its size all the same.
    RECT client;
    ::GetClientRect(dialog_, &client);
    const int wantedWidth = std::min(scaledPixels(import_layout::kStartSize.cx, dpi_),
                                     int(client.right) + int(work.right - work.left) - width);
    const int wantedHeight = std::min(scaledPixels(import_layout::kStartSize.cy, dpi_),
                                      int(client.bottom) + int(work.bottom - work.top) - height);
    if (client.right != wantedWidth || client.bottom != wantedHeight) {
        ::SetWindowPos(dialog_, nullptr, 0, 0, width + wantedWidth - client.right,
                       height + wantedHeight - client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    refresh();
    placeControls();
    // Focus frames and access keys show from the start, not only once the keyboard is used.
    ::SendMessageW(dialog_, WM_CHANGEUISTATE,
                   MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    ::SetFocus(item(kLayout));
    keepFocusUsable();
}

void OpenDialog::makeControls() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    // Made in the order of kControls, which is the order Tab goes through them.
    for (const Control& control : kControls) {
        const MadeAs made = madeAs(control);
        const std::wstring text = control.text != nullptr ? toUtf16(control.text) : L"";
        const HWND window =
            ::CreateWindowExW(made.extendedStyle, made.windowClass, text.c_str(),
                              made.style | WS_CHILD | WS_VISIBLE | WS_GROUP, 0, 0, 0, 0, dialog_,
                              reinterpret_cast<HMENU>(INT_PTR(control.id)), instance, nullptr);
        if (window == nullptr) {
            throw std::runtime_error("the Import dialog's controls cannot be made");
        }
    }
    // The lists and the preview show no text of their own: theirs is the name assistive
    // technology gives them, their caption's.
    for (const Id list : {kStimuli, kProblems, kPreview}) {
        const Control* caption = std::find_if(kControls.begin(), kControls.end(),
                                              [list](const Control& c) { return c.id == list; });
        ::SetWindowTextW(item(list), toUtf16(withoutAmpersand((caption - 1)->text)).c_str());
    }
    ::SendMessageW(item(kPreview), LVM_SETEXTENDEDLISTVIEWSTYLE,
                   LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER, LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    preview_ = std::make_unique<ImportPreview>(item(kPreview));
    // The fixed choices.
    refreshing_ = true;
    for (const auto& choice : import_texts::kLayouts) {
        ::SendMessageW(item(kLayout), CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(toUtf16(choice.text).c_str()));
    }
    for (const auto& choice : import_texts::kMissingChoices) {
        ::SendMessageW(item(kMissing), CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(toUtf16(choice.text).c_str()));
    }
    for (const auto& choice : import_texts::kSeparators) {
        ::SendMessageW(item(kSeparator), CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(toUtf16(choice.text).c_str()));
    }
    refreshing_ = false;
    // OK is the default button: Enter presses it wherever the focus is but on another button.
    ::SendMessageW(dialog_, DM_SETDEFID, IDOK, 0);
}

void OpenDialog::applyDpi(UINT dpi) {
    dpi_ = dpi;
    HFONT previous = font_;
    font_ = userInterfaceFont(dpi);
    for (const Control& control : kControls) {
        ::SendMessageW(item(control.id), WM_SETFONT, WPARAM(font_), FALSE);
    }
    preview_->setFont(font_, dpi);
    // The lists' widths depend on the font.
    shownLines_.erase(kStimuli);
    shownLines_.erase(kProblems);
    refresh();
    ::InvalidateRect(dialog_, nullptr, TRUE);
    if (previous != nullptr) {
        ::DeleteObject(previous);
    }
}

void OpenDialog::placeControls() {
    RECT client;
    ::GetClientRect(dialog_, &client);
    const auto places =
        import_layout::placeControls(SIZE{client.right, client.bottom}, dpi_, rows_);
    HDWP moves = ::BeginDeferWindowPos(int(places.size()));
    for (const import_layout::Place& place : places) {
        const RECT& r = place.rect;
        if (moves != nullptr) {
            moves =
                ::DeferWindowPos(moves, item(place.id), nullptr, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (moves == nullptr || !::EndDeferWindowPos(moves)) {
        for (const import_layout::Place& place : places) {
            const RECT& r = place.rect;
            ::SetWindowPos(item(place.id), nullptr, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    ::InvalidateRect(dialog_, nullptr, TRUE);
}

void OpenDialog::command(int id, int code) {
    if (refreshing_) {
        return;
    }
    switch (id) {
    case IDOK:
        // Enter reaches here even while OK is disabled.
        if (model_.okAllowed()) {
            ::EndDialog(dialog_, IDOK);
        }
        return;
    case IDCANCEL:
        ::EndDialog(dialog_, IDCANCEL);
        return;
    case kSaveList:
        if (code == BN_CLICKED) {
            saveList();
        }
        return;
    case kNamesInFirstRow:
    case kNamesInFirstColumn:
        if (code == BN_CLICKED) {
            change(id);
        }
        return;
    default:
        if (code == CBN_SELCHANGE) {
            change(id);
        }
        return;
    }
}

void OpenDialog::change(int id) {
    // Each change reads the study again, which takes a moment for a large table.
    const HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    const int chosen = id == kNamesInFirstRow || id == kNamesInFirstColumn
                           ? int(::SendMessageW(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED)
                           : selection(id);
    const bool isChoice = chosen >= 0;
    switch (id) {
    case kSheet:
        if (isChoice) {
            model_.setSheet(std::size_t(chosen));
        }
        break;
    case kSeparator:
        if (isChoice && std::size_t(chosen) < import_texts::kSeparators.size()) {
            model_.setSeparator(import_texts::kSeparators[std::size_t(chosen)].separator);
        }
        break;
    case kLayout:
        if (isChoice && std::size_t(chosen) < import_texts::kLayouts.size()) {
            model_.setLayout(import_texts::kLayouts[std::size_t(chosen)].layout);
        }
        break;
    case kNamesInFirstRow:
        model_.setNamesInFirstRow(chosen != 0);
        break;
    case kNamesInFirstColumn:
        model_.setNamesInFirstColumn(chosen != 0);
        break;
    case kSubjectColumn:
        model_.setSubjectColumn(chosen);
        break;
    case kStimulusColumn:
        model_.setStimulusColumn(chosen);
        break;
    case kGroupColumn:
        model_.setGroupColumn(chosen);
        break;
    case kFirstStimulusColumn:
        model_.setStimulusColumns(chosen, model_.lastStimulusColumn());
        break;
    case kLastStimulusColumn:
        model_.setStimulusColumns(model_.firstStimulusColumn(), chosen);
        break;
    case kMissing:
        if (isChoice && std::size_t(chosen) < import_texts::kMissingChoices.size()) {
            model_.setMissing(import_texts::kMissingChoices[std::size_t(chosen)].missing);
        }
        break;
    default:
        ::SetCursor(previous);
        return;
    }
    // What was saved was the list as it was.
    setText(kSaveResult, {});
    refresh();
    ::SetCursor(previous);
}

void OpenDialog::saveList() {
    // The save dialog belongs to the window below; this dialog takes no input while it is open.
    ::EnableWindow(dialog_, FALSE);
    std::string result;
    try {
        result = model_.saveStimulusList();
    } catch (...) {
        ::EnableWindow(dialog_, TRUE);
        throw;
    }
    ::EnableWindow(dialog_, TRUE);
    ::SetActiveWindow(dialog_);
    ::SetFocus(item(kSaveList));
    setText(kSaveResult, result);
}

import_layout::ShownRows OpenDialog::shownRows() const {
    import_layout::ShownRows rows;
    rows.sheet = model_.hasSheets();
    rows.separator = model_.hasSeparator();
    if (model_.readError().empty() && model_.usesColumns()) {
        const bool isLong = model_.settings().layout == TableLayout::Long;
        const bool isGroups = model_.settings().layout == TableLayout::GroupRows;
        rows.subjectColumn = isLong || isGroups;
        rows.stimulusColumn = isLong;
        rows.groupColumn = isLong;
        rows.firstStimulusColumn = isGroups;
        rows.lastStimulusColumn = isGroups;
    }
    return rows;
}

void OpenDialog::refresh() {
    refreshing_ = true;
    const bool readable = model_.readError().empty();
    const ImportSettings& settings = model_.settings();
    setText(kFile, model_.path() + (readable ? " (" + model_.formatText() + ")" : std::string()));

    const import_layout::ShownRows rows = shownRows();
    setChoices(kSheet, rows.sheet ? model_.sheets() : std::vector<std::string>(),
               rows.sheet ? int(model_.sheet()) : -1);
    ::SendMessageW(item(kSeparator), CB_SETCURSEL,
                   WPARAM(rows.separator ? indexWhere(import_texts::kSeparators,
                                                      [&](const auto& c) {
                                                          return c.separator == model_.separator();
                                                      })
                                         : -1),
                   0);
    ::SendMessageW(
        item(kLayout), CB_SETCURSEL,
        WPARAM(readable ? indexWhere(import_texts::kLayouts,
                                     [&](const auto& c) { return c.layout == settings.layout; })
                        : -1),
        0);
    ::SendMessageW(
        item(kMissing), CB_SETCURSEL,
        WPARAM(readable ? indexWhere(import_texts::kMissingChoices,
                                     [&](const auto& c) { return c.missing == settings.missing; })
                        : -1),
        0);
    const bool wide =
        settings.layout == TableLayout::SubjectRows || settings.layout == TableLayout::StimulusRows;
    ::SendMessageW(item(kNamesInFirstRow), BM_SETCHECK,
                   readable && settings.namesInFirstRow ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageW(item(kNamesInFirstColumn), BM_SETCHECK,
                   readable && wide && settings.namesInFirstColumn ? BST_CHECKED : BST_UNCHECKED,
                   0);

    const std::vector<std::string> columns =
        rows.subjectColumn ? model_.columnChoices() : std::vector<std::string>();
    const std::vector<std::string> none;
    setChoices(kSubjectColumn, rows.subjectColumn ? columns : none, settings.subjectColumn);
    setChoices(kStimulusColumn, rows.stimulusColumn ? columns : none, settings.stimulusColumn);
    setChoices(kGroupColumn, rows.groupColumn ? columns : none, settings.groupColumn);
    setChoices(kFirstStimulusColumn, rows.firstStimulusColumn ? columns : none,
               model_.firstStimulusColumn());
    setChoices(kLastStimulusColumn, rows.lastStimulusColumn ? columns : none,
               model_.lastStimulusColumn());

    preview_->show(readable ? &model_ : nullptr);
    setText(kFound, readable ? model_.foundText() : std::string());
    setText(kCounts, readable ? model_.countsText() : std::string());
    const std::vector<std::string> stimuli =
        readable ? model_.stimulusLines() : std::vector<std::string>();
    setLines(kStimuli, stimuli);
    std::vector<std::string> problems;
    if (readable) {
        problems = model_.problemTexts();
        if (problems.empty()) {
            problems.emplace_back(import_texts::kNoProblems);
        }
    }
    setLines(kProblems, problems);
    setText(kRefusal, readable ? model_.okRefusal() : model_.readError());

    // Shown where they matter; with a file that is no table only the file, why, and Cancel.
    show(kSheetCaption, rows.sheet);
    show(kSheet, rows.sheet);
    show(kSeparatorCaption, rows.separator);
    show(kSeparator, rows.separator);
    const std::pair<Id, bool> columnRows[] = {
        {kSubjectColumn, rows.subjectColumn},
        {kStimulusColumn, rows.stimulusColumn},
        {kGroupColumn, rows.groupColumn},
        {kFirstStimulusColumn, rows.firstStimulusColumn},
        {kLastStimulusColumn, rows.lastStimulusColumn},
    };
    for (const auto& [id, shown] : columnRows) {
        show(id - 1, shown); // its caption
        show(id, shown);
    }
    // A workbook's sheet stays a choice while the one chosen cannot be read.
    enable(kSheet, true);
    for (const Id id : {kSeparator, kLayoutCaption, kLayout, kNamesInFirstRow, kMissing,
                        kMissingCaption, kSubjectColumn, kStimulusColumn, kGroupColumn,
                        kFirstStimulusColumn, kLastStimulusColumn, kPreviewCaption, kPreview,
                        kFoundCaption, kStimuliCaption, kStimuli, kProblemsCaption, kProblems}) {
        enable(id, readable);
    }
    enable(kNamesInFirstColumn, readable && wide);
    enable(kSaveList, readable && !stimuli.empty());
    enable(kOk, model_.okAllowed());
    refreshing_ = false;

    if (!(rows == rows_)) {
        rows_ = rows;
        placeControls();
    }
    keepFocusUsable();
}

void OpenDialog::setText(int id, const std::string& text) {
    const std::wstring wide = toUtf16(text);
    if (textOf(item(id)) != wide) {
        ::SetWindowTextW(item(id), wide.c_str());
    }
}

void OpenDialog::setChoices(int id, const std::vector<std::string>& choices, int selected) {
    const HWND control = item(id);
    if (const auto shown = shownLines_.find(id);
        shown == shownLines_.end() || shown->second != choices) {
        ::SendMessageW(control, CB_RESETCONTENT, 0, 0);
        for (const std::string& choice : choices) {
            ::SendMessageW(control, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(toUtf16(choice).c_str()));
        }
        shownLines_[id] = choices;
    }
    const bool inRange = selected >= 0 && std::size_t(selected) < choices.size();
    ::SendMessageW(control, CB_SETCURSEL, WPARAM(inRange ? selected : -1), 0);
}

void OpenDialog::setLines(int id, const std::vector<std::string>& lines) {
    if (const auto shown = shownLines_.find(id);
        shown != shownLines_.end() && shown->second == lines) {
        return;
    }
    const HWND control = item(id);
    ::SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(control, LB_RESETCONTENT, 0, 0);
    HDC dc = ::GetDC(control);
    const HGDIOBJ previous = ::SelectObject(dc, font_);
    int widest = 0;
    for (const std::string& line : lines) {
        const std::wstring wide = toUtf16(line);
        ::SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        SIZE size{};
        ::GetTextExtentPoint32W(dc, wide.c_str(), int(wide.size()), &size);
        widest = std::max(widest, int(size.cx));
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    // Scrolled sideways to the end of the longest line.
    ::SendMessageW(control, LB_SETHORIZONTALEXTENT, WPARAM(widest + scaledPixels(8, dpi_)), 0);
    ::SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(control, nullptr, TRUE);
    shownLines_[id] = lines;
}

void OpenDialog::show(int id, bool shown) {
    const HWND control = item(id);
    // By its own style: while the dialog opens it is hidden, and so every control with it.
    if (((::GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0) != shown) {
        ::ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
    }
}

void OpenDialog::enable(int id, bool enabled) {
    const HWND control = item(id);
    if (bool(::IsWindowEnabled(control)) != enabled) {
        ::EnableWindow(control, enabled);
    }
}

void OpenDialog::keepFocusUsable() {
    const HWND focus = ::GetFocus();
    const auto usable = [](HWND control) {
        return control != nullptr && (::GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0 &&
               ::IsWindowEnabled(control);
    };
    if (focus != nullptr && ::IsChild(dialog_, focus) && usable(focus)) {
        return;
    }
    // The first usable control Tab reaches after the one that had the focus, or from the top.
    std::size_t from = 0;
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (focus != nullptr && item(kControls[i].id) == focus) {
            from = i + 1;
        }
    }
    for (std::size_t n = 0; n < kControls.size(); ++n) {
        const HWND control = item(kControls[(from + n) % kControls.size()].id);
        if (usable(control) && (::GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) != 0) {
            ::SendMessageW(dialog_, WM_NEXTDLGCTL, WPARAM(control), TRUE);
            return;
        }
    }
}

} // namespace

bool Win32ImportDialog::show(ImportModel& model) {
    static const EmptyTemplate dialogTemplate;
    OpenDialog dialog(model);
    const INT_PTR result = ::DialogBoxIndirectParamW(
        ::GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.words),
        owner_, &OpenDialog::procedure, reinterpret_cast<LPARAM>(&dialog));
    if (dialog.failure) {
        std::rethrow_exception(dialog.failure);
    }
    if (result == -1 || result == 0) {
        throw std::runtime_error("the Import dialog cannot be shown (error " +
                                 std::to_string(::GetLastError()) + ")");
    }
    return result == IDOK;
}

} // namespace dissim::ui::win32
