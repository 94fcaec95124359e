// "1. Start Here!": the three ways out of the setup, the count check and the summary.

#include "workflow_fixture.h"

#include "test_names.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using testsupport::WorkflowFixture;

const std::string kFailure = "Oops!  Please Press Option 1 to reenter!";
const std::string kEarlierSubjects = "4";
const std::string kEarlierStimuli = "9";

// Leaves an earlier setup's counts and both paths in place, so that what a setup keeps and
// what it clears can be told apart.
void setUpEarlierRun(WorkflowFixture& f) {
    f.prompt.answers = {kEarlierSubjects, kEarlierStimuli};
    f.workflow.cmdSubsStimClick();
    f.files.confirm("/data/earlier.txt");
    f.files.confirm("/data/earlier.out");
    f.workflow.cmdDataInClick();
    f.workflow.cmdDataOutClick();
    f.beeper.count = 0;
    f.prompt.asked.clear();
    f.events.list.clear();
}

struct WayOut {
    const char* name;
    std::deque<std::string> answers; // running out is Cancel
    std::string subjects;            // what the run state holds afterwards
    std::string stimuli;
    int beeps;
    int prompts;
    std::string summary;
    std::string reason; // the detail of lblSubsStim
};

class RunSetupWayOut : public ::testing::TestWithParam<WayOut> {};

TEST_P(RunSetupWayOut, LeavesTheStateAndLabelsItsWayOutGives) {
    const WayOut& c = GetParam();
    WorkflowFixture f;
    setUpEarlierRun(f);

    f.prompt.answers = c.answers;
    f.workflow.cmdSubsStimClick();

    EXPECT_EQ(f.beeper.count, c.beeps);
    EXPECT_EQ(int(f.prompt.asked.size()), c.prompts);
    const dissim::RunState& state = f.workflow.runState();
    EXPECT_EQ(state.numSubjects.text(), c.subjects);
    EXPECT_EQ(state.numStimuli.text(), c.stimuli);
    EXPECT_EQ(state.inputFile, "");
    EXPECT_EQ(state.outputFile, "");
    EXPECT_EQ(f.lblSubsStim.text(), c.summary);
    EXPECT_EQ(f.lblIfileInfo.text(), "Input File Undefined ");
    EXPECT_EQ(f.lblOfileInfo.text(), "Output File Undefined");
    EXPECT_EQ(f.lblStatus.text(), "Waiting for data ... ");
    // Why the count was refused, kept beside the failure text; the paths shown before are gone
    // and with them their details.
    EXPECT_EQ(f.lblSubsStim.detail(), c.reason);
    EXPECT_EQ(f.lblIfileInfo.detail(), "");
    EXPECT_EQ(f.lblOfileInfo.detail(), "");
    // The dialog's remembered name is not the setup's to clear.
    EXPECT_EQ(f.workflow.commonDialog().fileName(), "/data/earlier.out");
}

std::vector<WayOut> waysOut() {
    std::vector<WayOut> cases;
    // Both accepted: stored as typed, each shown from its value after one space.
    struct Accepted {
        const char* name;
        std::string subjects;
        std::string stimuli;
        const char* summary;
    };
    for (const auto& [name, subjects, stimuli, summary] : std::initializer_list<Accepted>{
             {"FiveAndTwelve", "5", "12", "There are  5 subjects and  12 stimuli."},
             {"OnePasses", "1", "1", "There are  1 subjects and  1 stimuli."},
             {"LeadingZerosKeptAsTyped", "007", " 12 ", "There are  7 subjects and  12 stimuli."},
             {"SignExponentWholeDecimal", "+3", "1e2", "There are  3 subjects and  100 stimuli."},
             {"WholeNumberWithAPoint", "2.0", "3.", "There are  2 subjects and  3 stimuli."},
             {"LargeStimulusCount", "300", "32767", "There are  300 subjects and  32767 stimuli."},
             {"RoundNumbersInPlainDigits", "100000", "1e6",
              "There are  100000 subjects and  1000000 stimuli."},
             {"ExponentWithSign", "1E+1", "2e0", "There are  10 subjects and  2 stimuli."}}) {
        cases.push_back({name, {subjects, stimuli}, subjects, stimuli, 0, 2, summary, ""});
    }
    // First answer refused: nothing stored, the second prompt never shown.
    struct Refused {
        const char* name;
        std::optional<std::string> answer; // none: Cancel
        const char* reason;
    };
    for (const auto& [name, answer, reason] : std::initializer_list<Refused>{
             {"FirstCancel", std::nullopt, "no answer was given"},
             {"FirstEmpty", "", "no answer was given"},
             {"FirstBlanks", "  ", "no answer was given"},
             {"FirstZero", "0", "0 is below 1"},
             {"FirstNegative", "-3", "-3 is below 1"},
             {"FirstLetters", "five", "five is not a number"},
             {"FirstFraction", "2.5", "2.5 is not a whole number"},
             {"FirstHalf", "0.5", "0.5 is below 1"},
             {"FirstNumberAndLetters", "5x", "5x is not a number"},
             {"FirstTwoNumbers", "5 6", "5 6 is not a number"},
             {"FirstTypedWithBlanks", " abc\t", "abc is not a number"}}) {
        std::deque<std::string> answers;
        if (answer) {
            answers = {*answer, "12"};
        }
        cases.push_back({name, answers, kEarlierSubjects, kEarlierStimuli, 3, 1, kFailure, reason});
    }
    // Second answer refused: the new subject count stays.
    for (const auto& [name, answer, reason] : std::initializer_list<Refused>{
             {"SecondCancel", std::nullopt, "no answer was given"},
             {"SecondZero", "0", "0 is below 1"},
             {"SecondLetters", "abc", "abc is not a number"},
             {"SecondFraction", "3.5", "3.5 is not a whole number"},
             {"SecondComma", "1,5", "1,5 is not a number"},
             {"SecondTypedWithBlanks", " 2.5 ", "2.5 is not a whole number"}}) {
        std::deque<std::string> answers = {"6"};
        if (answer) {
            answers.push_back(*answer);
        }
        cases.push_back({name, answers, "6", kEarlierStimuli, 3, 2, kFailure, reason});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(, RunSetupWayOut, ::testing::ValuesIn(waysOut()), testsupport::ByName{});

TEST(RunSetup, ResetsPathsAndLabelsInOrderBeforeTheFirstPrompt) {
    WorkflowFixture f;
    setUpEarlierRun(f);
    f.prompt.answers = {"5", "12"};
    f.workflow.cmdSubsStimClick();
    const std::vector<std::string> expected = {
        "lblSubsStim: # of Subjects and Stimui not Defined",
        "lblIfileInfo: Input File Undefined ",
        "lblOfileInfo: Output File Undefined",
        "lblStatus: Waiting for data ... ",
        "lblSubsStim detail: ",
        "lblIfileInfo detail: ",
        "lblOfileInfo detail: ",
        "lblStatus detail: ",
        "lblSubsStim: There are  5 subjects and  12 stimuli.",
    };
    EXPECT_EQ(f.events.list, expected);
}

TEST(RunSetup, FailureBeepsThreeTimesBeforeItsText) {
    WorkflowFixture f;
    f.prompt.answers = {"0"};
    f.workflow.cmdSubsStimClick();
    const std::vector<std::string> tail(f.events.list.end() - 5, f.events.list.end());
    const std::vector<std::string> expected = {"beep", "beep", "beep", "lblSubsStim: " + kFailure,
                                               "lblSubsStim detail: 0 is below 1"};
    EXPECT_EQ(tail, expected);
}

TEST(RunSetup, PromptsAskInOrderWithTheirTitlesAndStartAfresh) {
    WorkflowFixture f;
    f.prompt.answers = {"5", "12", "", ""};
    f.workflow.cmdSubsStimClick();
    f.workflow.cmdSubsStimClick();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Enter # of Subjects:", "How many subjects?"},
        {"Enter # of Stimuli:", "How many stimuli?"},
        {"Enter # of Subjects:", "How many subjects?"},
    };
    EXPECT_EQ(f.prompt.asked, expected);
    EXPECT_EQ(f.beeper.count, 3);
    EXPECT_EQ(f.lblSubsStim.text(), kFailure);
}

// The locale's decimal separator is the window's to give: with a comma, "2,0" is a whole
// number and "2,5" a fraction (with a period, "1,5" is no number at all: see above).
TEST(RunSetup, TakesTheWindowsDecimalSeparator) {
    WorkflowFixture f;
    dissim::ui::Workflow commaWorkflow({f.lblSubsStim, f.lblIfileInfo, f.lblOfileInfo, f.lblStatus},
                                       {f.prompt, f.beeper, f.files, ','}, f.view, f.waker);
    f.prompt.answers = {"2,0", "3"};
    commaWorkflow.cmdSubsStimClick();
    EXPECT_EQ(f.lblSubsStim.text(), "There are  2 subjects and  3 stimuli.");
    EXPECT_EQ(commaWorkflow.runState().numSubjects.text(), "2,0");
    f.prompt.answers = {"2,5"};
    commaWorkflow.cmdSubsStimClick();
    EXPECT_EQ(f.lblSubsStim.detail(), "2,5 is not a whole number");
}

} // namespace
