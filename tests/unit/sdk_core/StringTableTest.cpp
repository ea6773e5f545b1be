#include "sdk/StringTable.h"

#include <gtest/gtest.h>

// The texts the program shows must be exactly those of the table, typos and escapes included.
TEST(StringTable, TextsAreExactAndUnknownIdsEmpty) {
    EXPECT_EQ(GetRCString(128),
              QStringLiteral("Data has been edited.\nDo you want to discard changes?"));
    EXPECT_EQ(GetRCString(153),
              QStringLiteral("Error: Duplicate project reference number.\nChange the project "
                             "reference serial number and retry saving"));
    EXPECT_EQ(GetRCString(1022), QStringLiteral("OPTIONAL Max. 10 apha-numeric chars"));
    EXPECT_EQ(GetRCString(1055), QStringLiteral("Save && Quit"));
    for (int id : {0, -1, 124, 1003, 99999})
        EXPECT_TRUE(GetRCString(id).isEmpty()) << id;
}
