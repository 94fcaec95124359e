// "2. Select Input File" and "3. Select Output File" over the shared dialog: what each stores
// and shows, what a cancel keeps, what the dialog is asked to show, and the failure paths.

#include "workflow_fixture.h"

#include "common_dialog.h"
#include "test_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

using dissim::ui::FileDialogRequest;
using dissim::ui::FileFilter;
using testsupport::WorkflowFixture;
using Filters = std::vector<FileFilter>;

const Filters kInputFilters = {{"All Files (*.*) ", "*.*"}, {"Text Files (*.txt) ", "*.txt"}};

// One step of a scripted session: a button, and how its dialog answers.
struct Step {
    enum Button { In, Out, Setup } button;
    std::optional<std::string> answer; // a path to confirm; none: cancel
};

struct Session {
    const char* name;
    std::vector<Step> steps;
    std::string inputFile;
    std::string outputFile;
    std::string inputLabel;
    std::string outputLabel;
};

class FileSelectionSession : public ::testing::TestWithParam<Session> {};

TEST_P(FileSelectionSession, StoresAndShowsWhatTheDialogHolds) {
    const Session& c = GetParam();
    WorkflowFixture f;
    for (const Step& step : c.steps) {
        if (step.button == Step::Setup) {
            f.workflow.cmdSubsStimClick();
            continue;
        }
        if (step.answer) {
            f.files.confirm(*step.answer);
        } else {
            f.files.cancel();
        }
        if (step.button == Step::In) {
            f.workflow.cmdDataInClick();
        } else {
            f.workflow.cmdDataOutClick();
        }
    }
    EXPECT_EQ(f.workflow.runState().inputFile, c.inputFile);
    EXPECT_EQ(f.workflow.runState().outputFile, c.outputFile);
    EXPECT_EQ(f.lblIfileInfo.text(), c.inputLabel);
    EXPECT_EQ(f.lblOfileInfo.text(), c.outputLabel);
    // Whatever path a label shows, the whole of it is the label's detail.
    const bool inputShown = c.inputLabel.starts_with("Input File = ");
    const bool outputShown = c.outputLabel != "Output File Undefined";
    EXPECT_EQ(f.lblIfileInfo.detail(), inputShown ? c.inputFile : "");
    EXPECT_EQ(f.lblOfileInfo.detail(), outputShown ? c.outputFile : "");
    const auto setups = std::count_if(c.steps.begin(), c.steps.end(),
                                      [](const Step& s) { return s.button == Step::Setup; });
    EXPECT_EQ(f.beeper.count, 3 * setups); // a cancel is no failure
}

INSTANTIATE_TEST_SUITE_P(
    , FileSelectionSession,
    ::testing::Values(
        Session{"BothChosen",
                {{Step::In, "/d/codes.txt"}, {Step::Out, "/d/m.out"}},
                "/d/codes.txt",
                "/d/m.out",
                "Input File = /d/codes.txt",
                "/d/m.out"},
        Session{"CancelBeforeAnyConfirmation",
                {{Step::In, std::nullopt}, {Step::Out, std::nullopt}},
                "",
                "",
                "Input File = ",
                ""},
        Session{"CancelledSaveReusesTheInputPath",
                {{Step::In, "/d/codes.txt"}, {Step::Out, std::nullopt}},
                "/d/codes.txt",
                "/d/codes.txt",
                "Input File = /d/codes.txt",
                "/d/codes.txt"},
        Session{"CancelAfterSetupGivesTheRememberedNameAgain",
                {{Step::In, "/d/a.txt"},
                 {Step::Out, "/d/b.out"},
                 {Step::Setup, std::nullopt},
                 {Step::In, std::nullopt},
                 {Step::Out, std::nullopt}},
                "/d/b.out",
                "/d/b.out",
                "Input File = /d/b.out",
                "/d/b.out"},
        Session{"SetupAloneClearsThePaths",
                {{Step::In, "/d/a.txt"}, {Step::Out, "/d/b.out"}, {Step::Setup, std::nullopt}},
                "",
                "",
                "Input File Undefined ",
                "Output File Undefined"}),
    testsupport::ByName{});

TEST(FileSelection, AsksTheDialogForTheSharedNameAndFilters) {
    WorkflowFixture f;
    f.files.cancel();
    f.workflow.cmdDataOutClick(); // before the input handler: no filter list
    f.files.confirm("/d/codes.txt");
    f.workflow.cmdDataInClick();
    f.workflow.cmdDataOutClick(); // afterwards: the input handler's list, the name filled in
    f.workflow.cmdDataInClick();

    const auto& r = f.files.requests;
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].mode, FileDialogRequest::Mode::Save);
    EXPECT_EQ(r[0].fileName, "");
    EXPECT_TRUE(r[0].filters.empty());
    EXPECT_EQ(r[0].selectedFilter, -1);

    EXPECT_EQ(r[1].mode, FileDialogRequest::Mode::Open);
    EXPECT_EQ(r[1].filters, kInputFilters);
    EXPECT_EQ(r[1].selectedFilter, 1); // the setting 2: "Text Files (*.txt) "

    EXPECT_EQ(r[2].mode, FileDialogRequest::Mode::Save);
    EXPECT_EQ(r[2].fileName, "/d/codes.txt");
    EXPECT_EQ(r[2].filters, kInputFilters);
    EXPECT_EQ(r[2].selectedFilter, 1);

    EXPECT_EQ(r[3].mode, FileDialogRequest::Mode::Open);
    EXPECT_EQ(r[3].fileName, "/d/codes.txt");
    EXPECT_EQ(r[3].filters, kInputFilters); // built afresh, not added to
}

struct Failure {
    const char* name;
    void (dissim::ui::Workflow::*click)();
    int beeps;
};

class FileSelectionFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(FileSelectionFailure, BeepsAndChangesNoLabelOrPath) {
    WorkflowFixture f;
    f.files.confirm("/d/first.txt");
    f.files.confirm("/d/first.out");
    f.workflow.cmdDataInClick();
    f.workflow.cmdDataOutClick();
    f.events.list.clear();

    f.files.fail();
    (f.workflow.*GetParam().click)();

    EXPECT_EQ(f.beeper.count, GetParam().beeps);
    EXPECT_EQ(f.events.list, std::vector<std::string>(GetParam().beeps, "beep"));
    EXPECT_EQ(f.workflow.runState().inputFile, "/d/first.txt");
    EXPECT_EQ(f.workflow.runState().outputFile, "/d/first.out");
}

INSTANTIATE_TEST_SUITE_P(
    , FileSelectionFailure,
    ::testing::Values(Failure{"Input", &dissim::ui::Workflow::cmdDataInClick, 3},
                      Failure{"Output", &dissim::ui::Workflow::cmdDataOutClick, 4}),
    testsupport::ByName{});

struct FilterList {
    const char* name;
    std::string text;
    std::optional<Filters> entries; // none: refused
};

class CommonDialogFilterList : public ::testing::TestWithParam<FilterList> {};

TEST_P(CommonDialogFilterList, ReadsPairsOfParts) {
    const FilterList& c = GetParam();
    if (!c.entries) {
        EXPECT_THROW(dissim::ui::parseFilterList(c.text), std::invalid_argument);
        return;
    }
    EXPECT_EQ(dissim::ui::parseFilterList(c.text), *c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    , CommonDialogFilterList,
    ::testing::Values(FilterList{"TheInputHandlersList",
                                 "All Files (*.*) |*.*|Text Files (*.txt) |*.txt|", kInputFilters},
                      FilterList{"WithoutTheClosingBar",
                                 "All Files (*.*) |*.*|Text Files (*.txt) |*.txt", kInputFilters},
                      FilterList{"Empty", "", Filters{}},
                      FilterList{"SeveralPatterns", "Data|*.txt;*.dat|",
                                 Filters{{"Data", "*.txt;*.dat"}}},
                      FilterList{"AnEmptyPattern", "a||", Filters{{"a", ""}}},
                      FilterList{"DescriptionWithoutPattern", "All Files|", std::nullopt},
                      FilterList{"ThreeParts", "a|*.a|b|", std::nullopt}),
    testsupport::ByName{});

// The filter index counts from 1; outside the list the dialog opens on the first entry.
TEST(CommonDialog, FilterIndexOutsideTheListSelectsTheFirst) {
    WorkflowFixture f;
    dissim::ui::CommonDialog dialog(f.files);
    dialog.setFilter("a|*.a|b|*.b|");
    for (int index : {0, 3, -1}) {
        dialog.setFilterIndex(index);
        dialog.showOpen();
        EXPECT_EQ(f.files.requests.back().selectedFilter, 0) << "index " << index;
    }
    dialog.setFilterIndex(2);
    dialog.showSave();
    EXPECT_EQ(f.files.requests.back().selectedFilter, 1);
}

} // namespace
