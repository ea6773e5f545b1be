#include "sdk/XmlHelpers.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <exception>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string utf8(const QString& text) {
    return text.toStdString();
}

QString fromUtf8(const char* text) {
    return QString::fromUtf8(text);
}

bool isText(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// Next node of a pre-order walk below `root`, or null when the walk is done. Iterative, so depth
// never costs stack.
pugi::xml_node nextInWalk(pugi::xml_node node, pugi::xml_node root) {
    if (node.first_child())
        return node.first_child();
    while (node && node != root) {
        if (node.next_sibling())
            return node.next_sibling();
        node = node.parent();
    }
    return pugi::xml_node();
}

bool tooDeep(const pugi::xml_document& doc) {
    int depth = 0;
    pugi::xml_node node = doc.first_child();
    while (node) {
        if (node.first_child()) {
            if (++depth > kXmlMaxDepth)
                return true;
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            --depth;
            if (node == doc)
                return false;
        }
        if (node)
            node = node.next_sibling();
    }
    return false;
}

pugi::xml_node declarationOf(pugi::xml_document& doc) {
    for (pugi::xml_node child : doc.children())
        if (child.type() == pugi::node_declaration)
            return child;
    return pugi::xml_node();
}

struct ByteWriter : pugi::xml_writer {
    QByteArray bytes;
    void write(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
};

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Temporary file beside the target, written, synced and renamed over it, so the target holds
// either its old bytes or all of the new ones, never a mix.
int writeAtomically(const QString& path, const QByteArray& bytes) {
    QString target = path;
    const QFileInfo given(path);
    if (given.isSymLink() && !given.symLinkTarget().isEmpty())
        target = given.symLinkTarget();
    const QFileInfo info(target);
    const QByteArray targetName = QFile::encodeName(info.absoluteFilePath());

    struct stat existing {};
    const bool exists = ::stat(targetName.constData(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || ::access(targetName.constData(), W_OK) != 0))
        return kXmlSaveBadTarget;

    QByteArray tempName = QFile::encodeName(info.absolutePath()) + "/.kestrel-save-XXXXXX";
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return kXmlSaveWriteFailed;

    const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0;
    if (ok && exists && existing.st_uid != ::geteuid()) {
        // Keep the owner when we are allowed to (root editing another user's file); failing is
        // fine, the file then belongs to whoever saved it, as with any editor.
        [[maybe_unused]] const int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(tempName.constData());
        return kXmlSaveWriteFailed;
    }
    if (::rename(tempName.constData(), targetName.constData()) != 0) {
        ::unlink(tempName.constData());
        return kXmlSaveRenameFailed;
    }
    // Make the rename itself durable; a failure here cannot be undone, so it is not reported.
    const int dirFd = ::open(QFile::encodeName(info.absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return kXmlSaveOk;
}

} // namespace

XmlDocPtr CreateXMLDoc() {
    return std::make_unique<pugi::xml_document>();
}

XmlDocPtr LoadXMLDoc(const QString& path) {
    if (path.isEmpty())
        return nullptr;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable() || info.size() > kXmlMaxFileBytes)
        return nullptr;

    try {
        auto doc = std::make_unique<pugi::xml_document>();
        // parse_full keeps the declaration, processing instructions, comments and the DOCTYPE
        // node; pugixml never expands DTD entities or fetches anything. parse_ws_pcdata_single
        // keeps a field that holds only blanks.
        const unsigned flags = pugi::parse_full | pugi::parse_ws_pcdata_single;
        const pugi::xml_parse_result result = doc->load_file(
            QFile::encodeName(info.absoluteFilePath()).constData(), flags, pugi::encoding_auto);
        if (!result || !doc->document_element() || tooDeep(*doc))
            return nullptr;
        return doc;
    } catch (const std::exception&) {
        return nullptr;
    }
}

void AddProcessingInstruction(pugi::xml_document& doc, const QString& target, const QString& data) {
    if (target.isEmpty() || data.contains(QStringLiteral("?>")))
        return;
    if (target == QStringLiteral("xml")) {
        pugi::xml_node decl = declarationOf(doc);
        if (!decl)
            decl = doc.prepend_child(pugi::node_declaration);
        else
            while (decl.first_attribute())
                decl.remove_attribute(decl.first_attribute());
        static const QRegularExpression pseudoAttribute(
            QStringLiteral(R"re(([A-Za-z_][\w.:-]*)\s*=\s*(?:"([^"]*)"|'([^']*)'))re"));
        auto it = pseudoAttribute.globalMatch(data);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const QString value = m.capturedStart(2) >= 0 ? m.captured(2) : m.captured(3);
            decl.append_attribute(utf8(m.captured(1)).c_str()).set_value(utf8(value).c_str());
        }
        return;
    }
    pugi::xml_node pi = doc.append_child(pugi::node_pi);
    pi.set_name(utf8(target).c_str());
    pi.set_value(utf8(data).c_str());
}

pugi::xml_node GetNode(pugi::xml_document& doc, pugi::xml_node parent, const QString& name,
                       int create, const QString& text) {
    Q_UNUSED(doc);
    if (!parent || name.isEmpty())
        return pugi::xml_node();
    const std::string wanted = utf8(name);
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && wanted == child.name())
            return child;
    if (create == 0)
        return pugi::xml_node();
    pugi::xml_node made = parent.append_child(wanted.c_str());
    if (!text.isEmpty())
        made.append_child(pugi::node_pcdata).set_value(utf8(text).c_str());
    return made;
}

QString GetNodeText(pugi::xml_node node) {
    if (!node)
        return QString();
    if (isText(node))
        return fromUtf8(node.value());
    // The usual leaf: one text child.
    pugi::xml_node first = node.first_child();
    if (first && !first.next_sibling() && isText(first))
        return fromUtf8(first.value());
    std::string all;
    for (pugi::xml_node n = first; n; n = nextInWalk(n, node))
        if (isText(n))
            all += n.value();
    return QString::fromStdString(all);
}

QString GetNodeTextXPath(pugi::xml_document& doc, pugi::xml_node context, const QString& xpath,
                         const QString& defaultText) {
    if (xpath.isEmpty())
        return defaultText;
    const pugi::xml_node from = context ? context : pugi::xml_node(doc);
    try {
        const pugi::xpath_query query(utf8(xpath).c_str());
        if (!query)
            return defaultText;
        if (query.return_type() != pugi::xpath_type_node_set)
            return QString::fromStdString(query.evaluate_string(from));
        const pugi::xpath_node found = query.evaluate_node(from);
        if (found.attribute())
            return fromUtf8(found.attribute().value());
        if (found.node())
            return GetNodeText(found.node());
        return defaultText;
    } catch (const std::exception&) {
        return defaultText;
    }
}

void SetNodeText(pugi::xml_node node, const QString& text) {
    if (!node)
        return;
    if (isText(node)) {
        node.set_value(utf8(text).c_str());
        return;
    }
    if (node.type() != pugi::node_element)
        return;
    while (node.first_child())
        node.remove_child(node.first_child());
    if (!text.isEmpty())
        node.append_child(pugi::node_pcdata).set_value(utf8(text).c_str());
}

pugi::xml_node AddXMLLeafNode(pugi::xml_document& doc, pugi::xml_node parent, const QString& name,
                              const QString& text) {
    Q_UNUSED(doc);
    if (!parent || name.isEmpty())
        return pugi::xml_node();
    pugi::xml_node made = parent.append_child(utf8(name).c_str());
    if (!text.isEmpty())
        made.append_child(pugi::node_pcdata).set_value(utf8(text).c_str());
    return made;
}

int SaveXMLAndReleaseDoc(XmlDocPtr& doc, const QString& path, int release) {
    if (path.isEmpty()) {
        if (release == 0)
            return doc ? kXmlSaveNoPath : kXmlSaveNoDocument;
        doc.reset();
        return kXmlSaveOk;
    }
    if (!doc)
        return kXmlSaveNoDocument;

    // What is written is UTF-8; a declaration that says otherwise would make readers misread it.
    if (pugi::xml_node decl = declarationOf(*doc)) {
        pugi::xml_attribute encoding = decl.attribute("encoding");
        const QString declared = fromUtf8(encoding.value()).toLower();
        if (encoding && declared != QStringLiteral("utf-8") && declared != QStringLiteral("utf8"))
            encoding.set_value("UTF-8");
    }

    ByteWriter writer;
    try {
        doc->save(writer, "  ", pugi::format_indent | pugi::format_no_declaration,
                  pugi::encoding_utf8);
    } catch (const std::exception&) {
        return kXmlSaveWriteFailed;
    }
    const int result = writeAtomically(path, writer.bytes);
    if (result == kXmlSaveOk && release != 0)
        doc.reset();
    return result;
}
