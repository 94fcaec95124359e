// The Import dialog in the Win32 window: every control found by the id that carries its name
// (import_controls.h), shown as the model says after each change a person makes; the preview's
// cells in their looks; Save List; a file that is no table; the keyboard (Tab, access keys,
// Enter, Escape); its layout at the screen's resolution; and, through the real window and
// workflow, a table chosen at step 2 opened, accepted or cancelled, and run. Needs a display:
// under Wine, run by window_test.sh.
//
// The dialog is modal: a test's steps run inside its loop, from a thread timer that goes off
// once it is up (DialogSteps).

#include "frm_vorlan4.h"
#include "import_controls.h"
#include "import_dialog.h" // the Win32 one: ui/win32 comes first on the include path
#include "import_model.h"
#include "temp_dir.h"
#include "utf16.h"
#include "worked_example.h"
#include "workflow_fixture.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

using dissim::ui::ImportModel;
using dissim::ui::win32::toUtf8;
namespace controls = dissim::ui::win32::import_controls;
namespace names = dissim::ui::import_texts::names;
namespace texts = dissim::ui::import_texts;

// The worked example (subject 1: apple and banana together; subject 2: banana and cherry) as
// researchers keep it.
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
    const int count = int(::SendMessageW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        wchar_t line[4096] = {};
        ::SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, WPARAM(i),
                       reinterpret_cast<LPARAM>(line));
        lines.push_back(toUtf8(line));
    }
    return lines;
}

bool usable(HWND window) {
    return ::IsWindowVisible(window) && ::IsWindowEnabled(window);
}

// Steps run on the open Import dialog from inside its modal loop; a dialog the steps leave open
// is a failure, closed as Cancel.
class DialogSteps {
public:
    explicit DialogSteps(std::function<void(HWND)> steps) : steps_(std::move(steps)) {
        // A window of an earlier test, destroyed, asked the thread to quit; a dialog would
        // take that as its end.
        MSG quit;
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 20, &DialogSteps::tick);
    }
    ~DialogSteps() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool ran() const { return ran_; }

private:
    static HWND openDialog() {
        HWND found = nullptr;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND window, LPARAM result) {
                if (className(window) == "#32770" && textOf(window) == texts::kTitle &&
                    ::IsWindowVisible(window)) {
                    *reinterpret_cast<HWND*>(result) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        const HWND dialog = openDialog();
        if (current_ == nullptr || dialog == nullptr) {
            return;
        }
        if (current_->ran_) {
            ADD_FAILURE() << "the steps left the dialog open";
            ::EndDialog(dialog, IDCANCEL);
            return;
        }
        current_->ran_ = true;
        current_->steps_(dialog);
    }

    static inline DialogSteps* current_ = nullptr;
    std::function<void(HWND)> steps_;
    UINT_PTR timer_ = 0;
    bool ran_ = false;
};

// A key as the dialog's loop meets it; with Shift held where asked.
void key(HWND dialog, UINT message, WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    const BYTE shiftBefore = keys[VK_SHIFT];
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
    // An access key comes as a character typed with Alt (bit 29: Alt held).
    MSG msg{::GetFocus(), message, key, message == WM_SYSCHAR ? LPARAM(1) << 29 : 0, 0, {}};
    if (!::IsDialogMessageW(dialog, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    keys[VK_SHIFT] = shiftBefore;
    ::SetKeyboardState(keys);
}

// A choice as a person makes it: "cboLayout=2" picks a drop-down list's third choice (-1: none),
// "chkNamesInFirstRow=0" clears a check box.
void choose(HWND dialog, const std::string& move) {
    const std::size_t equals = move.find('=');
    const std::string name = move.substr(0, equals);
    const int value = std::stoi(move.substr(equals + 1));
    const HWND target = control(dialog, name.c_str());
    ASSERT_TRUE(usable(target)) << move;
    if (className(target) == "ComboBox") {
        ::SendMessageW(target, CB_SETCURSEL, WPARAM(value), 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(controls::idOf(name), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(target));
    } else if ((::SendMessageW(target, BM_GETCHECK, 0, 0) == BST_CHECKED) != (value == 1)) {
        ::SendMessageW(target, BM_CLICK, 0, 0);
    }
}

// The look a preview cell is drawn in: its colours and whether its font is bold.
struct CellLook {
    COLORREF text;
    COLORREF background;
    bool bold;
};

CellLook drawnLook(HWND dialog, int row, int column) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ before = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr = {control(dialog, names::kPreview), UINT_PTR(controls::kPreview),
                     UINT(NM_CUSTOMDRAW)};
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    draw.nmcd.hdc = dc;
    draw.nmcd.dwItemSpec = DWORD_PTR(row);
    draw.iSubItem = column + 1; // after the row numbers
    const LRESULT result =
        ::SendMessageW(dialog, WM_NOTIFY, WPARAM(controls::kPreview), LPARAM(&draw));
    EXPECT_EQ(result, CDRF_NEWFONT);
    LOGFONTW font{};
    ::GetObjectW(::GetCurrentObject(dc, OBJ_FONT), sizeof(font), &font);
    ::SelectObject(dc, before);
    ::DeleteDC(dc);
    return {draw.clrText, draw.clrTextBk, font.lfWeight >= FW_BOLD};
}

// Every control shows what the model says, and only the controls that matter are shown and
// take input.
void expectShowsTheModel(HWND dialog, const ImportModel& model) {
    const bool table = model.readError().empty();
    const auto& settings = model.settings();
    EXPECT_NE(textOf(control(dialog, names::kFile)).find(model.path()), std::string::npos);
    EXPECT_EQ(textOf(control(dialog, names::kFound)), table ? model.foundText() : "");
    EXPECT_EQ(textOf(control(dialog, names::kCounts)), table ? model.countsText() : "");
    EXPECT_EQ(linesOf(control(dialog, names::kStimuli)),
              table ? model.stimulusLines() : std::vector<std::string>());
    std::vector<std::string> problems = table ? model.problemTexts() : std::vector<std::string>();
    if (table && problems.empty()) {
        problems.emplace_back(texts::kNoProblems);
    }
    EXPECT_EQ(linesOf(control(dialog, names::kProblems)), problems);
    EXPECT_EQ(textOf(control(dialog, names::kRefusal)),
              table ? model.okRefusal() : model.readError());
    EXPECT_EQ(bool(::IsWindowEnabled(control(dialog, names::kOk))), model.okAllowed());

    const auto selected = [&](const char* name) {
        return int(::SendMessageW(control(dialog, name), CB_GETCURSEL, 0, 0));
    };
    if (table) {
        EXPECT_EQ(texts::kLayouts[std::size_t(selected(names::kLayout))].layout, settings.layout);
        EXPECT_EQ(texts::kMissingChoices[std::size_t(selected(names::kMissing))].missing,
                  settings.missing);
        EXPECT_EQ(::SendMessageW(control(dialog, names::kNamesInFirstRow), BM_GETCHECK, 0, 0) ==
                      BST_CHECKED,
                  settings.namesInFirstRow);
    }
    EXPECT_EQ(bool(::IsWindowVisible(control(dialog, names::kSheet))), model.hasSheets());
    if (model.hasSheets()) {
        EXPECT_EQ(linesOf(control(dialog, names::kSheet)), model.sheets());
        EXPECT_EQ(std::size_t(selected(names::kSheet)), model.sheet());
    }
    EXPECT_EQ(bool(::IsWindowVisible(control(dialog, names::kSeparator))), model.hasSeparator());
    if (model.hasSeparator()) {
        EXPECT_EQ(texts::kSeparators[std::size_t(selected(names::kSeparator))].separator,
                  model.separator());
    }
    const bool wide = settings.layout == dissim::TableLayout::SubjectRows ||
                      settings.layout == dissim::TableLayout::StimulusRows;
    EXPECT_EQ(bool(::IsWindowEnabled(control(dialog, names::kNamesInFirstColumn))), table && wide);
    const bool isLong = table && settings.layout == dissim::TableLayout::Long;
    const bool groups = table && settings.layout == dissim::TableLayout::GroupRows;
    const struct {
        const char* name;
        bool shown;
        int chosen;
    } columns[] = {
        {names::kSubjectColumn, isLong || groups, settings.subjectColumn},
        {names::kStimulusColumn, isLong, settings.stimulusColumn},
        {names::kGroupColumn, isLong, settings.groupColumn},
        {names::kFirstStimulusColumn, groups, model.firstStimulusColumn()},
        {names::kLastStimulusColumn, groups, model.lastStimulusColumn()},
    };
    for (const auto& column : columns) {
        SCOPED_TRACE(column.name);
        EXPECT_EQ(usable(control(dialog, column.name)), column.shown);
        if (column.shown) {
            EXPECT_EQ(linesOf(control(dialog, column.name)), model.columnChoices());
            EXPECT_EQ(selected(column.name), column.chosen);
        }
    }

    // The preview: the row numbers' column, then A, B, C... over the model's cells.
    const HWND preview = control(dialog, names::kPreview);
    const HWND header = ListView_GetHeader(preview);
    const std::size_t rows = table ? model.previewRows() : 0;
    const std::size_t cells = table ? model.previewColumns() : 0;
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
            // Each cell on one line: line breaks and tabs as spaces.
            std::string expected = column == 0 ? std::to_string(row + 1)
                                               : std::string(model.previewCell(row, column - 1));
            std::replace_if(
                expected.begin(), expected.end(), [](char c) { return c >= 0 && c < ' '; }, ' ');
            EXPECT_EQ(toUtf8(cell), expected) << "row " << row << ", column " << column;
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

    bool show(const std::string& bytes, const std::function<void(HWND)>& steps,
              const char* name = "study.csv") {
        const std::string path = dir.file(name);
        testsupport::writeFile(path, bytes);
        model = std::make_unique<ImportModel>(path, bytes, 0, 0, listDialog);
        DialogSteps running(steps);
        const bool ok = dialog.show(*model);
        stepsRan = running.ran();
        return ok;
    }
};

struct Choices {
    const char* name;
    std::string bytes; // the table, or the name of a workbook of tests/data/workbooks
    std::vector<std::string> moves;
};

// A workbook of tests/data/workbooks, which the run is told in E2E_WORKBOOKS; under Wine a
// Linux path, on drive Z:.
std::string workbook(const std::string& name) {
    wchar_t folder[1024] = {};
    if (::GetEnvironmentVariableW(L"E2E_WORKBOOKS", folder, 1024) == 0) {
        ADD_FAILURE() << "E2E_WORKBOOKS names no folder";
        return {};
    }
    std::wstring path = folder;
    if (path.starts_with(L"/")) {
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = L"Z:" + path;
    }
    return testsupport::readFile(std::filesystem::path(path) / name);
}

void PrintTo(const Choices& choices, std::ostream* out) {
    *out << choices.name;
}

class Win32ImportChoices : public testing::TestWithParam<Choices> {};

TEST_P(Win32ImportChoices, EveryControlShowsTheModelAfterEachChange) {
    const std::string& bytes = GetParam().bytes;
    DialogOverModel d;
    d.show(bytes.ends_with(".xlsx") ? workbook(bytes) : bytes, [&](HWND dialog) {
        expectShowsTheModel(dialog, *d.model);
        for (const std::string& move : GetParam().moves) {
            SCOPED_TRACE(move);
            choose(dialog, move);
            expectShowsTheModel(dialog, *d.model);
        }
        ::SendMessageW(control(dialog, names::kCancel), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(d.stepsRan);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, Win32ImportChoices,
    testing::Values(
        Choices{"EachLayoutInTurn",
                kStimulusRows,
                {"cboLayout=0", "cboLayout=2", "cboLayout=3", "cboLayout=1"}},
        Choices{"NamesInNeitherRowNorColumn",
                kStimulusRows,
                {"chkNamesInFirstRow=0", "chkNamesInFirstColumn=0", "chkNamesInFirstRow=1"}},
        Choices{"SeparatorsInTurn",
                kSubjectRows,
                {"cboSeparator=0", "cboSeparator=2", "cboSeparator=1"}},
        Choices{"LongColumnsChosenAndCleared",
                kLongUnsorted,
                {"cboLayout=2", "cboGroupColumn=-1", "cboGroupColumn=2", "cboSubjectColumn=1"}},
        Choices{"EachChoiceForMissingData",
                kLongUnsorted,
                {"cboLayout=2", "cboMissing=1", "cboMissing=2", "cboMissing=0"}},
        Choices{"GroupRowsStimulusColumns",
                kGroupRows,
                {"cboLayout=3", "cboLastStimulusColumn=2", "cboFirstStimulusColumn=2"}},
        Choices{"SheetsInTurn", "cells.xlsx", {"cboSheet=1", "cboSheet=0"}},
        Choices{"NoTable", "PK\x03\x04 not a workbook after all", {}}),
    [](const testing::TestParamInfo<Choices>& info) { return std::string(info.param.name); });

TEST(Win32ImportDialog, CellsAreDrawnInTheirRolesLooks) {
    DialogOverModel d;
    d.show(kLongUnsorted, [&](HWND dialog) {
        choose(dialog, "cboLayout=2");
        int seen[4] = {};
        for (std::size_t row = 0; row < d.model->previewRows(); ++row) {
            for (std::size_t column = 0; column < d.model->previewColumns(); ++column) {
                const auto role = d.model->previewRole(row, column);
                const CellLook look = drawnLook(dialog, int(row), int(column));
                SCOPED_TRACE(dissim::cellName(row, column));
                ++seen[int(role)];
                const COLORREF window = ::GetSysColor(COLOR_WINDOW);
                switch (role) {
                case ImportModel::CellRole::Name:
                    EXPECT_TRUE(look.bold || look.background != window) << "set apart";
                    break;
                case ImportModel::CellRole::Code:
                    EXPECT_FALSE(look.bold);
                    EXPECT_EQ(look.background, window);
                    EXPECT_EQ(look.text, ::GetSysColor(COLOR_WINDOWTEXT));
                    break;
                case ImportModel::CellRole::Ignored:
                    EXPECT_EQ(look.text, ::GetSysColor(COLOR_GRAYTEXT));
                    break;
                case ImportModel::CellRole::Problem:
                    EXPECT_GT(GetRValue(look.background), GetGValue(look.background) + 32)
                        << "a red or pink background";
                    break;
                }
            }
        }
        EXPECT_GT(seen[int(ImportModel::CellRole::Name)], 0);
        EXPECT_GT(seen[int(ImportModel::CellRole::Code)], 0);
        EXPECT_GT(seen[int(ImportModel::CellRole::Problem)], 0) << "the unsorted cherry";
        ::SendMessageW(control(dialog, names::kCancel), BM_CLICK, 0, 0);
    });
}

TEST(Win32ImportDialog, SaveListShowsWhatBecameOfTheList) {
    for (const bool confirmed : {true, false}) {
        SCOPED_TRACE(confirmed ? "saved" : "cancelled");
        DialogOverModel d;
        const std::string list = d.dir.file("stimuli.txt");
        std::string shown;
        d.show(kStimulusRows, [&](HWND dialog) {
            if (confirmed) {
                d.listDialog.confirm(list);
            } else {
                d.listDialog.cancel();
            }
            ::SetFocus(control(dialog, names::kSaveList));
            key(dialog, WM_KEYDOWN, VK_SPACE);
            key(dialog, WM_KEYUP, VK_SPACE);
            shown = textOf(control(dialog, names::kSaveResult));
            EXPECT_TRUE(::IsWindowEnabled(dialog)) << "takes input again";
            choose(dialog, "cboLayout=0");
            EXPECT_EQ(textOf(control(dialog, names::kSaveResult)), "") << "a list as it was";
            key(dialog, WM_KEYDOWN, VK_ESCAPE);
        });
        ASSERT_EQ(d.listDialog.requests.size(), 1u);
        EXPECT_EQ(d.listDialog.requests[0].mode, dissim::ui::FileDialogRequest::Mode::Save);
        EXPECT_EQ(shown.empty(), !confirmed) << shown;
        EXPECT_EQ(std::filesystem::exists(list), confirmed);
        if (confirmed) {
            EXPECT_EQ(testsupport::readFile(list), "apple\nbanana\ncherry\n");
        }
    }
}

TEST(Win32ImportDialog, AFileThatIsNoTableTakesOnlyCancel) {
    DialogOverModel d;
    std::vector<std::string> taking;
    const bool ok = d.show(
        "PK\x03\x04 not a workbook after all",
        [&](HWND dialog) {
            for (const controls::Control& c : controls::kControls) {
                const LONG_PTR style = ::GetWindowLongPtrW(::GetDlgItem(dialog, c.id), GWL_STYLE);
                if ((style & WS_TABSTOP) != 0 && usable(::GetDlgItem(dialog, c.id))) {
                    taking.emplace_back(c.name);
                }
            }
            EXPECT_FALSE(textOf(control(dialog, names::kRefusal)).empty());
            // The focus is on the one control that takes input, which Enter presses.
            EXPECT_EQ(::GetFocus(), control(dialog, names::kCancel));
            key(dialog, WM_KEYDOWN, VK_RETURN);
        },
        "study.xlsx");
    EXPECT_FALSE(ok);
    EXPECT_EQ(taking, std::vector<std::string>{names::kCancel});
}

// Assistive technology names a control by the caption just before it among the dialog's
// windows (Windows' own accessibility reads it there; Wine's gives no objects to check), and
// the lists and the preview, which show no text of their own, also by their window text.
TEST(Win32ImportDialog, EachCaptionStandsJustBeforeItsControl) {
    DialogOverModel d;
    d.show(kStimulusRows, [&](HWND dialog) {
        const std::pair<const char*, const char*> captioned[] = {
            {names::kSheet, "S&heet:"},
            {names::kSeparator, "Se&parator:"},
            {names::kLayout, "&Layout:"},
            {names::kSubjectColumn, "S&ubject column:"},
            {names::kStimulusColumn, "S&timulus column:"},
            {names::kGroupColumn, "&Group column:"},
            {names::kFirstStimulusColumn, "&First stimulus column:"},
            {names::kLastStimulusColumn, "Las&t stimulus column:"},
            {names::kMissing, "&Missing or contradictory data:"},
            {names::kPreview, "Pre&view:"},
            {names::kFound, "Found:"},
            {names::kStimuli, "Stimul&i in the matrices' order:"},
            {names::kProblems, "Pro&blems:"},
        };
        for (const auto& [name, caption] : captioned) {
            const HWND before = ::GetWindow(control(dialog, name), GW_HWNDPREV);
            EXPECT_EQ(className(before), "Static") << name;
            EXPECT_EQ(textOf(before), caption) << name;
        }
        EXPECT_EQ(textOf(control(dialog, names::kStimuli)), "Stimuli in the matrices' order:");
        EXPECT_EQ(textOf(control(dialog, names::kProblems)), "Problems:");
        EXPECT_EQ(textOf(control(dialog, names::kPreview)), "Preview:");
        key(dialog, WM_KEYDOWN, VK_ESCAPE);
    });
}

// Tab from the first control goes through every control that takes input, in order, and
// round; Shift+Tab goes back.
TEST(Win32ImportKeyboard, TabGoesThroughTheControlsInOrder) {
    DialogOverModel d;
    d.show(kStimulusRows, [&](HWND dialog) {
        const std::vector<const char*> order = {
            names::kLayout,  names::kNamesInFirstRow, names::kNamesInFirstColumn, names::kMissing,
            names::kPreview, names::kStimuli,         names::kSaveList,           names::kProblems,
            names::kOk,      names::kCancel,          names::kSeparator,          names::kLayout};
        EXPECT_EQ(::GetFocus(), control(dialog, order[0])) << "the focus starts at the layout";
        for (std::size_t i = 1; i < order.size(); ++i) {
            key(dialog, WM_KEYDOWN, VK_TAB);
            EXPECT_EQ(::GetFocus(), control(dialog, order[i])) << order[i];
        }
        key(dialog, WM_KEYDOWN, VK_TAB, true);
        EXPECT_EQ(::GetFocus(), control(dialog, names::kSeparator)) << "Shift+Tab";
        key(dialog, WM_KEYDOWN, VK_ESCAPE);
    });
}

struct AccessKey {
    wchar_t letter;
    const char* control;
};

class Win32ImportAccessKeys : public testing::TestWithParam<AccessKey> {};

TEST_P(Win32ImportAccessKeys, MoveToTheirControls) {
    DialogOverModel d;
    d.show(kStimulusRows, [&](HWND dialog) {
        ::SetFocus(control(dialog, names::kCancel));
        key(dialog, WM_SYSCHAR, GetParam().letter);
        EXPECT_EQ(::GetFocus(), control(dialog, GetParam().control));
        key(dialog, WM_KEYDOWN, VK_ESCAPE);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Captions, Win32ImportAccessKeys,
    testing::Values(AccessKey{L'l', names::kLayout}, AccessKey{L'p', names::kSeparator},
                    AccessKey{L'm', names::kMissing}, AccessKey{L'v', names::kPreview},
                    AccessKey{L'i', names::kStimuli}, AccessKey{L'b', names::kProblems},
                    AccessKey{L'r', names::kNamesInFirstRow}));

TEST(Win32ImportKeyboard, EnterIsOkOnlyWhileAllowedAndEscapeCancels) {
    struct Row {
        std::string bytes;
        const char* move;
        bool ok; // Enter is OK
    };
    for (const Row& row :
         {Row{kStimulusRows, "cboMissing=0", true}, Row{kLongUnsorted, "cboMissing=0", false}}) {
        DialogOverModel d;
        const bool ok = d.show(row.bytes, [&](HWND dialog) {
            choose(dialog, row.move);
            key(dialog, WM_KEYDOWN, VK_RETURN);
            if (::IsWindowVisible(dialog) && !d.model->okAllowed()) {
                key(dialog, WM_KEYDOWN, VK_ESCAPE);
            }
        });
        EXPECT_EQ(ok, row.ok);
    }
}

// The window over scripted pieces, a table chosen at step 2.
struct WindowWithTable {
    testsupport::TempDir dir;
    testsupport::WindowEvents events;
    testsupport::ScriptedPrompt prompt;
    testsupport::CountingBeeper beeper{events};
    testsupport::ScriptedFileDialog files;
    dissim::ui::win32::frmVorlan4 window{prompt, beeper, files};
    std::string input;

    WindowWithTable() { window.show(SW_SHOWNORMAL); }
    void click(dissim::ui::layout::ButtonId id) {
        ::SendMessageW(window.button(id), BM_CLICK, 0, 0);
    }
    // Step 2 with the table; true when the dialog opened (and the steps ran).
    bool choose(const std::string& bytes, const std::function<void(HWND)>& steps) {
        input = dir.file("study.csv");
        testsupport::writeFile(input, bytes);
        files.confirm(input);
        DialogSteps running(steps);
        click(dissim::ui::layout::cmdDataIn);
        return running.ran();
    }
    std::string label(dissim::ui::layout::LabelId id) const {
        return textOf(window.label(id).control());
    }
    // Step 3 and 4, the window's messages handled until the run has ended.
    std::string run() {
        const std::string output = dir.file("matrices.txt");
        files.confirm(output);
        click(dissim::ui::layout::cmdDataOut);
        click(dissim::ui::layout::cmdSubmit);
        const DWORD deadline = ::GetTickCount() + 20000;
        while (window.workflow().isRunning() && ::GetTickCount() < deadline) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::DispatchMessageW(&msg);
            }
            ::Sleep(10);
        }
        return std::filesystem::exists(output) ? testsupport::readFile(output) : "";
    }
};

TEST(Win32ImportWindow, OkMakesTheRunReadTheTableAsTheDialogShowedIt) {
    WindowWithTable w;
    ASSERT_TRUE(w.choose(kStimulusRows, [&](HWND dialog) {
        EXPECT_EQ(::GetWindow(dialog, GW_OWNER), w.window.handle());
        EXPECT_FALSE(::IsWindowEnabled(w.window.handle())) << "modal to the window";
        ::SendMessageW(control(dialog, names::kOk), BM_CLICK, 0, 0);
    }));
    EXPECT_TRUE(::IsWindowEnabled(w.window.handle()));
    ASSERT_TRUE(w.window.workflow().runState().tableReading.has_value());
    EXPECT_EQ(w.label(dissim::ui::layout::lblSubsStim), "There are  2 subjects and  3 stimuli.");
    EXPECT_EQ(w.run(), testsupport::kMatricesOfBoth);
    EXPECT_EQ(w.beeper.count, 0);
}

TEST(Win32ImportWindow, PlainSortDataOpensNoDialogAndCancelLeavesTheFilePlain) {
    WindowWithTable w;
    w.prompt.answers = {"2", "3"};
    w.click(dissim::ui::layout::cmdSubsStim);
    EXPECT_FALSE(w.choose(testsupport::kSortData, [](HWND) {}));
    EXPECT_FALSE(w.window.workflow().runState().tableReading.has_value());
    EXPECT_TRUE(w.choose(kStimulusRows, [](HWND dialog) {
        ::SendMessageW(dialog, WM_CLOSE, 0, 0); // the close box
    }));
    EXPECT_FALSE(w.window.workflow().runState().tableReading.has_value());
    EXPECT_EQ(w.label(dissim::ui::layout::lblIfileInfo), "Input File = " + w.input);
}

// At the screen's resolution (E2E_DPI, as in window_test.cpp): the size it opens with, the
// system's font, and at every size no control that shows outside the dialog or over another.
TEST(Win32ImportLayout, OpensAtItsSizeInTheSystemsFontAndNoControlsOverlap) {
    wchar_t value[16] = {};
    const int dpi = ::GetEnvironmentVariableW(L"E2E_DPI", value, 16) > 0 ? std::stoi(value) : 96;
    DialogOverModel d;
    d.show(kLongUnsorted, [&](HWND dialog) {
        choose(dialog, "cboLayout=2"); // the most rows in the column of choices
        RECT client;
        ::GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, (900 * dpi + 48) / 96);
        EXPECT_EQ(client.bottom, (640 * dpi + 48) / 96);
        LOGFONTW font{}, system{};
        ::GetObjectW(reinterpret_cast<HFONT>(
                         ::SendMessageW(control(dialog, names::kLayout), WM_GETFONT, 0, 0)),
                     sizeof(font), &font);
        // The font Windows gives messages and controls at this resolution.
        using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
        const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
        ASSERT_NE(forDpi, nullptr);
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, UINT(dpi));
        system = metrics.lfMessageFont;
        EXPECT_EQ(std::wstring(font.lfFaceName), std::wstring(system.lfFaceName));
        EXPECT_EQ(font.lfHeight, system.lfHeight);

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
                RECT place;
                ::GetWindowRect(window, &place);
                ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&place), 2);
                const char* what = c.name != nullptr ? c.name : c.text;
                RECT inside;
                ::IntersectRect(&inside, &place, &client);
                EXPECT_TRUE(::EqualRect(&inside, &place)) << what << " at " << size.cx;
                for (const auto& [other, otherPlace] : shown) {
                    RECT both;
                    EXPECT_FALSE(::IntersectRect(&both, &place, &otherPlace))
                        << what << " over " << other << " at " << size.cx;
                }
                shown.emplace_back(what, place);
            }
        }
        key(dialog, WM_KEYDOWN, VK_ESCAPE);
    });
}

} // namespace
