#include "sdk/XmlDeferredRows.h"

#include <QRandomGenerator>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

thread_local XmlDeferredRows* tCollecting = nullptr;

// Rows built as nodes at a time: enough that each batch's nodes are a few pages of pugixml's
// allocator, few enough that they stay a few hundred kilobytes whatever the record's size.
constexpr int kRowsPerBatch = 128;
// Output gathered before it is handed on: a row is a few hundred bytes, and the file writer
// makes a system call for every block it is given.
constexpr size_t kOutputBlock = 64 * 1024;

// Gathers output into blocks for the writer underneath.
class BlockWriter {
public:
    explicit BlockWriter(pugi::xml_writer& out) : m_out(out) { m_block.reserve(kOutputBlock); }
    void Write(const char* data, size_t size) {
        m_block.append(data, size);
        if (m_block.size() >= kOutputBlock)
            Flush();
    }
    void Flush() {
        if (!m_block.empty())
            m_out.write(m_block.data(), m_block.size());
        m_block.clear();
    }

private:
    pugi::xml_writer& m_out;
    std::string m_block;
};

// A group's rows, each printed on its own as pugixml prints a node: its indentation first and a
// line end after it. Where the placeholder stood, the document's own output already holds the
// first row's indentation and the last row's line end, so those two are left out.
class RowsWriter : public pugi::xml_writer {
public:
    RowsWriter(BlockWriter& out, size_t leadingIndent, bool trailingLineEnd)
        : m_out(out), m_skip(leadingIndent), m_holdLast(trailingLineEnd) {}

    void write(const void* data, size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        const size_t skipped = std::min(m_skip, size);
        bytes += skipped;
        size -= skipped;
        m_skip -= skipped;
        if (size == 0)
            return;
        if (!m_holdLast) {
            m_out.Write(bytes, size);
            return;
        }
        if (m_holding)
            m_out.Write(&m_held, 1);
        m_out.Write(bytes, size - 1);
        m_held = bytes[size - 1];
        m_holding = true;
    }

private:
    BlockWriter& m_out;
    size_t m_skip;
    bool m_holdLast;
    char m_held = 0;
    bool m_holding = false;
};

// The depth pugixml prints a node at: the number of elements around it.
unsigned depthOf(pugi::xml_node node) {
    unsigned depth = 0;
    for (pugi::xml_node up = node.parent(); up && up.type() == pugi::node_element; up = up.parent())
        ++depth;
    return depth;
}

} // namespace

// Passes the document's output on, and writes a group's rows in place of its placeholder. The
// document's own output is small (the rows are written past it), so it is searched as it comes.
class XmlDeferredRows::SplicingWriter : public pugi::xml_writer {
public:
    SplicingWriter(const XmlDeferredRows& rows, pugi::xml_writer& out, const char* indent,
                   unsigned flags)
        : m_rows(rows), m_out(out), m_indent(indent), m_flags(flags),
          m_marker("<?" + rows.m_target + " ") {}

    void write(const void* data, size_t size) override {
        m_pending.append(static_cast<const char*>(data), size);
        size_t done = 0;
        for (;;) {
            const size_t at = m_pending.find(m_marker, done);
            if (at == std::string::npos)
                break;
            const size_t close = m_pending.find("?>", at + m_marker.size());
            if (close == std::string::npos) {
                // The rest of the placeholder comes with the next block.
                m_out.Write(m_pending.data() + done, at - done);
                m_pending.erase(0, at);
                return;
            }
            m_out.Write(m_pending.data() + done, at - done);
            const std::string_view index(m_pending.data() + at + m_marker.size(),
                                         close - at - m_marker.size());
            writeGroup(index);
            done = close + 2;
        }
        // A placeholder may begin in the last few bytes and go on in the next block.
        size_t keep = m_pending.size();
        const size_t tail =
            std::max(done, m_pending.size() - std::min(m_pending.size(), m_marker.size() - 1));
        for (size_t i = tail; i < m_pending.size(); ++i) {
            if (m_pending[i] == '<' &&
                m_marker.compare(0, m_pending.size() - i, m_pending, i) == 0) {
                keep = i;
                break;
            }
        }
        m_out.Write(m_pending.data() + done, keep - done);
        m_pending.erase(0, keep);
    }

    void Finish() {
        m_out.Write(m_pending.data(), m_pending.size());
        m_pending.clear();
        m_out.Flush();
    }

private:
    void writeGroup(std::string_view index) {
        size_t at = 0;
        const auto parsed = std::from_chars(index.data(), index.data() + index.size(), at);
        if (parsed.ec != std::errc() || parsed.ptr != index.data() + index.size() ||
            at >= m_rows.m_groups.size())
            return;
        const Group& group = m_rows.m_groups[at];
        const unsigned depth = depthOf(group.placeholder);
        const bool lineEnds = (m_flags & pugi::format_raw) == 0;
        const bool indented =
            lineEnds && (m_flags & (pugi::format_indent | pugi::format_indent_attributes)) != 0;
        RowsWriter rows(m_out, indented ? std::strlen(m_indent) * depth : 0, lineEnds);
        const char* groupName = group.placeholder.parent().name();
        pugi::xml_document batch;
        for (int first = 0; first < group.count; first += kRowsPerBatch) {
            batch.reset();
            pugi::xml_node parent = batch.append_child(groupName);
            const int end = std::min(group.count, first + kRowsPerBatch);
            for (int row = first; row < end; ++row)
                group.write(batch, parent, row);
            for (pugi::xml_node child : parent.children())
                child.print(rows, m_indent, m_flags, pugi::encoding_utf8, depth);
        }
    }

    const XmlDeferredRows& m_rows;
    BlockWriter m_out;
    const char* m_indent;
    unsigned m_flags;
    const std::string m_marker;
    std::string m_pending;
};

XmlDeferredRows::XmlDeferredRows() {
    char token[17];
    std::snprintf(token, sizeof token, "%016llx",
                  static_cast<unsigned long long>(QRandomGenerator::system()->generate64()));
    m_target = std::string("kestrel-rows-") + token;
}

XmlDeferredRows::Collecting::Collecting(XmlDeferredRows& rows) : m_previous(tCollecting) {
    tCollecting = &rows;
}

XmlDeferredRows::Collecting::~Collecting() {
    tCollecting = m_previous;
}

void XmlDeferredRows::Save(const pugi::xml_document& doc, pugi::xml_writer& writer,
                           const char* indent, unsigned flags) const {
    if (m_groups.empty()) {
        doc.save(writer, indent, flags, pugi::encoding_utf8);
        return;
    }
    SplicingWriter splicing(*this, writer, indent, flags);
    doc.save(splicing, indent, flags, pugi::encoding_utf8);
    splicing.Finish();
}

void WriteRecordRows(pugi::xml_document& doc, pugi::xml_node group, int count,
                     XmlDeferredRows::RowWriter write) {
    if (!group || count <= 0)
        return;
    if (XmlDeferredRows* rows = tCollecting) {
        pugi::xml_node placeholder = group.append_child(pugi::node_pi);
        placeholder.set_name(rows->m_target.c_str());
        placeholder.set_value(std::to_string(rows->m_groups.size()).c_str());
        rows->m_groups.push_back({placeholder, count, std::move(write)});
        return;
    }
    for (int row = 0; row < count; ++row)
        write(doc, group, row);
}
