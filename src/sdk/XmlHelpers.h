#pragma once

// XML helpers over pugixml: the document calls every page makes to read and write the project
// file. Texts cross this boundary as QString and are stored as UTF-8. Paths are file names as
// FileNames.h decodes them: every byte of a name that is not UTF-8 reaches the system.

#include <QAnyStringView>
#include <QString>

#include <pugixml.hpp>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

using XmlDocPtr = std::unique_ptr<pugi::xml_document>;
class XmlDeferredRows;

// Results of SaveXMLAndReleaseDoc other than 0.
enum XmlSaveResult : int {
    kXmlSaveOk = 0,
    kXmlSaveNoDocument = 1,   // a write was asked for but there is no document
    kXmlSaveNoPath = 2,       // empty path without release: nothing to do is not a save
    kXmlSaveBadTarget = 3,    // the path names a folder, or an existing file we may not write
    kXmlSaveWriteFailed = 4,  // temporary file could not be made, written or synced (disk full...)
    kXmlSaveRenameFailed = 5, // the finished temporary file could not replace the target
    kXmlSaveBackupFailed = 6, // an unusable file about to be replaced could not be copied aside
};

// Files larger than this are refused by LoadXMLDoc: no project record comes near it, and a
// hostile file must not be able to exhaust memory.
inline constexpr qint64 kXmlMaxFileBytes = 256LL * 1024 * 1024;
// Elements nested deeper than this make LoadXMLDoc refuse the file; a project record is a few
// levels deep, and nothing that walks the tree later has to fear a hostile depth.
inline constexpr int kXmlMaxDepth = 256;

// `text` as UTF-8 for a document, with every character XML 1.0 forbids (control characters but
// tab and line ends, U+FFFE, U+FFFF, a surrogate without its pair) replaced by U+FFFD. Every text
// this module puts into a document goes through it, so whatever a page stored (a pasted control
// character) can never make a written file unreadable.
std::string XmlTextUtf8(QStringView text);

// A new, empty document.
XmlDocPtr CreateXMLDoc();

// The parsed file, or null on any failure: empty path, missing, not a regular file (never opened:
// a named pipe would wait for a writer), unreadable,
// too large, too deeply nested, or not well-formed. The file's own declaration, processing
// instructions, comments and DOCTYPE are kept, so they survive a save; entities are never
// expanded and nothing external is ever loaded. A text that is only white space is kept when it
// is an element's sole content (a blank field stays blank); indentation between elements is not.
XmlDocPtr LoadXMLDoc(const QString& path);

// Whether every strict reader takes the document as it would be written. The parser is more
// lenient than XML: it takes names that are no XML names, an attribute twice on an element, a
// declaration after other nodes or a second one, a DOCTYPE after the root element, a second one,
// or one whose declarations are no markup, and a save would write them back as they are. Nodes
// for which `skip` answers true are not looked at, nor anything below them (a caller that
// rebuilds them before any save).
bool IsStrictlyWellFormed(const pugi::xml_document& doc,
                          const std::function<bool(pugi::xml_node)>& skip = {});

// Target "xml" makes (or replaces) the XML declaration, always as the document's first node, from
// pseudo-attributes in `data` (e.g. `version="1.0" `). Any other target appends a processing
// instruction at document level. An empty target, or data that would end the instruction
// early ("?>"), adds nothing.
void AddProcessingInstruction(pugi::xml_document& doc, const QString& target, const QString& data);

// The first child element named `name` of `parent` (the document itself may be the parent).
// When there is none and create is nonzero (1), a new one is appended, holding `text` when that is
// not empty. A null parent or an empty name gives a null node.
pugi::xml_node GetNode(pugi::xml_document& doc, pugi::xml_node parent, const QString& name,
                       int create, const QString& text);

// A group element that a file may hold more than once (a hand edit, two exports pasted into
// one): the first child element `name` of `parent`, made when missing, into which the children
// of every further one of that name are moved, in document order; the further ones are removed.
// So whoever reads the group reads every record, and a save writes them all.
pugi::xml_node GetMergedNode(pugi::xml_document& doc, pugi::xml_node parent, const QString& name);

// The text of the first child element `name` (an ASCII name) of `parent`, "" when there is none:
// GetNodeText(GetNode(doc, parent, name, 0, "")) without making a QString of the name, for the
// readers that look up every field of thousands of records.
QString GetChildText(pugi::xml_node parent, const char* name);

// The first child element of `parent` for each of `names` (ASCII), found in one pass over the
// children: found[i] for names[i], null when there is none. For readers of records with many
// fields, where a lookup per field would walk the children again for each one.
void FindChildElements(pugi::xml_node parent, const char* const* names, pugi::xml_node* found,
                       int count);

// All character data inside the node (text and CDATA of every descendant, in document order);
// "" for a null node.
QString GetNodeText(pugi::xml_node node);
// The same text as the document's UTF-8, without making a QString: a view of the node's own text
// where a single text child holds it (the usual field), else of `gathered`, which is filled with
// the texts joined. Valid while the document and `gathered` are left unchanged.
std::string_view GetNodeTextUtf8(pugi::xml_node node, std::string& gathered);
// The same, as a text a record row takes straight into its buffer (RecordRow::AssignCells).
inline QAnyStringView GetNodeTextView(pugi::xml_node node, std::string& gathered) {
    const std::string_view utf8 = GetNodeTextUtf8(node, gathered);
    return QAnyStringView(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Evaluates `xpath` from `context` (the document when context is null). A node-set result gives
// the text of its first node in document order (an attribute gives its value); a string, number
// or boolean result gives its text. Nothing selected, a malformed expression or a failure during
// evaluation gives `defaultText`.
QString GetNodeTextXPath(pugi::xml_document& doc, pugi::xml_node context, const QString& xpath,
                         const QString& defaultText);

// Replaces everything inside an element with one text node (none when `text` is empty); on a
// text node, replaces its value. A null node is ignored.
void SetNodeText(pugi::xml_node node, const QString& text);

// Appends a new child element `name` holding `text`, even when one of that name exists. Null
// parent or empty name: null node.
pugi::xml_node AddXMLLeafNode(pugi::xml_document& doc, pugi::xml_node parent, const QString& name,
                              const QString& text);

// With a non-empty path, writes the document there as UTF-8 with two-blank indentation and
// returns 0 on success. The write is atomic: a temporary file in the same folder is written,
// flushed and synced, given the permissions of the file it replaces (a symbolic link is followed
// and kept), then renamed over it. On any failure the previous file is left untouched, the
// temporary file is removed, the document is kept (even with release 1) and a nonzero
// XmlSaveResult is returned. Exactly the document's own declaration is written (none is added),
// in the form a strict parser takes: version "1.0", a declared encoding other than UTF-8
// corrected to "UTF-8" since that is what is written, standalone only as "yes" or "no". A
// carriage return in text is written as "&#13;", so it reads back as itself rather than as the
// line feed a raw one becomes; elsewhere (comments, CDATA, instructions) it is written as that
// line feed.
// A nonzero release (1) drops the document (doc becomes null) after a successful write, or at once
// when the path is empty. (null doc, "", 1) is a successful no-op.
// Rows that WriteRecordRows left to the save (XmlDeferredRows.h) are written from `deferred`.
int SaveXMLAndReleaseDoc(XmlDocPtr& doc, const QString& path, int release,
                         const XmlDeferredRows* deferred = nullptr);

// Writes `content` to the path in the same atomic way, with the same results (an empty path is
// kXmlSaveNoPath): for the files kept beside a record, and the record put back as it was. A file
// made anew gets newFilePermissions (as in chmod), or with -1 the usual 0666 less the umask.
int SaveBytesAtomically(const QString& path, const QByteArray& content,
                        int newFilePermissions = -1);
