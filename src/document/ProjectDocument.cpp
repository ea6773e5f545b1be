#include "document/ProjectDocument.h"

#include "sdk/FileNames.h"

#include <QLoggingCategory>

#include <cstring>
#include <limits>

Q_LOGGING_CATEGORY(lcDocument, "kestrel.document")

namespace {

const QString kRoot = QStringLiteral("krroot");
const QString kProject = QStringLiteral("project");

// A usable record has exactly one root element, krroot. Anything else is someone else's file;
// adding our skeleton beside its root would make it a document no reader accepts.
bool isProjectRecord(const pugi::xml_document& doc) {
    int elements = 0;
    for (pugi::xml_node child : doc.children())
        if (child.type() == pugi::node_element)
            ++elements;
    return elements == 1 && kRoot == QString::fromUtf8(doc.document_element().name());
}

} // namespace

CProjectDocument::CProjectDocument(ProjectParts parts) : m_parts(std::move(parts)) {}

void CProjectDocument::LoadDocument(const QString& path) {
    m_deferredRows.Clear();
    m_pDoc.reset();
    m_pProjectNode = pugi::xml_node();
    m_backupPath.clear();
    m_unusablePath.clear();
    m_strFilePath = path;

    if (path.isEmpty()) {
        m_origin = Origin::NewNoPath;
    } else if (const LocalFileStatus info = StatLocalFile(path); !info.exists) {
        m_origin = Origin::NewMissingFile;
    } else if (!info.isFile) {
        // Told by its status alone: opening a named pipe would wait for a writer, a device
        // may never end.
        m_origin = Origin::ReplacedNotAFile;
    } else if (!info.isReadable) {
        m_origin = Origin::ReplacedUnreadable;
    } else {
        m_pDoc = LoadXMLDoc(path);
        // What the parser takes beyond XML would be written back as it is, where no strict
        // reader takes the file; the project elements need not be looked at, a save rebuilds
        // them.
        const auto isProject = [](pugi::xml_node node) {
            return node.parent().parent().type() == pugi::node_document &&
                   std::strcmp(node.name(), "project") == 0;
        };
        if (!m_pDoc || !IsStrictlyWellFormed(*m_pDoc, isProject)) {
            m_pDoc.reset();
            m_origin = Origin::ReplacedUnparsable;
        } else if (!isProjectRecord(*m_pDoc)) {
            m_pDoc.reset();
            m_origin = Origin::ReplacedForeign;
        } else {
            m_origin = Origin::Loaded;
        }
    }
    if (!m_pDoc) {
        // Opening never touches the file: a view-only or cancelled run leaves the folder as it
        // was. Only a save over it copies it aside first.
        if (m_origin != Origin::NewNoPath && m_origin != Origin::NewMissingFile)
            m_unusablePath = path;
        startNewDocument();
    }

    pugi::xml_document& doc = *m_pDoc;
    pugi::xml_node root = GetNode(doc, doc, kRoot, 1, QString());
    pugi::xml_node authority = GetNode(doc, root, QStringLiteral("authority"), 1, QString());
    GetNode(doc, authority, QStringLiteral("id"), 1, QStringLiteral("ZQAV"));
    pugi::xml_node project = GetNode(doc, root, kProject, 1, QString());
    ReadXml(doc, project);
    shedProjectContent();
}

// Once the pages have read the project, its elements are never read again: a save rebuilds the
// project element from the pages' tables. Keeping them would hold a large record twice, once
// in the file's text and nodes and once in the tables, so the document is copied without them;
// the project elements themselves stay, empty, where they were.
void CProjectDocument::shedProjectContent() {
    pugi::xml_node root = m_pProjectNode.parent();
    if (!root || !m_pProjectNode.first_child())
        return;
    XmlDocPtr lean = CreateXMLDoc();
    pugi::xml_node leanProject;
    for (pugi::xml_node child : m_pDoc->children()) {
        if (child != root) {
            lean->append_copy(child);
            continue;
        }
        pugi::xml_node leanRoot = lean->append_child(root.name());
        for (pugi::xml_attribute attribute : root.attributes())
            leanRoot.append_copy(attribute);
        for (pugi::xml_node part : root.children()) {
            if (part.type() != pugi::node_element || kProject != QString::fromUtf8(part.name())) {
                leanRoot.append_copy(part);
                continue;
            }
            pugi::xml_node emptied = leanRoot.append_child(part.name());
            for (pugi::xml_attribute attribute : part.attributes())
                emptied.append_copy(attribute);
            if (part == m_pProjectNode)
                leanProject = emptied;
        }
    }
    m_pDoc = std::move(lean);
    m_pProjectNode = leanProject;
}

void CProjectDocument::startNewDocument() {
    m_pDoc = CreateXMLDoc();
    AddProcessingInstruction(*m_pDoc, QStringLiteral("xml"), QStringLiteral("version=\"1.0\" "));
    AddProcessingInstruction(*m_pDoc, QStringLiteral("xml-stylesheet"),
                             QStringLiteral("type=\"text/xsl\" href=\"KR_Project.xsl\""));
    AddProcessingInstruction(*m_pDoc, QStringLiteral("filetype"),
                             QStringLiteral("type=\"MasterProfile\""));
}

// The save is about to write a fresh record over the file the user had, so it is copied aside
// first, once per document: a copy with the same content beside it already is reused, and a
// file that is gone by now needs none.
bool CProjectDocument::backUpUnusableFile() {
    if (m_unusablePath.isEmpty() || m_strFilePath != m_unusablePath)
        return true;
    const LocalFileStatus info = StatLocalFile(m_unusablePath);
    if (!info.exists && !info.isSymLink) {
        m_unusablePath.clear();
        return true;
    }
    const std::optional<QByteArray> content =
        ReadLocalFile(m_unusablePath, std::numeric_limits<qint64>::max());
    if (!content)
        return false;
    const QString base = m_unusablePath + QStringLiteral(".bak");
    for (int n = 0; n < 1000; ++n) {
        const QString candidate = n == 0 ? base : base + QLatin1Char('.') + QString::number(n);
        const LocalFileStatus existing = StatLocalFile(candidate);
        if (existing.isSymLink)
            continue;
        if (existing.exists) {
            if (existing.isFile && existing.size == content->size() &&
                ReadLocalFile(candidate, existing.size) == content) {
                m_backupPath = candidate;
                m_unusablePath.clear();
                qCWarning(lcDocument).noquote() << "Unusable file already kept as" << candidate;
                return true;
            }
            continue;
        }
        // The copy is as private as the file it keeps.
        if (SaveBytesAtomically(candidate, *content, info.permissions) != kXmlSaveOk)
            return false;
        qCWarning(lcDocument).noquote()
            << "Unusable file" << m_unusablePath << "copied to" << candidate << "before saving";
        m_backupPath = candidate;
        m_unusablePath.clear();
        return true;
    }
    return false;
}

QString CProjectDocument::ReadXml(pugi::xml_document& doc, pugi::xml_node node) {
    m_pProjectNode = node;
    const QString loadedReference =
        GetNodeText(GetNode(doc, node, QStringLiteral("reference_no"), 1, QString()));
    if (m_parts.setLoadedReference)
        m_parts.setLoadedReference(loadedReference);
    pugi::xml_node profile = GetNode(doc, node, QStringLiteral("profile"), 1, QString());
    if (m_parts.profile)
        m_parts.profile->ReadXml(doc, profile);
    // Members of a second member_group are read too: the next save would drop them otherwise.
    pugi::xml_node members = GetMergedNode(doc, node, QStringLiteral("member_group"));
    if (m_parts.memberGroup)
        m_parts.memberGroup->ReadXml(doc, members);
    return QString();
}

QString CProjectDocument::WriteXml(pugi::xml_document& doc, pugi::xml_node node) {
    pugi::xml_node profile = GetNode(doc, node, QStringLiteral("profile"), 1, QString());
    if (m_parts.profile)
        m_parts.profile->WriteXml(doc, profile);
    pugi::xml_node members = GetNode(doc, node, QStringLiteral("member_group"), 1, QString());
    if (m_parts.memberGroup)
        m_parts.memberGroup->WriteXml(doc, members);
    // Asked only now: the profile's WriteXml is what composes the reference.
    const QString reference = m_parts.composedReference ? m_parts.composedReference() : QString();
    SetNodeText(GetNode(doc, node, QStringLiteral("reference_no"), 1, QString()), reference);
    SetNodeText(GetNode(doc, node, QStringLiteral("project_type_code"), 1, QString()),
                QStringLiteral("0"));
    return QString();
}

bool CProjectDocument::RebuildProjectNode() {
    if (!m_pDoc)
        return false;
    pugi::xml_document& doc = *m_pDoc;
    pugi::xml_node root = m_pProjectNode ? m_pProjectNode.parent() : pugi::xml_node();
    if (!root)
        root = GetNode(doc, doc, kRoot, 1, QString());
    // Every old project element goes, a stray second one from a hand-edited file included, so
    // that the rebuilt one is the only one and GetNode cannot hand back a stale element. They
    // go first: the pages write from their tables, and the memory the old elements held is
    // there for the new ones, so a large record is never held twice.
    while (pugi::xml_node old = GetNode(doc, root, kProject, 0, QString()))
        root.remove_child(old);
    m_pProjectNode = GetNode(doc, root, kProject, 1, QString());
    m_deferredRows.Clear();
    const XmlDeferredRows::Collecting collecting(m_deferredRows);
    WriteXml(doc, m_pProjectNode);
    return true;
}

int CProjectDocument::SaveToFile(int release) {
    if (!m_pDoc)
        return kXmlSaveNoDocument;
    // An empty path with release 1 would drop the document without a word; that is no save.
    if (m_strFilePath.isEmpty())
        return kXmlSaveNoPath;
    if (!backUpUnusableFile())
        return kXmlSaveBackupFailed;
    const int result = SaveXMLAndReleaseDoc(m_pDoc, m_strFilePath, release, &m_deferredRows);
    if (!m_pDoc) {
        m_deferredRows.Clear();
        m_pProjectNode = pugi::xml_node();
        m_origin = Origin::None;
    }
    return result;
}

void CProjectDocument::DropDocument() {
    SaveXMLAndReleaseDoc(m_pDoc, QString(), 1);
    m_deferredRows.Clear();
    m_pProjectNode = pugi::xml_node();
    m_origin = Origin::None;
}
