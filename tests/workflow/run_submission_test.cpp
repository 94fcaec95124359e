// "4. Submit" through the workflow on real files: what the window is told and in which order
// (busy, each status text, five beeps before the failure text, the failure detail, idle, the
// end), all of it on the window's thread; the bytes written; a close asked for during a run.

#include "workflow_fixture.h"

#include "temp_dir.h"
#include "test_names.h"
#include "worked_example.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

namespace {

using testsupport::kDone;
using testsupport::kFailed;
using testsupport::kProcessing;
using testsupport::kWriting;
using testsupport::TempDir;
using testsupport::WorkflowFixture;
using Events = std::vector<std::string>;

Events statusOf(const std::string& text) {
    return {"lblStatus: " + text};
}

Events operator+(Events a, const Events& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What the output holds for other sort data is the engine's to test; here, what the window is
// told around a run that ends well, and that pressing again rewrites the file.
TEST(Submit, ShowsEachStatusInOrderAndWritesTheMatrices) {
    TempDir dir;
    const std::string in = dir.file("codes.txt");
    const std::string out = dir.file("matrices.out");
    testsupport::writeFile(in, testsupport::kSortData);
    testsupport::writeFile(out, "old contents that the run replaces, longer than its output");
    WorkflowFixture f;
    f.prepare("2", "3", in, &out);

    f.workflow.cmdSubmitClick();
    EXPECT_TRUE(f.workflow.isRunning());
    ASSERT_TRUE(f.deliverUntilEnded());

    const Events expected = Events{"lblStatus detail: ", "busy"} + statusOf(kProcessing) +
                            statusOf(kWriting) + statusOf(kWriting) + statusOf(kDone) +
                            Events{"lblStatus detail: ", "idle", "ended: done"};
    EXPECT_EQ(f.events.list, expected);
    EXPECT_EQ(f.events.offThread, 0);
    EXPECT_FALSE(f.workflow.isRunning());
    EXPECT_EQ(testsupport::readFile(out), testsupport::kMatricesOfBoth);
    EXPECT_EQ(testsupport::readFile(in), testsupport::kSortData);

    // Pressed again with nothing changed, the same run rewrites the same file.
    testsupport::writeFile(out, "something else");
    f.workflow.cmdSubmitClick();
    ASSERT_TRUE(f.deliverUntilEnded());
    EXPECT_EQ(f.lblStatus.text(), kDone);
    EXPECT_EQ(testsupport::readFile(out), testsupport::kMatricesOfBoth);
}

struct FailedRun {
    const char* name;
    std::string subjects;
    std::string stimuli;
    std::optional<std::string> input;  // none: no input file at all
    std::optional<std::string> output; // none: the run never creates the output file
    std::string described;             // a piece of the detail
};

class SubmitFailedRun : public ::testing::TestWithParam<FailedRun> {};

TEST_P(SubmitFailedRun, BeepsFiveTimesThenShowsTheFailureAndItsDetail) {
    const FailedRun& c = GetParam();
    TempDir dir;
    const std::string in = dir.file("codes.txt");
    const std::string out = dir.file("matrices.out");
    if (c.input) {
        testsupport::writeFile(in, *c.input);
    }
    WorkflowFixture f;
    f.prepare(c.subjects, c.stimuli, in, &out);

    f.workflow.cmdSubmitClick();
    ASSERT_TRUE(f.deliverUntilEnded());

    ASSERT_GE(f.events.list.size(), 9u);
    const Events tail(f.events.list.end() - 9, f.events.list.end());
    const Events expected = {"beep",  "beep", "beep",
                             "beep",  "beep", "lblStatus: " + kFailed,
                             tail[6], "idle", "ended: failed"};
    EXPECT_EQ(tail, expected);
    EXPECT_NE(f.lblStatus.detail().find(c.described), std::string::npos) << f.lblStatus.detail();
    EXPECT_EQ(f.events.offThread, 0);
    if (c.output) {
        EXPECT_EQ(testsupport::readFile(out), *c.output);
    } else {
        EXPECT_FALSE(std::filesystem::exists(out)) << "the failed run created the output file";
    }
    // The window is idle again and takes the next press.
    EXPECT_FALSE(f.workflow.isRunning());
    f.workflow.cmdSubsStimClick();
    EXPECT_EQ(f.prompt.asked.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(, SubmitFailedRun,
                         ::testing::Values(FailedRun{"InputFileMissing", "1", "2", std::nullopt,
                                                     std::nullopt, "input file"},
                                           FailedRun{"DataEndsEarlyTheCompleteSubjectsStay", "2",
                                                     "2", "1 2\n3\n", "  0 \r\n  1  0 \r\n",
                                                     "subject 2"}),
                         testsupport::ByName{});

TEST(Submit, NextRunClearsTheFailureDetailAsItStarts) {
    TempDir dir;
    const std::string in = dir.file("codes.txt");
    const std::string out = dir.file("matrices.out");
    WorkflowFixture f;
    f.prepare("1", "2", in, &out);
    f.workflow.cmdSubmitClick();
    ASSERT_TRUE(f.deliverUntilEnded());
    EXPECT_FALSE(f.lblStatus.detail().empty());

    testsupport::writeFile(in, "1 2");
    f.events.list.clear();
    f.workflow.cmdSubmitClick();
    EXPECT_EQ(f.events.list, (Events{"lblStatus detail: ", "busy"}));
    EXPECT_EQ(f.lblStatus.detail(), "");
    ASSERT_TRUE(f.deliverUntilEnded());
    EXPECT_EQ(f.lblStatus.text(), kDone);
    EXPECT_EQ(f.lblStatus.detail(), "");
}

// Until its end has reached the window's thread the run is going, whatever its own thread
// has done by then: the window's close, Exit and another Submit wait for it or do nothing.
struct DuringRun {
    const char* name;
    void (*press)(WorkflowFixture&);
    int closes; // after the run has ended
};

class SubmitDuringRun : public ::testing::TestWithParam<DuringRun> {};

TEST_P(SubmitDuringRun, IsPutOffOrIgnoredUntilTheRunHasEnded) {
    TempDir dir;
    const std::string in = dir.file("codes.txt");
    const std::string out = dir.file("matrices.out");
    testsupport::writeFile(in, testsupport::kSortData);
    WorkflowFixture f;
    f.prepare("2", "3", in, &out);

    f.workflow.cmdSubmitClick();
    GetParam().press(f);
    EXPECT_EQ(f.view.closed, 0);
    EXPECT_TRUE(f.workflow.isRunning());
    ASSERT_TRUE(f.deliverUntilEnded());

    EXPECT_EQ(f.view.closed, GetParam().closes);
    EXPECT_EQ(f.view.ended, 1);
    EXPECT_EQ(std::count(f.events.list.begin(), f.events.list.end(), "busy"), 1);
    EXPECT_EQ(testsupport::readFile(out), testsupport::kMatricesOfBoth);
    if (GetParam().closes == 1) {
        EXPECT_EQ(f.events.list.back(), "close");
        // The next close is no longer put off.
        EXPECT_TRUE(f.workflow.closeRequested());
    }
}

INSTANTIATE_TEST_SUITE_P(
    , SubmitDuringRun,
    ::testing::Values(
        DuringRun{"WindowClosed",
                  [](WorkflowFixture& f) { EXPECT_FALSE(f.workflow.closeRequested()); }, 1},
        DuringRun{"ExitPressed", [](WorkflowFixture& f) { f.workflow.cmdExitClick(); }, 1},
        DuringRun{"SubmitPressedAgain", [](WorkflowFixture& f) { f.workflow.cmdSubmitClick(); },
                  0}),
    testsupport::ByName{});

// A run on the window's own thread (a page's, which has no threads): the whole run and every
// report, in the same order as from a thread, happen inside the click; the click is over when
// the window is idle again. A completed run's note (a file that looks laid out the other way
// round) is the status label's detail, as a failure's description is.
struct InlineRun {
    const char* name;
    const char* subjects;
    const char* stimuli;
    std::string sortData;
    std::string output;
    Events reports; // after "busy"
};

class SubmitOnTheWindowsThread : public ::testing::TestWithParam<InlineRun> {};

TEST_P(SubmitOnTheWindowsThread, ReportsEachStepBeforeTheClickReturns) {
    const InlineRun& c = GetParam();
    TempDir dir;
    const std::string in = dir.file("codes.txt");
    const std::string out = dir.file("matrices.out");
    testsupport::writeFile(in, c.sortData);
    dissim::ui::InlineRunLauncher launcher;
    WorkflowFixture f(&launcher);
    f.prepare(c.subjects, c.stimuli, in, &out);

    f.workflow.cmdSubmitClick();

    EXPECT_FALSE(f.workflow.isRunning());
    EXPECT_EQ(f.view.ended, 1);
    EXPECT_EQ(f.events.list, (Events{"lblStatus detail: ", "busy"} + c.reports));
    EXPECT_EQ(testsupport::readFile(out), c.output);
    // Exit is no longer put off.
    f.workflow.cmdExitClick();
    EXPECT_EQ(f.view.closed, 1);
}

INSTANTIATE_TEST_SUITE_P(
    , SubmitOnTheWindowsThread,
    ::testing::Values(
        InlineRun{"Done", "2", "3", testsupport::kSortData, testsupport::kMatricesOfBoth,
                  statusOf(kProcessing) + statusOf(kWriting) + statusOf(kWriting) +
                      statusOf(kDone) + Events{"lblStatus detail: ", "idle", "ended: done"}},
        InlineRun{"FailedKeepingTheCompleteBlock", "2", "3", "1 2 1\n",
                  "  0 \r\n  1  0 \r\n  0  1  0 \r\n",
                  statusOf(kProcessing) + statusOf(kWriting) +
                      Events{"beep", "beep", "beep", "beep", "beep", "lblStatus: " + kFailed,
                             "lblStatus detail: subject 2, stimulus 1, line 2: the sort data file "
                             "ends here, after 3 codes",
                             "idle", "ended: failed"}},
        // Two lines of three codes, read as three subjects over two stimuli.
        InlineRun{"DoneWithTheNoteOfTheOtherLayout", "3", "2", testsupport::kSortData,
                  "  0 \r\n  0  0 \r\n  0 \r\n  1  0 \r\n  0 \r\n  0  0 \r\n  0 \r\n  1  0 \r\n",
                  statusOf(kProcessing) + statusOf(kWriting) + statusOf(kWriting) +
                      statusOf(kWriting) + statusOf(kDone) +
                      Events{"lblStatus detail: Each of the file's 2 lines holds 3 codes, one per "
                             "subject, and there are as many lines as stimuli. If each line is one "
                             "stimulus, the file is laid out the other way round and these "
                             "matrices are not the study's: the codes must come subject by "
                             "subject, each subject's 2 codes in the order of the stimuli (one "
                             "line per subject).",
                             "idle", "ended: done"}}),
    testsupport::ByName{});

TEST(Exit, ClosesTheWindowAtOnceWhenIdle) {
    WorkflowFixture f;
    f.workflow.cmdExitClick();
    EXPECT_EQ(f.events.list, Events{"close"});
    EXPECT_TRUE(f.workflow.closeRequested());
}

// The program torn down while a run goes: the workflow waits for the run, whose output is
// complete, and nothing it reported reaches the window afterwards.
TEST(Submit, AWorkflowGoingAwayWaitsForItsRun) {
    TempDir dir;
    const std::string in = dir.file("codes.txt");
    const std::string out = dir.file("matrices.out");
    testsupport::writeFile(in, testsupport::kSortData);
    {
        auto f = std::make_unique<WorkflowFixture>();
        f->prepare("2", "3", in, &out);
        f->workflow.cmdSubmitClick();
    }
    EXPECT_EQ(testsupport::readFile(out), testsupport::kMatricesOfBoth);
}

} // namespace
