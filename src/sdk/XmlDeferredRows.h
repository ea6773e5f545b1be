#pragma once

// The rows of a record group written while the document is saved, instead of being built as
// nodes beforehand. Tens of thousands of records held as pugixml nodes cost several times their
// tables (every name and text copied into a node of its own); written a small batch at a time
// they cost a few kilobytes beyond the tables.
//
// While a collection is active on this thread (see Collecting), WriteRecordRows leaves one
// placeholder in the group and keeps the row writer. SaveXMLAndReleaseDoc, given the collection,
// writes each group's rows where its placeholder stands, byte for byte as pugixml writes the same
// nodes built in place. With no collection active, WriteRecordRows appends the rows at once.

#include <pugixml.hpp>

#include <functional>
#include <string>
#include <vector>

class XmlDeferredRows {
public:
    // Appends row `row` to `group`, an element of `doc`, as one or more elements (no text).
    using RowWriter = std::function<void(pugi::xml_document& doc, pugi::xml_node group, int row)>;

    XmlDeferredRows();
    XmlDeferredRows(const XmlDeferredRows&) = delete;
    XmlDeferredRows& operator=(const XmlDeferredRows&) = delete;

    // Makes `rows` the collection WriteRecordRows defers to on this thread while it lives.
    class Collecting {
    public:
        explicit Collecting(XmlDeferredRows& rows);
        ~Collecting();
        Collecting(const Collecting&) = delete;
        Collecting& operator=(const Collecting&) = delete;

    private:
        XmlDeferredRows* m_previous;
    };

    // Forgets every group: their placeholders now stand for nothing.
    void Clear() { m_groups.clear(); }
    bool IsEmpty() const { return m_groups.empty(); }

    // What doc.save(writer, indent, flags, pugi::encoding_utf8) writes, with each group's rows
    // where its placeholder stands.
    void Save(const pugi::xml_document& doc, pugi::xml_writer& writer, const char* indent,
              unsigned flags) const;

private:
    friend void WriteRecordRows(pugi::xml_document& doc, pugi::xml_node group, int count,
                                XmlDeferredRows::RowWriter write);
    class SplicingWriter;

    struct Group {
        pugi::xml_node placeholder;
        int count = 0;
        RowWriter write;
    };

    // The placeholder is an instruction whose target carries a random token: no file can hold
    // one that is taken for it.
    std::string m_target;
    std::vector<Group> m_groups;
};

// Appends `count` rows to `group` through `write`, or, while a collection is active on this
// thread, leaves them to the save (see above). The writer may be called at any time until the
// collection is cleared, so it holds what it writes (a copy of a table costs nothing until
// either side changes).
void WriteRecordRows(pugi::xml_document& doc, pugi::xml_node group, int count,
                     XmlDeferredRows::RowWriter write);
