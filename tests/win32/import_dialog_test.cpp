// The Win32 Import dialog, driven by real messages in its modal loop; needs a display.

#include "frm_vorlan4.h"
#include "import_controls.h"
#include "import_dialog.h" // the Win32 one: ui/win32 comes first on the include path
#include "import_model.h"
#include "temp_dir.h"
#include "test_names.h"
#include "utf16.h"
#include "worked_example.h"
#include "workflow_fixture.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using dissim::ui::ImportModel;
using dissim::ui::win32::toUtf8;
namespace controls = dissim::ui::win32::import_controls;
namespace names = dissim::ui::import_texts::names;
namespace texts = dissim::ui::import_texts;

// The worked example as researchers keep it, in four layouts.
const std::string kStimulusRows = ",S1,S2\napple,fruit,red\nbanana,fruit,yellow\n"
                                  "cherry,stone,yellow\n";
const std::string kSubjectRows = "subject;apple;banana;cherry\nS1;1;1;2\nS2;5;6;6\n";
const std::string kLongUnsorted = "subject,card,group\nS1,banana,1\nS1,cherry,2\nS1,apple,1\n"
                                  "S2,cherry,\nS2,apple,a\nS2,banana,b\n";
const std::string kGroupRows = "subject,apple,banana,cherry\nS1,1,1,0\nS1,0,0,1\nS2,1,0,0\n"
                               "S2,0,1,1\n";

HWND control(HWND dialog, const char* name) {
    const HWND found = ::GetDlgItem(dialog, controls::idOf(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

std::string textOf(HWND window) {
    wchar_t text[4096] = {};
    ::GetWindowTextW(window, text, 4096);
    return toUtf8(text);
}

std::string className(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return toUtf8(name);
}

// A list box's lines, or a drop-down list's choices.
std::vector<std::string> linesOf(HWND list) {
    const bool combo = className(list) == "ComboBox";
    std::vector<std::string> lines(
        std::size_t(::SendMessageW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0)));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        wchar_t line[4096] = {};
        ::SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, WPARAM(i), LPARAM(line));
        lines[i] = toUtf8(line);
    }
    return lines;
}

bool usable(HWND window) {
    return ::IsWindowVisible(window) && ::IsWindowEnabled(window);
}

int selected(HWND dialog, const char* name) {
    return int(::SendMessageW(control(dialog, name), CB_GETCURSEL, 0, 0));
}

void click(HWND dialog, const char* name) {
    ::SendMessageW(control(dialog, name), BM_CLICK, 0, 0);
}

// Runs the steps inside the modal loop of the dialog open() opens; a dialog they leave open fails.
bool withSteps(std::function<void(HWND)> steps, const std::function<void()>& open) {
    MSG quit; // an earlier test's window asked the thread to quit, which would end a dialog
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    static std::function<void(HWND)> current;
    static bool ran;
    current = std::move(steps);
    ran = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = nullptr;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND window, LPARAM found) {
                const bool open = ::IsWindowVisible(window) && textOf(window) == texts::kTitle;
                *reinterpret_cast<HWND*>(found) = open ? window : nullptr;
                return open ? FALSE : TRUE;
            },
            LPARAM(&dialog));
        if (dialog != nullptr && std::exchange(ran, true)) {
            ADD_FAILURE() << "the steps left the dialog open";
            ::EndDialog(dialog, IDCANCEL);
        } else if (dialog != nullptr) {
            current(dialog);
        }
    });
    open();
    ::KillTimer(nullptr, timer);
    current = nullptr;
    return ran;
}

// A key as the dialog's loop meets it, Shift held where asked; WM_SYSCHAR comes with Alt held.
void key(HWND dialog, WPARAM key, UINT message = WM_KEYDOWN, bool shift = false) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    const BYTE shiftBefore = std::exchange(keys[VK_SHIFT], BYTE(shift ? 0x80 : 0));
    ::SetKeyboardState(keys);
    MSG msg{::GetFocus(), message, key, message == WM_SYSCHAR ? LPARAM(1) << 29 : 0, 0, {}};
    if (!::IsDialogMessageW(dialog, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    keys[VK_SHIFT] = shiftBefore;
    ::SetKeyboardState(keys);
}

// A person's choice: "cboLayout=2" picks the third choice (-1: none), "chkX=0" clears a box.
void choose(HWND dialog, const std::string& move) {
    const std::string name = move.substr(0, move.find('='));
    const int value = std::stoi(move.substr(move.find('=') + 1));
    const HWND target = control(dialog, name.c_str());
    ASSERT_TRUE(usable(target)) << move;
    if (className(target) == "ComboBox") {
        ::SendMessageW(target, CB_SETCURSEL, WPARAM(value), 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(controls::idOf(name), CBN_SELCHANGE),
                       LPARAM(target));
    } else if ((::SendMessageW(target, BM_GETCHECK, 0, 0) == BST_CHECKED) != (value == 1)) {
        ::SendMessageW(target, BM_CLICK, 0, 0);
    }
}

// A preview cell drawn in its role's look, as the list view asks for it: colours and boldness.
void expectDrawnInItsRolesLook(HWND dialog, std::size_t row, std::size_t column,
                               ImportModel::CellRole role) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ before = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr = {control(dialog, names::kPreview), UINT_PTR(controls::kPreview),
                     UINT(NM_CUSTOMDRAW)};
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    draw.nmcd.hdc = dc;
    draw.nmcd.dwItemSpec = DWORD_PTR(row);
    draw.iSubItem = int(column) + 1; // after the row numbers
    EXPECT_EQ(::SendMessageW(dialog, WM_NOTIFY, WPARAM(controls::kPreview), LPARAM(&draw)),
              CDRF_NEWFONT);
    LOGFONTW font{};
    ::GetObjectW(::GetCurrentObject(dc, OBJ_FONT), sizeof(font), &font);
    ::SelectObject(dc, before);
    ::DeleteDC(dc);
    const bool bold = font.lfWeight >= FW_BOLD;
    const COLORREF text = draw.clrText, back = draw.clrTextBk, window = ::GetSysColor(COLOR_WINDOW);
    switch (role) {
    case ImportModel::CellRole::Name:
        EXPECT_TRUE(bold || back != window) << "set apart";
        break;
    case ImportModel::CellRole::Code:
        EXPECT_FALSE(bold);
        EXPECT_EQ(back, window);
        EXPECT_EQ(text, ::GetSysColor(COLOR_WINDOWTEXT));
        break;
    case ImportModel::CellRole::Ignored:
        EXPECT_EQ(text, ::GetSysColor(COLOR_GRAYTEXT));
        break;
    case ImportModel::CellRole::Problem:
        EXPECT_GT(GetRValue(back), GetGValue(back) + 32) << "a red or pink background";
        break;
    }
}

// Every control shows what the model says; only the controls that matter are shown and usable.
void expectShowsTheModel(HWND dialog, const ImportModel& model) {
    const bool table = model.readError().empty();
    const auto& settings = model.settings();
    const auto ifTable = [table](auto shown) { return table ? shown : decltype(shown){}; };
    EXPECT_NE(textOf(control(dialog, names::kFile)).find(model.path()), std::string::npos);
    EXPECT_EQ(textOf(control(dialog, names::kFound)), ifTable(model.foundText()));
    EXPECT_EQ(textOf(control(dialog, names::kCounts)), ifTable(model.countsText()));
    EXPECT_EQ(linesOf(control(dialog, names::kStimuli)), ifTable(model.stimulusLines()));
    std::vector<std::string> problems = ifTable(model.problemTexts());
    if (table && problems.empty()) {
        problems.emplace_back(texts::kNoProblems);
    }
    EXPECT_EQ(linesOf(control(dialog, names::kProblems)), problems);
    EXPECT_EQ(textOf(control(dialog, names::kRefusal)),
              table ? model.okRefusal() : model.readError());
    EXPECT_EQ(bool(::IsWindowEnabled(control(dialog, names::kOk))), model.okAllowed());
    if (table) {
        EXPECT_EQ(texts::kLayouts[std::size_t(selected(dialog, names::kLayout))].layout,
                  settings.layout);
        EXPECT_EQ(texts::kMissingChoices[std::size_t(selected(dialog, names::kMissing))].missing,
                  settings.missing);
        EXPECT_EQ(::SendMessageW(control(dialog, names::kNamesInFirstRow), BM_GETCHECK, 0, 0),
                  settings.namesInFirstRow ? BST_CHECKED : BST_UNCHECKED);
    }
    EXPECT_EQ(bool(::IsWindowVisible(control(dialog, names::kSheet))), model.hasSheets());
    if (model.hasSheets()) {
        EXPECT_EQ(linesOf(control(dialog, names::kSheet)), model.sheets());
        EXPECT_EQ(std::size_t(selected(dialog, names::kSheet)), model.sheet());
    }
    EXPECT_EQ(bool(::IsWindowVisible(control(dialog, names::kSeparator))), model.hasSeparator());
    if (model.hasSeparator()) {
        EXPECT_EQ(texts::kSeparators[std::size_t(selected(dialog, names::kSeparator))].separator,
                  model.separator());
    }
    using dissim::TableLayout;
    const TableLayout layout = settings.layout;
    EXPECT_EQ(bool(::IsWindowEnabled(control(dialog, names::kNamesInFirstColumn))),
              table && (layout == TableLayout::SubjectRows || layout == TableLayout::StimulusRows));
    const bool isLong = table && layout == TableLayout::Long;
    const bool groups = table && layout == TableLayout::GroupRows;
    const std::tuple<const char*, bool, int> columns[] = {
        {names::kSubjectColumn, isLong || groups, settings.subjectColumn},
        {names::kStimulusColumn, isLong, settings.stimulusColumn},
        {names::kGroupColumn, isLong, settings.groupColumn},
        {names::kFirstStimulusColumn, groups, model.firstStimulusColumn()},
        {names::kLastStimulusColumn, groups, model.lastStimulusColumn()}};
    for (const auto& [name, shown, chosen] : columns) {
        EXPECT_EQ(usable(control(dialog, name)), shown) << name;
        if (shown) {
            EXPECT_EQ(linesOf(control(dialog, name)), model.columnChoices()) << name;
            EXPECT_EQ(selected(dialog, name), chosen) << name;
        }
    }
    // The preview: the row numbers, then columns A, B, C... of cells on one line in their looks.
    const HWND preview = control(dialog, names::kPreview);
    const HWND header = ListView_GetHeader(preview);
    const std::size_t rows = ifTable(model.previewRows()), cells = ifTable(model.previewColumns());
    ASSERT_EQ(std::size_t(::SendMessageW(preview, LVM_GETITEMCOUNT, 0, 0)), rows);
    ASSERT_EQ(std::size_t(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)), cells ? cells + 1 : 0);
    for (std::size_t column = 0; column < cells; ++column) {
        wchar_t heading[16] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = heading;
        item.cchTextMax = 16;
        ::SendMessageW(header, HDM_GETITEMW, WPARAM(column + 1), LPARAM(&item));
        EXPECT_EQ(toUtf8(heading), dissim::columnName(column));
    }
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t column = 0; column <= cells; ++column) {
            wchar_t cell[1024] = {};
            ListView_GetItemText(preview, int(row), int(column), cell, 1024);
            std::string expected = column == 0 ? std::to_string(row + 1)
                                               : std::string(model.previewCell(row, column - 1));
            std::replace_if(
                expected.begin(), expected.end(), [](char c) { return c >= 0 && c < ' '; }, ' ');
            SCOPED_TRACE("row " + std::to_string(row) + ", column " + std::to_string(column));
            EXPECT_EQ(toUtf8(cell), expected);
            if (column > 0) {
                expectDrawnInItsRolesLook(dialog, row, column - 1,
                                          model.previewRole(row, column - 1));
            }
        }
    }
}

// A table in a file of its own, its model, and the dialog over it.
struct DialogOverModel {
    testsupport::TempDir dir;
    testsupport::ScriptedFileDialog listDialog;
    std::unique_ptr<ImportModel> model;
    dissim::ui::win32::Win32ImportDialog dialog;
    bool stepsRan = false;

    bool show(const std::string& bytes, const std::function<void(HWND)>& steps) {
        const std::string path = dir.file("study.csv");
        testsupport::writeFile(path, bytes);
        model = std::make_unique<ImportModel>(path, bytes, 0, 0, listDialog);
        bool ok = false;
        stepsRan = withSteps(steps, [&] { ok = dialog.show(*model); });
        return ok;
    }
};

// A workbook of tests/data/workbooks (E2E_WORKBOOKS; under Wine a Linux path, on drive Z:).
std::string workbook(const std::string& name) {
    const char* folder = std::getenv("E2E_WORKBOOKS");
    if (folder == nullptr) {
        ADD_FAILURE() << "E2E_WORKBOOKS names no folder";
        return {};
    }
    const std::string path = folder;
    return testsupport::readFile(std::filesystem::path(path.starts_with('/') ? "Z:" + path : path) /
                                 name);
}

struct Choices {
    const char* name;
    std::string bytes; // the table, or the name of a workbook of tests/data/workbooks
    std::vector<std::string> moves;
    bool enterIsOk; // OK allowed at the end, so that Enter accepts; else Enter leaves it open
};

void PrintTo(const Choices& choices, std::ostream* out) {
    *out << choices.name;
}

class Win32ImportChoices : public testing::TestWithParam<Choices> {};

TEST_P(Win32ImportChoices, EveryControlShowsTheModelAfterEachChangeAndEnterIsOkOnlyWhileAllowed) {
    const Choices& row = GetParam();
    const std::string bytes = row.bytes.ends_with(".xlsx") ? workbook(row.bytes) : row.bytes;
    DialogOverModel d;
    const bool ok = d.show(bytes, [&](HWND dialog) {
        expectShowsTheModel(dialog, *d.model);
        for (const std::string& move : row.moves) {
            SCOPED_TRACE(move);
            choose(dialog, move);
            expectShowsTheModel(dialog, *d.model);
        }
        EXPECT_EQ(d.model->okAllowed(), row.enterIsOk);
        const bool table = d.model->readError().empty();
        if (!table) { // Cancel alone takes input and has the focus, for Enter to press it
            std::vector<std::string> taking;
            for (const controls::Control& c : controls::kControls) {
                const HWND window = ::GetDlgItem(dialog, c.id);
                if ((::GetWindowLongPtrW(window, GWL_STYLE) & WS_TABSTOP) != 0 && usable(window)) {
                    taking.emplace_back(c.name);
                }
            }
            EXPECT_EQ(taking, std::vector<std::string>{names::kCancel});
            EXPECT_EQ(::GetFocus(), control(dialog, names::kCancel));
        }
        key(dialog, VK_RETURN);
        if (table && !row.enterIsOk) {
            EXPECT_TRUE(::IsWindowVisible(dialog)) << "Enter does nothing while OK is refused";
            key(dialog, VK_ESCAPE);
        }
    });
    EXPECT_TRUE(d.stepsRan);
    EXPECT_EQ(ok, row.enterIsOk);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, Win32ImportChoices,
    testing::Values(
        Choices{"LayoutsInTurnThenNamesInNeitherRowNorColumn",
                kStimulusRows,
                {"cboLayout=0", "cboLayout=2", "cboLayout=3", "cboLayout=1", "chkNamesInFirstRow=0",
                 "chkNamesInFirstColumn=0", "chkNamesInFirstRow=1", "chkNamesInFirstColumn=1",
                 "cboMissing=0"},
                true},
        Choices{"SeparatorsInTurn",
                kSubjectRows,
                {"cboSeparator=0", "cboSeparator=2", "cboSeparator=1"},
                true},
        Choices{"LongColumnsChosenAndClearedThenEachChoiceForMissingData",
                kLongUnsorted,
                {"cboLayout=2", "cboGroupColumn=-1", "cboGroupColumn=2", "cboSubjectColumn=1",
                 "cboMissing=1", "cboMissing=2", "cboMissing=0"},
                false},
        Choices{"GroupRowsStimulusColumns",
                kGroupRows,
                {"cboLayout=3", "cboLastStimulusColumn=2", "cboFirstStimulusColumn=2"},
                false},
        Choices{"SheetsInTurn", "cells.xlsx", {"cboSheet=1", "cboSheet=0"}, false},
        Choices{"NoTableTakesOnlyCancel", "PK\x03\x04 not a workbook after all", {}, false}),
    testsupport::ByName{});

TEST(Win32ImportDialog, SaveListShowsWhatBecameOfTheList) {
    DialogOverModel d;
    const std::string list = d.dir.file("stimuli.txt");
    d.show(kStimulusRows, [&](HWND dialog) {
        for (const bool confirmed : {true, false}) {
            SCOPED_TRACE(confirmed ? "saved" : "cancelled");
            confirmed ? d.listDialog.confirm(list) : d.listDialog.cancel();
            ::SetFocus(control(dialog, names::kSaveList));
            key(dialog, VK_SPACE);
            key(dialog, VK_SPACE, WM_KEYUP);
            EXPECT_EQ(textOf(control(dialog, names::kSaveResult)).empty(), !confirmed);
            EXPECT_TRUE(::IsWindowEnabled(dialog)) << "takes input again";
            choose(dialog, confirmed ? "cboLayout=0" : "cboLayout=1");
            EXPECT_EQ(textOf(control(dialog, names::kSaveResult)), "") << "a list as it was";
        }
        key(dialog, VK_ESCAPE);
    });
    ASSERT_EQ(d.listDialog.requests.size(), 2u);
    EXPECT_EQ(d.listDialog.requests[0].mode, dissim::ui::FileDialogRequest::Mode::Save);
    EXPECT_EQ(testsupport::readFile(list), "apple\nbanana\ncherry\n");
}

// Tab order; each caption just before its control (its name to assistive technology), its key.
TEST(Win32ImportKeyboard, TabOrderCaptionsAndAccessKeysThenEscapeCancels) {
    DialogOverModel d;
    const bool ok = d.show(kStimulusRows, [&](HWND dialog) {
        const char* const order[] = {
            names::kLayout,  names::kNamesInFirstRow, names::kNamesInFirstColumn, names::kMissing,
            names::kPreview, names::kStimuli,         names::kSaveList,           names::kProblems,
            names::kOk,      names::kCancel,          names::kSeparator,          names::kLayout};
        EXPECT_EQ(::GetFocus(), control(dialog, order[0])) << "the focus starts at the layout";
        for (const char* next : std::span(order).subspan(1)) {
            key(dialog, VK_TAB);
            EXPECT_EQ(::GetFocus(), control(dialog, next)) << next;
        }
        key(dialog, VK_TAB, WM_KEYDOWN, true);
        EXPECT_EQ(::GetFocus(), control(dialog, names::kSeparator)) << "Shift+Tab";

        const auto accessKey = [&](HWND target, const std::string& text) {
            if (const std::size_t amp = text.find('&'); amp != text.npos && usable(target)) {
                ::SetFocus(control(dialog, names::kCancel));
                key(dialog, WPARAM(std::tolower(text[amp + 1])), WM_SYSCHAR);
                EXPECT_EQ(::GetFocus(), target) << "Alt+" << text[amp + 1];
            }
        };
        for (auto c = controls::kControls.begin(); c + 1 != controls::kControls.end(); ++c) {
            if (c->kind == controls::Kind::Caption) {
                SCOPED_TRACE(c->text);
                const HWND caption = ::GetDlgItem(dialog, c->id);
                const HWND target = ::GetDlgItem(dialog, (c + 1)->id);
                EXPECT_EQ(::GetWindow(target, GW_HWNDPREV), caption);
                EXPECT_EQ(className(caption), "Static");
                EXPECT_EQ(textOf(caption), c->text);
                accessKey(target, c->text);
            }
        }
        accessKey(control(dialog, names::kNamesInFirstRow), texts::kNamesInFirstRow);
        EXPECT_EQ(textOf(control(dialog, names::kStimuli)), "Stimuli in the matrices' order:");
        EXPECT_EQ(textOf(control(dialog, names::kProblems)), "Problems:");
        EXPECT_EQ(textOf(control(dialog, names::kPreview)), "Preview:");
        key(dialog, VK_ESCAPE);
    });
    EXPECT_TRUE(d.stepsRan);
    EXPECT_FALSE(ok);
}

// The window over scripted pieces, a table chosen at step 2.
struct WindowWithTable {
    testsupport::TempDir dir;
    testsupport::WindowEvents events;
    testsupport::ScriptedPrompt prompt;
    testsupport::CountingBeeper beeper{events};
    testsupport::ScriptedFileDialog files;
    dissim::ui::win32::frmVorlan4 window{prompt, beeper, files};
    std::string input = dir.file("study.csv");

    WindowWithTable() { window.show(SW_SHOWNORMAL); }
    void click(dissim::ui::layout::ButtonId id) {
        ::SendMessageW(window.button(id), BM_CLICK, 0, 0);
    }
    bool choose(const std::string& bytes, const std::function<void(HWND)>& steps) {
        testsupport::writeFile(input, bytes);
        files.confirm(input);
        return withSteps(steps, [&] { click(dissim::ui::layout::cmdDataIn); }); // it opened
    }
    bool readsATable() { return window.workflow().runState().tableReading.has_value(); }
    std::string label(dissim::ui::layout::LabelId id) const {
        return textOf(window.label(id).control());
    }
    // Steps 3 and 4, the window's messages handled until the run has ended.
    std::string run() {
        const std::string output = dir.file("matrices.txt");
        files.confirm(output);
        click(dissim::ui::layout::cmdDataOut);
        click(dissim::ui::layout::cmdSubmit);
        for (const DWORD end = ::GetTickCount() + 20000;
             window.workflow().isRunning() && ::GetTickCount() < end; ::Sleep(10)) {
            for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
                ::DispatchMessageW(&msg);
            }
        }
        return std::filesystem::exists(output) ? testsupport::readFile(output) : "";
    }
};

TEST(Win32ImportWindow, OkMakesTheRunReadTheTableAsTheDialogShowedIt) {
    WindowWithTable w;
    ASSERT_TRUE(w.choose(kStimulusRows, [&](HWND dialog) {
        EXPECT_EQ(::GetWindow(dialog, GW_OWNER), w.window.handle());
        EXPECT_FALSE(::IsWindowEnabled(w.window.handle())) << "modal to the window";
        click(dialog, names::kOk);
    }));
    EXPECT_TRUE(::IsWindowEnabled(w.window.handle()));
    ASSERT_TRUE(w.readsATable());
    EXPECT_EQ(w.label(dissim::ui::layout::lblSubsStim), "There are  2 subjects and  3 stimuli.");
    EXPECT_EQ(w.run(), testsupport::kMatricesOfBoth);
    EXPECT_EQ(w.beeper.count, 0);
}

TEST(Win32ImportWindow, PlainSortDataOpensNoDialogAndCancelLeavesTheFilePlain) {
    WindowWithTable w;
    w.prompt.answers = {"2", "3"};
    w.click(dissim::ui::layout::cmdSubsStim);
    EXPECT_FALSE(w.choose(testsupport::kSortData, [](HWND) {}));
    EXPECT_FALSE(w.readsATable());
    EXPECT_TRUE(w.choose(kStimulusRows, [](HWND dialog) {
        ::SendMessageW(dialog, WM_CLOSE, 0, 0); // the close box
    }));
    EXPECT_FALSE(w.readsATable());
    EXPECT_EQ(w.label(dissim::ui::layout::lblIfileInfo), "Input File = " + w.input);
}

// At E2E_DPI: its opening size, the system's font, and no control outside or over another.
TEST(Win32ImportLayout, OpensAtItsSizeInTheSystemsFontAndNoControlsOverlap) {
    const int dpi = std::getenv("E2E_DPI") ? std::stoi(std::getenv("E2E_DPI")) : 96;
    DialogOverModel d;
    d.show(kLongUnsorted, [&](HWND dialog) {
        choose(dialog, "cboLayout=2"); // the most rows in the column of choices
        RECT client;
        ::GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, (900 * dpi + 48) / 96);
        EXPECT_EQ(client.bottom, (640 * dpi + 48) / 96);
        LOGFONTW font{};
        ::GetObjectW(HFONT(::SendMessageW(control(dialog, names::kLayout), WM_GETFONT, 0, 0)),
                     sizeof(font), &font);
        using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
        const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
        ASSERT_NE(forDpi, nullptr);
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, UINT(dpi));
        EXPECT_EQ(std::wstring(font.lfFaceName), std::wstring(metrics.lfMessageFont.lfFaceName));
        EXPECT_EQ(font.lfHeight, metrics.lfMessageFont.lfHeight);

        for (const SIZE size : {SIZE{900, 640}, SIZE{760, 560}, SIZE{1000, 700}}) {
            RECT frame{0, 0, size.cx * dpi / 96, size.cy * dpi / 96};
            ::AdjustWindowRectEx(&frame, DWORD(::GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                                 DWORD(::GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
            ::SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left,
                           frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
            ::GetClientRect(dialog, &client);
            std::vector<std::pair<const char*, RECT>> shown;
            for (const controls::Control& c : controls::kControls) {
                const HWND window = ::GetDlgItem(dialog, c.id);
                if (!::IsWindowVisible(window)) {
                    continue;
                }
                RECT place, inside, both;
                ::GetWindowRect(window, &place);
                ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&place), 2);
                const char* what = c.name != nullptr ? c.name : c.text;
                ::IntersectRect(&inside, &place, &client);
                EXPECT_TRUE(::EqualRect(&inside, &place)) << what << " at " << size.cx;
                for (const auto& [other, otherPlace] : shown) {
                    EXPECT_FALSE(::IntersectRect(&both, &place, &otherPlace))
                        << what << " over " << other << " at " << size.cx;
                }
                shown.emplace_back(what, place);
            }
        }
        key(dialog, VK_ESCAPE);
    });
}

} // namespace
