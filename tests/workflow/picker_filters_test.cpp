// The shared dialog's filter list as the web page's file choices take it: which patterns become
// extensions the browsers' pickers can offer, and the selected entry first.

#include "picker_filters.h"

#include "test_names.h"

#include <gtest/gtest.h>

namespace {

using dissim::ui::FileDialogRequest;
using dissim::ui::web::pickerExtensions;
using dissim::ui::web::pickerFilters;

struct Pattern {
    const char* name;
    std::string pattern;
    std::string extensions;
};

class PickerExtensions : public ::testing::TestWithParam<Pattern> {};

TEST_P(PickerExtensions, AreTheExtensionsOfStarDotPatternsOnly) {
    EXPECT_EQ(pickerExtensions(GetParam().pattern), GetParam().extensions);
}

INSTANTIATE_TEST_SUITE_P(
    , PickerExtensions,
    ::testing::Values(Pattern{"OneExtension", "*.txt", ".txt"},
                      Pattern{"SeveralWithSpaces", " *.txt ;*.dat", ".txt,.dat"},
                      Pattern{"EveryFile", "*.*", ""}, Pattern{"Star", "*", ""},
                      Pattern{"Empty", "", ""}, Pattern{"AName", "codes.txt", ""},
                      Pattern{"WildcardInTheExtension", "*.tx?", ""},
                      Pattern{"TwoDots", "*.tar.gz", ""},
                      Pattern{"OneOfSeveralTakesEveryFile", "*.txt;*.*", ""},
                      Pattern{"EmptyEntry", "*.txt;", ""}),
    testsupport::ByName{});

TEST(PickerFilters, PutTheSelectedEntryFirstAndKeepTheOthersInOrder) {
    FileDialogRequest request;
    request.filters = {
        {"All Files (*.*) ", "*.*"}, {"Text Files (*.txt) ", "*.txt"}, {"Data", "*.dat;*.csv"}};
    request.selectedFilter = 1;
    EXPECT_EQ(pickerFilters(request),
              "Text Files (*.txt) \n.txt\nAll Files (*.*) \n\nData\n.dat,.csv\n");
    request.selectedFilter = -1;
    EXPECT_EQ(pickerFilters(request),
              "All Files (*.*) \n\nText Files (*.txt) \n.txt\nData\n.dat,.csv\n");
    request.filters.clear();
    EXPECT_EQ(pickerFilters(request), "");
}

} // namespace
