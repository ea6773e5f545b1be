#include "sdk/StringTable.h"

#include <gtest/gtest.h>

// The texts the program shows must be exactly those of the table, typos and escapes included.
TEST(StringTable, MessagesAndCaptionsAreExact) {
    EXPECT_EQ(GetRCString(101), QStringLiteral("&About Kestrel..."));
    EXPECT_EQ(GetRCString(113), QStringLiteral("Confirm delete selected record?"));
    EXPECT_EQ(GetRCString(122), QStringLiteral("Input Error"));
    EXPECT_EQ(GetRCString(123), QStringLiteral("Are you sure you want to abort changes?"));
    EXPECT_EQ(GetRCString(128),
              QStringLiteral("Data has been edited.\nDo you want to discard changes?"));
    EXPECT_EQ(GetRCString(129), QStringLiteral("Alert"));
    EXPECT_EQ(GetRCString(143),
              QStringLiteral("\nYou have not appointed a Project Coordinator.\nPlease appoint one "
                             "before you can save the project information.\n"));
    EXPECT_EQ(GetRCString(153),
              QStringLiteral("Error: Duplicate project reference number.\nChange the project "
                             "reference serial number and retry saving"));
    EXPECT_EQ(GetRCString(177), QStringLiteral("The member cannot be the Project Co-ordinator. "
                                               "Check the member roles."));
}

TEST(StringTable, TooltipsAreExact) {
    EXPECT_EQ(GetRCString(1004), QStringLiteral("Summary of project (do not include location "
                                                "details) [MANDATORY Max. 1000 chars]"));
    EXPECT_EQ(GetRCString(1007), QStringLiteral("Select project classification[MANDATORY]"));
    EXPECT_EQ(GetRCString(1022), QStringLiteral("OPTIONAL Max. 10 apha-numeric chars"));
    EXPECT_EQ(GetRCString(1055), QStringLiteral("Save && Quit"));
    EXPECT_EQ(GetRCString(1056), QStringLiteral("Quit without saving"));
    EXPECT_EQ(GetRCString(1066), QStringLiteral("Click to copy contact's data to member details."));
}

TEST(StringTable, UnknownIdsGiveEmptyText) {
    // Frames and group boxes have no tooltip; ids nobody defined give "" too.
    for (int id : {0, -1, 100, 124, 1003, 1031, 1043, 1062, 1063, 99999})
        EXPECT_TRUE(GetRCString(id).isEmpty()) << id;
}
