// "2. Select Input File" with a table: which files open the Import dialog, what OK and Cancel
// leave in the run state and on the labels, that the run then writes what the equivalent plain
// sort data gives, byte for byte, and that a table changed after its import fails the run
// rather than writing matrices nobody saw coming.

#include "workflow_fixture.h"

#include "import_dialog.h"
#include "import_model.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using dissim::MissingData;
using dissim::TableLayout;
using dissim::ui::ImportModel;
using testsupport::TempDir;
using testsupport::WorkflowFixture;

// Stands in for a window's dialog: does what the test scripts on the model, then answers.
class ScriptedImportDialog : public dissim::ui::ImportDialog {
public:
    bool show(ImportModel& model) override {
        ++shown;
        if (act) {
            act(model);
        }
        found = model.foundText();
        problems = model.problemTexts();
        return answer;
    }
    std::function<void(ImportModel&)> act;
    bool answer = true;
    int shown = 0;
    std::string found;
    std::vector<std::string> problems;
};

// The dialog's stand-ins exist before the workflow that is given them.
struct ImportParts {
    ScriptedImportDialog dialog;
    testsupport::ScriptedFileDialog listFiles;
};

struct ImportFixture : ImportParts, WorkflowFixture {
    ImportFixture() : WorkflowFixture(nullptr, &dialog, &listFiles) {}
    TempDir dir;

    // Step 1 with these counts (none: skipped), then step 2 over a file holding text.
    void choose(const std::string& text, std::optional<std::pair<int, int>> counts = {}) {
        if (counts) {
            prompt.answers = {std::to_string(counts->first), std::to_string(counts->second)};
            workflow.cmdSubsStimClick();
        }
        testsupport::writeFile(dir.file("study.csv"), text);
        files.confirm(dir.file("study.csv"));
        workflow.cmdDataInClick();
    }

    // Steps 3 and 4; the output file's bytes, or nothing after a failed run.
    std::optional<std::string> run() {
        files.confirm(dir.file("out.txt"));
        workflow.cmdDataOutClick();
        workflow.cmdSubmitClick();
        EXPECT_TRUE(deliverUntilEnded());
        if (lblStatus.text() != "Done!  Press Button 1 for another Run, or Exit to quit!") {
            return std::nullopt;
        }
        return testsupport::readFile(dir.file("out.txt"));
    }
};

// What a plain sort data file gives, through the same workflow.
std::string plainMatrices(const std::string& codes, int subjects, int stimuli) {
    WorkflowFixture f;
    TempDir dir;
    testsupport::writeFile(dir.file("codes.txt"), codes);
    const std::string out = dir.file("out.txt");
    f.prepare(std::to_string(subjects), std::to_string(stimuli), dir.file("codes.txt"), &out);
    f.workflow.cmdSubmitClick();
    EXPECT_TRUE(f.deliverUntilEnded());
    return testsupport::readFile(out);
}

struct Study {
    const char* name;
    std::string table;
    std::function<void(ImportModel&)> act; // the researcher's changes in the dialog
    // The equivalent plain sort data, one line per subject.
    std::string codes;
    int subjects;
    int stimuli;
    const char* reading; // part of how the input label's detail says the table is read
};

class ImportedStudy : public ::testing::TestWithParam<Study> {};

TEST_P(ImportedStudy, OkRunsWhatTheEquivalentSortDataGives) {
    const Study& c = GetParam();
    ImportFixture f;
    f.dialog.act = c.act;
    f.choose(c.table);
    ASSERT_EQ(f.dialog.shown, 1);
    ASSERT_TRUE(f.workflow.runState().tableReading.has_value()) << f.dialog.found;
    EXPECT_EQ(f.lblSubsStim.text(), "There are  " + std::to_string(c.subjects) + " subjects and  " +
                                        std::to_string(c.stimuli) + " stimuli.");
    EXPECT_NE(f.lblIfileInfo.detail().find(c.reading), std::string::npos)
        << f.lblIfileInfo.detail();
    EXPECT_EQ(f.lblIfileInfo.text(), "Input File = " + f.dir.file("study.csv"));
    EXPECT_EQ(f.run(), plainMatrices(c.codes, c.subjects, c.stimuli));
    EXPECT_EQ(f.beeper.count, 0);
}

const auto keep = [](ImportModel&) {};

INSTANTIATE_TEST_SUITE_P(
    Layouts, ImportedStudy,
    ::testing::Values(Study{"StimulusRowsWithWords",
                            ",J1,J2,J3\napple,sweet,G1,\"red;round\"\npear,sweet,G2,\"red;round\"\n"
                            "lime,sour,G1,green\nplum,sweet,G3,green\n",
                            keep, "1 1 2 1\n1 2 1 3\n1 1 2 2\n", 3, 4, "rows are stimuli"},
                      Study{"SubjectRowsWithIds", "id,a,b,c,d\nP1,1,1,2,2\nP2,3,1,3,1\n",
                            [](ImportModel& m) { m.setLayout(TableLayout::SubjectRows); },
                            "1 1 2 2\n3 1 3 1\n", 2, 4, "rows are subjects"},
                      Study{"LongWithAnUnsortedCardAsItsOwnGroup",
                            "subject,card,group\ns1,b,x\ns1,a,x\ns1,c,y\ns2,a,1\ns2,c,1\n",
                            [](ImportModel& m) {
                                m.setLayout(TableLayout::Long);
                                m.setSubjectColumn(0);
                                m.setStimulusColumn(1);
                                m.setGroupColumn(2);
                                m.setMissing(MissingData::OwnGroup);
                            },
                            "1 1 2\n1 2 1\n", 2, 3, "group of its own"}),
    [](const auto& info) { return std::string(info.param.name); });

// The example study in each layout as LibreOffice saved it, .xlsx and .ods: opened at step 2,
// the dialog's guess taken as it stands, the run gives the plain sort data's matrices.
class ImportedWorkbook : public ::testing::TestWithParam<const char*> {};

TEST_P(ImportedWorkbook, GivesThePlainSortDatasMatrices) {
    const std::string tests = DISSIM_TEST_DATA_DIR;
    ImportFixture f;
    const std::string workbook = f.dir.file(GetParam());
    testsupport::writeFile(workbook,
                           testsupport::readFile(tests + "/data/workbooks/" + GetParam()));
    f.files.confirm(workbook);
    f.workflow.cmdDataInClick();
    ASSERT_TRUE(f.workflow.runState().tableReading.has_value()) << f.dialog.found;
    EXPECT_EQ(f.lblSubsStim.text(), "There are  5 subjects and  12 stimuli.");
    EXPECT_EQ(f.run(), plainMatrices(testsupport::readFile(
                                         tests + "/e2e/data/five_subjects_twelve_stimuli.txt"),
                                     5, 12));
}

INSTANTIATE_TEST_SUITE_P(StudyWorkbooks, ImportedWorkbook,
                         ::testing::Values("study-subject-rows.xlsx", "study-subject-rows.ods",
                                           "study-stimulus-rows.xlsx", "study-stimulus-rows.ods",
                                           "study-stimulus-words.xlsx", "study-stimulus-words.ods",
                                           "study-long.xlsx", "study-long.ods",
                                           "study-group-rows.xlsx", "study-group-rows.ods"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 c = (c == '-' || c == '.') ? '_' : c;
                             }
                             return name;
                         });

struct Look {
    const char* name;
    std::string text;
    std::optional<std::pair<int, int>> counts;
    bool dialog;
};

class LookAtInput : public ::testing::TestWithParam<Look> {};

// Plain sort data goes on as it always has; a table opens the dialog.
TEST_P(LookAtInput, OpensTheDialogForTablesOnly) {
    const Look& c = GetParam();
    ImportFixture f;
    f.dialog.answer = false;
    f.choose(c.text, c.counts);
    EXPECT_EQ(f.dialog.shown, c.dialog ? 1 : 0);
    EXPECT_FALSE(f.workflow.runState().tableReading.has_value());
    EXPECT_EQ(f.lblIfileInfo.detail(), f.dir.file("study.csv"));
    EXPECT_EQ(f.beeper.count, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LookAtInput,
    ::testing::Values(Look{"PlainLines", "1 1 2\n1 2 2\n", std::pair{2, 3}, false},
                      Look{"PlainWithoutCounts", "1,1,2\n", std::nullopt, false},
                      Look{"Names", "a,b,c\n1,1,2\n", std::nullopt, true},
                      Look{"OneLinePerStimulus", "1 1\n1 2\n2 2\n", std::pair{2, 3}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImportStep, CancelLeavesTheFileAsPlainSortDataAndTheCountsAsTyped) {
    ImportFixture f;
    f.dialog.answer = false;
    f.choose("a,b\n1,2\n", std::pair{4, 5});
    EXPECT_EQ(f.dialog.shown, 1);
    EXPECT_FALSE(f.workflow.runState().tableReading.has_value());
    EXPECT_EQ(f.workflow.runState().numSubjects.text(), "4");
    EXPECT_EQ(f.lblSubsStim.text(), "There are  4 subjects and  5 stimuli.");
}

TEST(ImportStep, StartHereForgetsTheTable) {
    ImportFixture f;
    f.dialog.act = [](ImportModel& m) { m.setLayout(TableLayout::SubjectRows); };
    f.choose("id,a,b,c\nP1,1,1,2\nP2,1,2,2\n");
    ASSERT_TRUE(f.workflow.runState().tableReading.has_value());
    f.prompt.answers = {"1", "2"};
    f.workflow.cmdSubsStimClick();
    EXPECT_FALSE(f.workflow.runState().tableReading.has_value());
}

// The run reads the file again: one changed since its import fails with five beeps and says
// why, rather than writing matrices of another study.
TEST(ImportStep, ATableChangedSinceItsImportFailsTheRun) {
    ImportFixture f;
    f.dialog.act = [](ImportModel& m) { m.setLayout(TableLayout::SubjectRows); };
    f.choose("id,a,b,c\nP1,1,1,2\nP2,1,2,2\n");
    ASSERT_TRUE(f.workflow.runState().tableReading.has_value());
    testsupport::writeFile(f.dir.file("study.csv"), "id,a,b,c\nP1,1,1,2\n");
    EXPECT_EQ(f.run(), std::nullopt);
    EXPECT_EQ(f.beeper.count, 5);
    EXPECT_NE(f.lblStatus.detail().find("select the input file again"), std::string::npos)
        << f.lblStatus.detail();
}

TEST(ImportStep, SavesTheStimulusListButNeverOverTheInput) {
    ImportFixture f;
    std::vector<std::string> results;
    f.dialog.act = [&](ImportModel& m) {
        f.listFiles.confirm(f.dir.file("stimuli.txt"));
        results.push_back(m.saveStimulusList());
        f.listFiles.confirm(f.dir.file("study.csv"));
        results.push_back(m.saveStimulusList());
        f.listFiles.cancel();
        results.push_back(m.saveStimulusList());
    };
    f.choose(",J1,J2\napple,1,1\npear,2,1\n");
    EXPECT_EQ(testsupport::readFile(f.dir.file("stimuli.txt")), "apple\npear\n");
    EXPECT_EQ(testsupport::readFile(f.dir.file("study.csv")), ",J1,J2\napple,1,1\npear,2,1\n");
    ASSERT_EQ(results.size(), 3u);
    EXPECT_NE(results[0].find("saved to"), std::string::npos) << results[0];
    EXPECT_NE(results[1].find("not saved"), std::string::npos) << results[1];
    EXPECT_EQ(results[2], "");
}

} // namespace

namespace {

// Moving one end of the stimulus columns past the other keeps both choices, as the dialog's two
// lists show them, and the study says the range holds no column.
TEST(ImportStep, StimulusColumnEndsKeepTheirChoicesWhenCrossed) {
    ImportFixture f;
    f.dialog.act = [](ImportModel& m) {
        m.setLayout(TableLayout::GroupRows);
        m.setStimulusColumns(3, 2);
        EXPECT_EQ(m.firstStimulusColumn(), 3);
        EXPECT_EQ(m.lastStimulusColumn(), 2);
        EXPECT_FALSE(m.okAllowed());
        m.setStimulusColumns(2, 3);
        EXPECT_TRUE(m.okAllowed()) << m.okRefusal();
    };
    f.choose("subject,pile,a,b\nP1,1,1,0\nP1,2,0,1\n");
    EXPECT_TRUE(f.workflow.runState().tableReading.has_value());
}

} // namespace

namespace {

// A sheet that cannot be read (cells.xlsx's third, "Empty") leaves the others to choose.
TEST(ImportStep, ASheetThatCannotBeReadLeavesTheOthersToChoose) {
    ImportFixture f;
    f.dialog.act = [](ImportModel& m) {
        m.setSheet(2);
        EXPECT_FALSE(m.readError().empty());
        EXPECT_TRUE(m.hasSheets());
        m.setSheet(0);
        EXPECT_EQ(m.readError(), "");
    };
    f.dialog.answer = false;
    f.files.confirm(std::string(DISSIM_TEST_DATA_DIR) + "/data/workbooks/cells.xlsx");
    f.workflow.cmdDataInClick();
    EXPECT_EQ(f.dialog.shown, 1);
}

} // namespace
