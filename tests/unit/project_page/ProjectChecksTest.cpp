#include "pages/project/ProjectChecks.h"

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

ProjectCheckValues ValidValues() {
    ProjectCheckValues v;
    v.professionalNo = "A123";
    v.serialNo = "00042";
    v.year = "2002";
    v.title = "New block";
    v.commencement = QDateTime(QDate(2002, 3, 4), QTime(10, 0));
    v.completion = QDateTime(QDate(2003, 3, 4), QTime(10, 0));
    v.category = "NEW ERECTION";
    v.classification = "COMMERCIAL";
    v.landOwnership = "STATE LAND";
    v.hasLocationRecord = true;
    return v;
}

std::vector<int> Ids(const QList<ProjectCheckFailure>& failures) {
    std::vector<int> ids;
    for (const auto& f : failures) {
        ids.push_back(f.controlId);
    }
    return ids;
}

} // namespace

TEST(ProjectChecks, ValidValuesPass) {
    ProjectCheckValues v = ValidValues();
    EXPECT_TRUE(RunProjectChecks(v).isEmpty());
}

TEST(ProjectChecks, EachReferencePartIsRequiredAndFocusesTheSerial) {
    for (QString ProjectCheckValues::*part :
         {&ProjectCheckValues::professionalNo, &ProjectCheckValues::serialNo,
          &ProjectCheckValues::year}) {
        ProjectCheckValues v = ValidValues();
        v.*part = QString();
        const auto failures = RunProjectChecks(v);
        ASSERT_EQ(failures.size(), 1);
        EXPECT_EQ(failures[0].message, "Invalid project reference number\n");
        EXPECT_EQ(failures[0].controlId, 1001);
        EXPECT_FALSE(failures[0].onLotPage);
    }
}

TEST(ProjectChecks, TitleIsTrimmedAndABlankOneFails) {
    ProjectCheckValues v = ValidValues();
    v.title = "  \t Block A \n ";
    EXPECT_TRUE(RunProjectChecks(v).isEmpty());
    EXPECT_EQ(v.title, "Block A");

    v.title = "    ";
    const auto failures = RunProjectChecks(v);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].message, "Project title is mandatory\n");
    EXPECT_EQ(failures[0].controlId, 1004);
    EXPECT_EQ(v.title, "");
}

TEST(ProjectChecks, EqualDatesPassAndAnEarlierCompletionFails) {
    ProjectCheckValues v = ValidValues();
    v.completion = v.commencement;
    EXPECT_TRUE(RunProjectChecks(v).isEmpty());

    v.completion = v.commencement.addDays(-1);
    const auto failures = RunProjectChecks(v);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].message,
              "Project completion date must be later than the commencement date\n");
    EXPECT_EQ(failures[0].controlId, 1006);

    // The time of day counts too.
    v.completion = v.commencement.addSecs(-1);
    EXPECT_EQ(RunProjectChecks(v).size(), 1);
}

TEST(ProjectChecks, TheThreeListsEachHaveTheirMessageAndControl) {
    ProjectCheckValues v = ValidValues();
    v.classification.clear();
    auto failures = RunProjectChecks(v);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].message, "Project classification is mandatory\n");
    EXPECT_EQ(failures[0].controlId, 1007);

    v = ValidValues();
    v.landOwnership.clear();
    failures = RunProjectChecks(v);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].message, "Project land ownership is mandatory\n");
    EXPECT_EQ(failures[0].controlId, 1008);

    // All three: three messages in order, the category chooses the focus.
    v = ValidValues();
    v.category.clear();
    v.classification.clear();
    v.landOwnership.clear();
    failures = RunProjectChecks(v);
    EXPECT_EQ(JoinCheckMessages(failures), "Project category is mandatory\n"
                                           "Project classification is mandatory\n"
                                           "Project land ownership is mandatory\n");
    EXPECT_EQ(Ids(failures), (std::vector<int>{1054, 1007, 1008}));
}

TEST(ProjectChecks, NoLocationRecordPointsAtTheLotPage) {
    ProjectCheckValues v = ValidValues();
    v.hasLocationRecord = false;
    const auto failures = RunProjectChecks(v);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].message,
              "One of the Project MK/TS or Address or Site info is required\n");
    EXPECT_EQ(failures[0].controlId, 1018);
    EXPECT_TRUE(failures[0].onLotPage);
}

TEST(ProjectChecks, EverythingMissingListsAllSevenInOrder) {
    ProjectCheckValues v;
    v.commencement = QDateTime(QDate(2002, 1, 2), QTime(0, 0));
    v.completion = QDateTime(QDate(2002, 1, 1), QTime(0, 0));
    const auto failures = RunProjectChecks(v);
    EXPECT_EQ(Ids(failures), (std::vector<int>{1001, 1004, 1006, 1054, 1007, 1008, 1018}));
    EXPECT_EQ(JoinCheckMessages(failures),
              "Invalid project reference number\n"
              "Project title is mandatory\n"
              "Project completion date must be later than the commencement date\n"
              "Project category is mandatory\n"
              "Project classification is mandatory\n"
              "Project land ownership is mandatory\n"
              "One of the Project MK/TS or Address or Site info is required\n");
}
