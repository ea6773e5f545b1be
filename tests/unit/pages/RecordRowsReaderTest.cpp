// Large record groups are read in two halves at once, each half told where it starts: a failure
// in either half must reach the caller. (That the halves make the table one reading in order
// would make: through the member group read back cell for cell.)
#include "pages/RecordRowsReader.h"

#include "sdk/XmlHelpers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace kestrel;

TEST(RecordRowsReader, AFailureInEitherHalfReachesTheCaller) {
    const XmlDocPtr doc = CreateXMLDoc();
    pugi::xml_node group = doc->append_child("group");
    for (int i = 0; i < 2 * kParallelReadFrom + 1; ++i)
        group.append_child("r");
    const std::vector<pugi::xml_node> records = RecordsOf(group, "r");
    for (const size_t failing : {size_t(3), records.size() - 3}) {
        const auto read = [failing](std::span<const pugi::xml_node> part, size_t first,
                                    RecordTable&) {
            if (failing >= first && failing < first + part.size())
                throw std::runtime_error("unreadable record");
        };
        EXPECT_THROW(ReadRecordRows(records, 2, read), std::runtime_error) << failing;
    }
}
