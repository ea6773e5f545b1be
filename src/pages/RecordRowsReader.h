#pragma once
// Reading the records of a group into a page's table. Opening a large project file is mostly
// this, and every record is read on its own, so a large group is read in two halves at once.

#include "controls/RecordTable.h"
#include "sdk/XmlHelpers.h"

#include <pugixml.hpp>

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Groups with at least this many records are read in two halves at once; below it a second
// thread costs more than it saves.
inline constexpr int kParallelReadFrom = 1024;

// The children of `group` named `name`, in document order.
std::vector<pugi::xml_node> RecordsOf(pugi::xml_node group, const char* name);

// Appends one row to `into` for each of `records`, in order. For a large group it runs on two
// threads at once, each with half of the records: it may read the document, must keep its
// lookups to itself (a CCodeDescriptions of its own) and may write only to `into` and to what
// belongs to its own records. `first` is the index of records[0] among all the group's records.
using ReadRecords =
    std::function<void(std::span<const pugi::xml_node> records, size_t first, RecordTable& into)>;

// The fields of one record at a time, by their index in `names` (the order files give them):
// Find looks for all of them in one pass over the record's children, and each text is a view
// that stays valid until the next Find.
template <int N> class RecordFields {
public:
    explicit RecordFields(const char* const (&names)[N]) : m_names(names) {}
    void Find(pugi::xml_node record) { FindChildElements(record, m_names, m_found, N); }
    QAnyStringView Text(int field) { return GetNodeTextView(m_found[field], m_gathered[field]); }
    std::string_view Utf8(int field) { return GetNodeTextUtf8(m_found[field], m_gathered[field]); }

private:
    const char* const (&m_names)[N];
    pugi::xml_node m_found[N];
    std::string m_gathered[N];
};

// `records` read by `read` into a table of `columnCount` columns, in order.
RecordTable ReadRecordRows(std::span<const pugi::xml_node> records, int columnCount,
                           const ReadRecords& read);

} // namespace kestrel
