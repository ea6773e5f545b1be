#include "pages/RecordRowsReader.h"

#include <future>
#include <system_error>
#include <thread>

namespace kestrel {

std::vector<pugi::xml_node> RecordsOf(pugi::xml_node group, const char* name) {
    std::vector<pugi::xml_node> records;
    for (pugi::xml_node record : group.children(name))
        records.push_back(record);
    return records;
}

RecordTable ReadRecordRows(std::span<const pugi::xml_node> records, int columnCount,
                           const ReadRecords& read) {
    RecordTable table(columnCount);
    if (records.size() < static_cast<size_t>(kParallelReadFrom) ||
        std::thread::hardware_concurrency() < 2) {
        read(records, 0, table);
        return table;
    }
    const size_t half = records.size() / 2;
    RecordTable second(columnCount);
    std::future<void> later;
    try {
        later = std::async(std::launch::async, [&] { read(records.subspan(half), half, second); });
    } catch (const std::system_error&) {
        // No thread to be had: all of it here, as for a small group.
        read(records, 0, table);
        return table;
    }
    // Should this half throw, the future waits for the other before the exception goes on.
    read(records.first(half), 0, table);
    later.get();
    table.AppendRows(std::move(second));
    return table;
}

} // namespace kestrel
