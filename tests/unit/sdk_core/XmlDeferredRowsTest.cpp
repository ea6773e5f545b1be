// Record rows left to the save: the file must come out byte for byte as if the rows had been
// built as nodes, whatever the row count, the depth of the group, the text in the rows and the
// way the document is printed.
#include "sdk/XmlDeferredRows.h"

#include "TestFiles.h"
#include "sdk/XmlHelpers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Text that pugixml escapes, a carriage return the save writes as a reference, and characters
// beyond ASCII.
QString cellText(int row) {
    return QStringLiteral("R%1 A&B <C> \"q\" \r\n \u00FC\u6F22 \U0001F600").arg(row);
}

void writeLot(pugi::xml_document& doc, pugi::xml_node group, int row) {
    pugi::xml_node lot = AddXMLLeafNode(doc, group, QStringLiteral("lotmkts"), QString());
    AddXMLLeafNode(doc, lot, QStringLiteral("lot_no"), cellText(row));
    AddXMLLeafNode(doc, lot, QStringLiteral("part_lot_flag"), QString()); // an empty element
}

// A member-like row: nested elements, a group that is empty in every other row.
void writeMember(pugi::xml_document& doc, pugi::xml_node group, int row) {
    pugi::xml_node member = AddXMLLeafNode(doc, group, QStringLiteral("member"), QString());
    AddXMLLeafNode(doc, member, QStringLiteral("member_name"), cellText(row));
    pugi::xml_node roles =
        AddXMLLeafNode(doc, member, QStringLiteral("member_role_group"), QString());
    for (int r = 0; r < row % 2; ++r)
        AddXMLLeafNode(doc, AddXMLLeafNode(doc, roles, QStringLiteral("member_role"), QString()),
                       QStringLiteral("professional_no"), QStringLiteral("P%1").arg(r));
}

// A record with two large groups at different depths, an empty one, and an instruction that
// looks like a placeholder but is the file's own; text of `padding` characters before the groups.
// With `deferred`, the rows are left to it and the lean document is given.
XmlDocPtr buildRecord(int rows, int padding = 0, XmlDeferredRows* deferred = nullptr) {
    std::optional<XmlDeferredRows::Collecting> collecting;
    if (deferred)
        collecting.emplace(*deferred);
    XmlDocPtr doc = CreateXMLDoc();
    AddProcessingInstruction(*doc, QStringLiteral("xml"), QStringLiteral("version=\"1.0\""));
    pugi::xml_node root = GetNode(*doc, *doc, QStringLiteral("krroot"), 1, QString());
    pugi::xml_node lookAlike = root.append_child(pugi::node_pi);
    lookAlike.set_name("kestrel-rows-0000000000000000");
    lookAlike.set_value("0");
    GetNode(*doc, root, QStringLiteral("pad"), 1, QString(padding, QLatin1Char('x')));
    pugi::xml_node project = GetNode(*doc, root, QStringLiteral("project"), 1, QString());
    pugi::xml_node profile =
        GetNode(*doc, project, QStringLiteral("profile"), 1, QStringLiteral("t"));
    WriteRecordRows(*doc, GetNode(*doc, profile, QStringLiteral("lotmkts_group"), 1, QString()),
                    rows, writeLot);
    WriteRecordRows(*doc, GetNode(*doc, profile, QStringLiteral("address_group"), 1, QString()), 0,
                    writeLot);
    WriteRecordRows(*doc, GetNode(*doc, project, QStringLiteral("member_group"), 1, QString()),
                    rows, writeMember);
    GetNode(*doc, project, QStringLiteral("reference_no"), 1, QStringLiteral("A/1"));
    return doc;
}

// One row, a whole batch, a batch and one more, several batches, each printed every way; then,
// since pugixml hands its output on in blocks of a few kilobytes, text of every length before the
// groups, which puts a placeholder across the end of a block somewhere in the range.
TEST(XmlDeferredRows, SavedExactlyAsTheRowsBuiltInPlace) {
    const std::pair<const char*, unsigned> prints[] = {
        {"  ", pugi::format_indent | pugi::format_no_declaration},
        {"\t", pugi::format_indent | pugi::format_indent_attributes},
        {"", pugi::format_raw},
        {"  ", 0}};
    std::vector<std::pair<int, int>> cases = {{1, 0}, {128, 0}, {129, 0}, {300, 0}};
    for (int padding = 1; padding < 4200; padding += 3)
        cases.emplace_back(2, padding);
    for (const auto& [rows, padding] : cases) {
        XmlDeferredRows deferred;
        const XmlDocPtr lean = buildRecord(rows, padding, &deferred);
        // Once the collection is no longer active, rows are built at once again.
        const XmlDocPtr whole = buildRecord(rows, padding);
        ASSERT_FALSE(deferred.IsEmpty());
        ASSERT_EQ(std::string(lean->select_node("//lotmkts_group/*").node().name()), "")
            << "the rows of a deferred group are not held as nodes";
        for (const auto& [indent, flags] :
             std::span(prints).first(padding ? 1 : std::size(prints))) {
            std::ostringstream expected, written;
            whole->save(expected, indent, flags, pugi::encoding_utf8);
            pugi::xml_writer_stream writer(written);
            deferred.Save(*lean, writer, indent, flags);
            ASSERT_EQ(written.str(), expected.str()) << rows << " rows, " << padding << " padding";
        }
    }
}

// Kept after the first save (as when the store then refuses the project), saved again alike.
TEST(XmlDeferredRows, EverySaveOfTheDocumentWritesTheRows) {
    QTemporaryDir box;
    XmlDeferredRows deferred;
    XmlDocPtr lean = buildRecord(3, 0, &deferred);
    XmlDocPtr whole = buildRecord(3);
    ASSERT_EQ(SaveXMLAndReleaseDoc(whole, box.filePath(QStringLiteral("whole.xml")), 1), 0);
    const QByteArray expected = readFile(box.filePath(QStringLiteral("whole.xml")));
    ASSERT_TRUE(expected.contains("R2 A&amp;B &lt;C&gt; \"q\" &#13;"));
    const QString path = box.filePath(QStringLiteral("lean.xml"));
    for (const int release : {0, 1}) {
        ASSERT_EQ(SaveXMLAndReleaseDoc(lean, path, release, &deferred), kXmlSaveOk);
        EXPECT_EQ(readFile(path), expected);
    }
    EXPECT_EQ(lean, nullptr);
}

} // namespace
