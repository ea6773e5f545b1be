#include "sdk/XmlHelpers.h"

#include "sdk/FileNames.h"
#include "sdk/SdkLog.h"
#include "sdk/XmlDeferredRows.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace {

std::string utf8(const QString& text) {
    return XmlTextUtf8(text);
}

QString fromUtf8(const char* text) {
    return QString::fromUtf8(text);
}

// Whether an element's UTF-8 name is `name`. Element names are nearly always ASCII, which is
// compared as it stands; asked for every field of every record, this must not allocate.
bool sameName(const char* element, const QString& name) {
    const qsizetype length = name.size();
    const QChar* wanted = name.constData();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = wanted[i].unicode();
        if (c >= 0x80 || c == 0)
            return c != 0 && name.toUtf8() == element;
        if (static_cast<unsigned char>(element[i]) != c)
            return false; // also ends at the element name's terminating 0
    }
    return element[length] == 0;
}

bool isText(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// Next node of a pre-order walk below `root`, or null when the walk is done. Iterative, so depth
// never costs stack.
// The node a pre-order walk below `root` reaches after all of `node`'s subtree, or null.
pugi::xml_node pastSubtree(pugi::xml_node node, pugi::xml_node root) {
    while (node && node != root) {
        if (node.next_sibling())
            return node.next_sibling();
        node = node.parent();
    }
    return pugi::xml_node();
}

pugi::xml_node nextInWalk(pugi::xml_node node, pugi::xml_node root) {
    if (node.first_child())
        return node.first_child();
    return pastSubtree(node, root);
}

// The first `what` at or after `from`, or `end`.
const char* findText(const char* from, const char* end, std::string_view what) {
    // The first character is rare in a record ('&', '?', '-', ']'): memchr finds each candidate
    // far faster than a general substring search walks the whole text.
    for (const char* p = from; end - p >= static_cast<std::ptrdiff_t>(what.size()); ++p) {
        p = static_cast<const char*>(::memchr(p, what[0], static_cast<size_t>(end - p)));
        if (!p || end - p < static_cast<std::ptrdiff_t>(what.size()))
            return end;
        if (std::memcmp(p, what.data(), what.size()) == 0)
            return p;
    }
    return end;
}

const char* pastText(const char* from, const char* end, std::string_view what) {
    const char* found = findText(from, end, what);
    return found == end ? end : found + what.size();
}

// Whether elements nest deeper than kXmlMaxDepth. The parser builds the tree without recursion
// however deep it goes; the limit keeps everything after it (XPath, the pages, the writer) on
// trees of sane shape. pugixml's own traversal steps through its nodes directly, so the check
// costs one call per node: far less than a scan of the bytes that has to tell tags, quotes,
// comments and declarations apart.
class DepthGuard : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override {
        // depth() is 0 for the document's own children, so an element at kXmlMaxDepth is one
        // level too many; text at that depth is only the content of the deepest allowed element.
        if (depth() >= kXmlMaxDepth && node.type() == pugi::node_element) {
            m_tooDeep = true;
            return false;
        }
        return true;
    }
    bool TooDeep() const { return m_tooDeep; }

private:
    bool m_tooDeep = false;
};

bool treeTooDeep(const pugi::xml_document& doc) {
    DepthGuard guard;
    pugi::xml_node(doc).traverse(guard);
    return guard.TooDeep();
}

bool singleByteMarkup(const char* text, size_t size) {
    if (size >= 2 &&
        ((text[0] == '\xFE' && text[1] == '\xFF') || (text[0] == '\xFF' && text[1] == '\xFE')))
        return false;
    return ::memchr(text, '\0', qMin<size_t>(size, 4)) == nullptr;
}

// Holds a parsed document to XML's rules where pugixml is lenient (see IsStrictlyWellFormed).
// pugixml already holds plain ASCII names to them; any other name (beyond ASCII, or with a colon)
// is asked of Qt's strict reader, whose XML 1.0 fourth-edition names are within those of every
// reader (libxml2 follows the fifth edition), once per name.
class StrictForm {
public:
    bool Accepts(const pugi::xml_document& doc, const std::function<bool(pugi::xml_node)>& skip) {
        bool seenOther = false;
        bool seenDoctype = false;
        bool seenRoot = false;
        for (pugi::xml_node child : doc.children()) {
            switch (child.type()) {
            case pugi::node_declaration:
                if (seenOther)
                    return false;
                break;
            case pugi::node_doctype:
                if (seenDoctype || seenRoot || !doctypeAccepted(child))
                    return false;
                seenDoctype = true;
                break;
            case pugi::node_element:
                seenRoot = true;
                break;
            default:
                break;
            }
            seenOther = true;
        }
        pugi::xml_node node = doc.first_child();
        while (node) {
            if (skip && skip(node)) {
                node = pastSubtree(node, doc);
                continue;
            }
            if (node.type() == pugi::node_pi && !nameAccepted(Kind::Instruction, node.name()))
                return false;
            if (node.type() == pugi::node_element && !elementAccepted(node))
                return false;
            node = nextInWalk(node, doc);
        }
        return true;
    }

private:
    enum class Kind { Element, Attribute, Instruction };

    bool elementAccepted(pugi::xml_node element) {
        if (!nameAccepted(Kind::Element, element.name()))
            return false;
        int count = 0;
        for (pugi::xml_attribute attribute : element.attributes()) {
            if (!nameAccepted(Kind::Attribute, attribute.name()))
                return false;
            ++count;
        }
        if (count < 2)
            return true;
        std::unordered_set<std::string_view> names;
        for (pugi::xml_attribute attribute : element.attributes())
            if (!names.insert(attribute.name()).second)
                return false;
        return true;
    }

    bool nameAccepted(Kind kind, const char* name) {
        bool plain = true;
        for (const char* p = name; *p && plain; ++p)
            plain = static_cast<unsigned char>(*p) < 0x80 && *p != ':';
        if (plain)
            return true;
        const QByteArray key = QByteArray::number(static_cast<int>(kind)) + name;
        if (const auto known = m_names.constFind(key); known != m_names.cend())
            return *known;
        // The name where a reader meets it; an attribute's also as an element's, since Qt's
        // reader does not hold attribute names to the rules, and an instruction's with data,
        // since it checks the target only then.
        const QByteArray n(name);
        const QByteArray probe = kind == Kind::Element     ? "<" + n + "/>"
                                 : kind == Kind::Attribute ? "<" + n + " " + n + "=''/>"
                                                           : "<?" + n + " x?><r/>";
        const bool accepted = strictReaderAccepts(probe);
        m_names.insert(key, accepted);
        return accepted;
    }

    static bool doctypeAccepted(pugi::xml_node doctype) {
        return strictReaderAccepts("<!DOCTYPE " + QByteArray(doctype.value()) + "><r/>");
    }

    static bool strictReaderAccepts(const QByteArray& text) {
        QXmlStreamReader reader(text);
        reader.setNamespaceProcessing(false);
        while (!reader.atEnd())
            reader.readNext();
        return !reader.hasError();
    }

    QHash<QByteArray, bool> m_names;
};

// What one pass over a file's bytes tells about its text.
struct ByteScan {
    // Well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF). A file whose
    // bytes are UTF-8 is read as UTF-8 whatever its declaration claims: an editor that saved
    // UTF-8 under an old "ISO-8859-1" declaration would otherwise be read as Latin-1, and every
    // save would encode the same letters once more.
    bool utf8 = true;
    // Whether it holds a raw character XML 1.0 forbids (a control character, U+FFFE, U+FFFF);
    // only then must the parsed tree be cleaned. Meaningful when utf8 is true.
    bool forbidden = false;
};

ByteScan scanBytes(const char* text, size_t size) {
    ByteScan scan;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const auto* end = p + size;
    while (p < end) {
        // Runs of ASCII are by far the most of a record: a block at a time while none has its
        // top bit set, telling the control characters XML forbids from the tabs and line ends
        // of the indentation without a look at single bytes.
#if defined(__SSE2__)
        const __m128i space = _mm_set1_epi8(0x20);
        __m128i forbidden = _mm_setzero_si128();
        for (; end - p >= 16; p += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            if (_mm_movemask_epi8(block))
                break;
            const __m128i allowed =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(0x9)),
                                          _mm_cmpeq_epi8(block, _mm_set1_epi8(0xA))),
                             _mm_cmpeq_epi8(block, _mm_set1_epi8(0xD)));
            forbidden =
                _mm_or_si128(forbidden, _mm_andnot_si128(allowed, _mm_cmplt_epi8(block, space)));
        }
        if (_mm_movemask_epi8(forbidden))
            scan.forbidden = true;
#else
        // Eight bytes as one word; with every byte below 0x80 no sum below carries into the
        // next byte, so each byte's mask is exact.
        constexpr quint64 kOnes = 0x0101010101010101ULL;
        constexpr quint64 kHigh = 0x8080808080808080ULL;
        auto zeroBytes = [](quint64 word) { return ~(word + kOnes * 0x7F) & kHigh; };
        for (; end - p >= 8; p += 8) {
            quint64 word;
            std::memcpy(&word, p, sizeof word);
            if (word & kHigh)
                break;
            const quint64 control = ~(word + kOnes * 0x60) & kHigh;
            const quint64 allowed = zeroBytes(word ^ (kOnes * 0x9)) |
                                    zeroBytes(word ^ (kOnes * 0xA)) |
                                    zeroBytes(word ^ (kOnes * 0xD));
            if (control & ~allowed)
                scan.forbidden = true;
        }
#endif
        for (; p < end && *p < 0x80; ++p)
            if (*p < 0x20 && *p != 0x9 && *p != 0xA && *p != 0xD)
                scan.forbidden = true;
        if (p == end)
            break;
        const unsigned char c = *p;
        int more = 0;
        unsigned min = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            min = 0x10000;
        } else {
            scan.utf8 = false;
            return scan;
        }
        if (end - p <= more) {
            scan.utf8 = false;
            return scan;
        }
        unsigned code = c & (0x3F >> more);
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                scan.utf8 = false;
                return scan;
            }
            code = (code << 6) | (p[i] & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            scan.utf8 = false;
            return scan;
        }
        if (code == 0xFFFE || code == 0xFFFF)
            scan.forbidden = true;
        p += more + 1;
    }
    return scan;
}

// Characters XML 1.0 does not admit in a document, even as a character reference.
bool forbiddenInXml(char32_t c) {
    if (c < 0x20)
        return c != 0x9 && c != 0xA && c != 0xD;
    return (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF || c > 0x10FFFF;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// A character reference to a forbidden character ("&#x0;", "&#1;") would be decoded by the
// parser into that character, and a NUL would silently end the field there. Each such
// reference becomes U+FFFD before parsing, so the rest of the field stays and nothing forbidden
// is ever written back. Comments, CDATA sections and instructions hold such text literally and
// are left as they are. Returns false when there is no such reference (the usual case).
bool replaceForbiddenReferences(const char* text, size_t size, std::string* out) {
    const char* end = text + size;
    if (findText(text, end, "&#") == end)
        return false;
    bool changed = false;
    const char* copied = text;
    const char* p = text;
    while (p < end) {
        const char* amp = static_cast<const char*>(::memchr(p, '&', static_cast<size_t>(end - p)));
        const char* lt = static_cast<const char*>(::memchr(p, '<', static_cast<size_t>(end - p)));
        if (lt && (!amp || lt < amp)) {
            const std::string_view rest(lt, static_cast<size_t>(end - lt));
            if (rest.starts_with("<!--"))
                p = pastText(lt + 4, end, "-->");
            else if (rest.starts_with("<![CDATA["))
                p = pastText(lt + 9, end, "]]>");
            else if (rest.starts_with("<?"))
                p = pastText(lt + 2, end, "?>");
            else
                p = lt + 1;
            continue;
        }
        if (!amp)
            break;
        p = amp + 1;
        if (end - amp < 4 || amp[1] != '#')
            continue;
        const bool hex = amp[2] == 'x';
        const char* digits = amp + (hex ? 3 : 2);
        const char* q = digits;
        char32_t code = 0;
        bool overflow = false;
        while (q < end && (hex ? std::isxdigit(static_cast<unsigned char>(*q))
                               : std::isdigit(static_cast<unsigned char>(*q)))) {
            const char d = *q;
            const unsigned value =
                hex ? static_cast<unsigned>(std::isdigit(d) ? d - '0' : (d | 0x20) - 'a' + 10)
                    : static_cast<unsigned>(d - '0');
            code = code * (hex ? 16 : 10) + value;
            overflow = overflow || code > 0x10FFFF;
            if (overflow)
                code = 0x110000;
            ++q;
        }
        if (q == digits || q >= end || *q != ';' || !forbiddenInXml(code))
            continue;
        if (!changed)
            out->reserve(size);
        changed = true;
        out->append(copied, amp);
        out->append(kReplacement);
        copied = q + 1;
        p = q + 1;
    }
    if (changed)
        out->append(copied, end);
    return changed;
}

// `text` (UTF-8) with every character XML 1.0 forbids replaced by U+FFFD; false when it has none.
bool sanitizedText(const char* text, std::string* out) {
    const auto* start = reinterpret_cast<const unsigned char*>(text);
    const auto* p = start;
    bool changed = false;
    const unsigned char* copied = start;
    while (*p) {
        const unsigned char c = *p;
        size_t length = 1;
        bool bad = false;
        if (c < 0x80) {
            bad = forbiddenInXml(c);
        } else {
            // Decode one sequence; anything malformed counts as one bad byte.
            int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
            char32_t code = c & (0x3F >> (more < 0 ? 0 : more));
            bad = more < 0 || c > 0xF4;
            for (int i = 1; !bad && i <= more; ++i) {
                if ((p[i] & 0xC0) != 0x80)
                    bad = true;
                else
                    code = (code << 6) | (p[i] & 0x3F);
            }
            if (!bad) {
                length = static_cast<size_t>(more) + 1;
                const char32_t min = more == 1 ? 0x80 : more == 2 ? 0x800 : 0x10000;
                bad = code < min || forbiddenInXml(code);
            }
        }
        if (bad) {
            if (!changed)
                out->clear();
            changed = true;
            out->append(reinterpret_cast<const char*>(copied), static_cast<size_t>(p - copied));
            out->append(kReplacement);
            copied = p + length;
        }
        p += length;
    }
    if (changed)
        out->append(reinterpret_cast<const char*>(copied), static_cast<size_t>(p - copied));
    return changed;
}

// `text` with every carriage return made a line feed ("\r\n" one line feed), as any reader takes
// a raw one; false when it has none.
bool lineFeedsOnly(const char* text, std::string* out) {
    if (!std::strchr(text, '\r'))
        return false;
    out->clear();
    for (const char* p = text; *p; ++p) {
        if (*p != '\r')
            out->push_back(*p);
        else if (p[1] != '\n')
            out->push_back('\n');
    }
    return true;
}

// The parser leaves the carriage returns of a DOCTYPE and of instructions as the file had them
// (those of text, comments and CDATA it makes line feeds, as XML says). They become line feeds
// too, so the only ones in a document are in text (from "&#13;"), where FileWriter keeps them.
void lineFeedsOutsideText(pugi::xml_node root) {
    std::string clean;
    for (pugi::xml_node node = root.first_child(); node; node = nextInWalk(node, root))
        if ((node.type() == pugi::node_doctype || node.type() == pugi::node_pi) &&
            lineFeedsOnly(node.value(), &clean))
            node.set_value(clean.c_str());
}

// Replaces what XML 1.0 forbids in every text, comment, instruction and attribute value of the
// tree, so a written file is always one a strict parser accepts. Iterative, as depth is free.
void sanitizeTree(pugi::xml_node root) {
    std::string clean;
    for (pugi::xml_node node = root.first_child(); node; node = nextInWalk(node, root)) {
        const pugi::xml_node_type type = node.type();
        if (type == pugi::node_pcdata || type == pugi::node_cdata || type == pugi::node_comment ||
            type == pugi::node_pi || type == pugi::node_doctype) {
            if (sanitizedText(node.value(), &clean))
                node.set_value(clean.c_str());
        }
        for (pugi::xml_attribute attribute : node.attributes())
            if (sanitizedText(attribute.value(), &clean))
                attribute.set_value(clean.c_str());
    }
}

// The declaration as a strict parser takes it, whatever a file had there (the parser is lenient):
// version "1.0", since what is written follows XML 1.0; the encoding, when one is declared, made
// "UTF-8" unless it names UTF-8 already, since that is what is written; standalone when it is
// "yes" or "no". Anything else, or another order, would make the whole file unreadable to such
// a parser.
void tidyDeclaration(pugi::xml_node decl) {
    const pugi::xml_attribute encoding = decl.attribute("encoding");
    const QString declared = fromUtf8(encoding.value()).toLower();
    const std::string encodingValue =
        declared == QStringLiteral("utf-8") || declared == QStringLiteral("utf8")
            ? std::string(encoding.value())
            : std::string("UTF-8");
    const std::string standalone = decl.attribute("standalone").value();
    while (decl.first_attribute())
        decl.remove_attribute(decl.first_attribute());
    decl.append_attribute("version").set_value("1.0");
    if (encoding)
        decl.append_attribute("encoding").set_value(encodingValue.c_str());
    if (standalone == "yes" || standalone == "no")
        decl.append_attribute("standalone").set_value(standalone.c_str());
}

pugi::xml_node declarationOf(pugi::xml_document& doc) {
    for (pugi::xml_node child : doc.children())
        if (child.type() == pugi::node_declaration)
            return child;
    return pugi::xml_node();
}

// Hands pugixml's output straight to the file as it is produced (pugixml buffers it in small
// blocks), so a save never holds the whole text in memory. The first failure sticks.
//
// pugixml writes a carriage return in text as it is, and a reader's line-end handling would turn
// it into a line feed; written as a character reference it reads back as itself. Attribute values
// have theirs escaped already, markup never holds one, and the loader leaves none outside text
// (see lineFeedsOutsideText), so every raw one that passes here is text.
struct FileWriter : pugi::xml_writer {
    explicit FileWriter(int fd) : fd(fd) {}
    void write(const void* data, size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const auto* cr = static_cast<const char*>(::memchr(bytes, '\r', size));
            const size_t run = cr ? static_cast<size_t>(cr - bytes) : size;
            writeAll(bytes, run);
            if (!cr)
                break;
            writeAll("&#13;", 5);
            bytes += run + 1;
            size -= run + 1;
        }
    }
    void writeAll(const char* bytes, size_t size) {
        while (ok && size > 0) {
            const ssize_t n = ::write(fd, bytes, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ok = false;
                break;
            }
            bytes += n;
            size -= static_cast<size_t>(n);
        }
    }
    int fd;
    bool ok = true;
};

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

constexpr char kTempPrefix[] = ".kestrel-save-";
// A temporary file older than this, and locked by no process, was left by a save that was
// killed: no save of a project record takes minutes.
constexpr int kStaleTempSeconds = 10 * 60;

// Removes what killed saves left in `folder`: our own temporary files, old, and not locked by a
// live save (every save holds a lock on its temporary file until it is renamed or removed).
void removeStaleTempFiles(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, kTempPrefix, sizeof kTempPrefix - 1) != 0)
            continue;
        const int fd =
            ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            now - st.st_mtime > kStaleTempSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // Still the same file under that name: remove it while we hold its lock.
            struct stat named {};
            if (::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                named.st_ino == st.st_ino && named.st_dev == st.st_dev)
                ::unlinkat(dirFd, entry->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(dir);
}

// The path a symbolic link finally names (the path itself when it is none), so that a save
// replaces the file and keeps the link. A relative link is taken from the link's own folder.
QByteArray followLinks(QByteArray name) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(name.constData(), target.data(), size_t(target.size()));
        if (length <= 0 || length >= target.size())
            break;
        target.truncate(length);
        if (!target.startsWith('/')) {
            const qsizetype slash = name.lastIndexOf('/');
            target.prepend(slash < 0 ? QByteArray() : name.left(slash + 1));
        }
        name = target;
    }
    return name;
}

QByteArray absoluteName(const QByteArray& name) {
    if (name.startsWith('/'))
        return name;
    QByteArray folder(PATH_MAX, Qt::Uninitialized);
    if (!::getcwd(folder.data(), size_t(folder.size())))
        return name;
    folder.truncate(qsizetype(std::strlen(folder.constData())));
    return folder + '/' + name;
}

// Temporary file beside the target, written, synced and renamed over it, so the target holds
// either its old bytes or all of the new ones, never a mix. The path goes by its exact bytes.
int writeAtomically(const QString& path, const std::function<bool(int fd)>& writeContent,
                    int newFilePermissions = -1) {
    const QByteArray targetName = absoluteName(followLinks(EncodeFileName(path)));
    const QByteArray folder = targetName.left(std::max<qsizetype>(targetName.lastIndexOf('/'), 1));

    struct stat existing {};
    const bool exists = ::stat(targetName.constData(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || ::access(targetName.constData(), W_OK) != 0))
        return kXmlSaveBadTarget;

    removeStaleTempFiles(folder);
    QByteArray tempName = folder + '/' + kTempPrefix + QByteArray("XXXXXX");
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0)
        return kXmlSaveWriteFailed;
    // Held until the file is renamed or removed: a later save's clean-up leaves it alone.
    ::flock(fd, LOCK_EX);

    const mode_t mode = exists                    ? (existing.st_mode & 07777)
                        : newFilePermissions >= 0 ? mode_t(newFilePermissions & 07777)
                                                  : (0666 & ~currentUmask());
    bool ok = writeContent(fd) && ::fchmod(fd, mode) == 0;
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
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return kXmlSaveOk;
}

} // namespace

std::string XmlTextUtf8(QStringView text) {
    auto forbiddenAt = [&text](qsizetype i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20)
            return c != 0x9 && c != 0xA && c != 0xD;
        if (c == 0xFFFE || c == 0xFFFF)
            return true;
        if (QChar::isHighSurrogate(c))
            return i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode());
        return QChar::isLowSurrogate(c) &&
               (i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode()));
    };
    qsizetype first = 0;
    while (first < text.size() && !forbiddenAt(first))
        ++first;
    if (first == text.size()) {
        const QByteArray bytes = text.toUtf8();
        return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    QString clean = text.toString();
    for (qsizetype i = first; i < text.size(); ++i)
        if (forbiddenAt(i))
            clean[i] = QChar::ReplacementCharacter;
    const QByteArray bytes = clean.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool IsStrictlyWellFormed(const pugi::xml_document& doc,
                          const std::function<bool(pugi::xml_node)>& skip) {
    return StrictForm().Accepts(doc, skip);
}

XmlDocPtr CreateXMLDoc() {
    return std::make_unique<pugi::xml_document>();
}

XmlDocPtr LoadXMLDoc(const QString& path) {
    // Told by its status first: only a regular file is ever opened.
    const int fd = OpenLocalFileForReading(path);
    if (fd < 0)
        return nullptr;

    try {
        // Read into a buffer the parser then owns and parses in place: no second copy.
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return nullptr;
        }
        const qint64 size = file.size();
        if (size <= 0 || size > kXmlMaxFileBytes)
            return nullptr;
        char* buffer =
            static_cast<char*>(pugi::get_memory_allocation_function()(static_cast<size_t>(size)));
        if (!buffer)
            return nullptr;
        const bool read = file.read(buffer, size) == size;
        const bool carriageReturns =
            read && ::memchr(buffer, '\r', static_cast<size_t>(size)) != nullptr;
        const bool scanned = read && singleByteMarkup(buffer, static_cast<size_t>(size));
        if (!read) {
            pugi::get_memory_deallocation_function()(buffer);
            return nullptr;
        }
        auto doc = std::make_unique<pugi::xml_document>();
        // parse_full keeps the declaration, processing instructions, comments and the DOCTYPE
        // node; pugixml never expands DTD entities or fetches anything. parse_ws_pcdata_single
        // keeps a field that holds only blanks.
        const unsigned flags = pugi::parse_full | pugi::parse_ws_pcdata_single;
        // The bytes decide the encoding, not the declaration: valid UTF-8 is UTF-8 (a legacy
        // declaration notwithstanding); other 8-bit text is Latin-1, the only 8-bit encoding
        // the parser knows, whatever it declares. Only UTF-16 and UTF-32 are left to it.
        pugi::xml_encoding encoding = pugi::encoding_auto;
        ByteScan bytes;
        if (scanned) {
            bytes = scanBytes(buffer, static_cast<size_t>(size));
            encoding = bytes.utf8 ? pugi::encoding_utf8 : pugi::encoding_latin1;
            if (encoding == pugi::encoding_latin1 && size >= 3 &&
                std::string_view(buffer, 3) == "\xEF\xBB\xBF")
                encoding = pugi::encoding_utf8; // a byte-order mark over broken UTF-8
        }
        std::string referencesReplaced;
        pugi::xml_parse_result result;
        if (scanned &&
            replaceForbiddenReferences(buffer, static_cast<size_t>(size), &referencesReplaced)) {
            pugi::get_memory_deallocation_function()(buffer);
            result = doc->load_buffer(referencesReplaced.data(), referencesReplaced.size(), flags,
                                      encoding);
        } else {
            result =
                doc->load_buffer_inplace_own(buffer, static_cast<size_t>(size), flags, encoding);
        }
        if (!result || !doc->document_element() || treeTooDeep(*doc))
            return nullptr;
        // Raw control characters and the like: shown and written as U+FFFD. Clean UTF-8 (nearly
        // every file) needs no walk over the tree; references were dealt with before parsing.
        if (!scanned || !bytes.utf8 || bytes.forbidden)
            sanitizeTree(*doc);
        if (carriageReturns)
            lineFeedsOutsideText(*doc);
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
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && sameName(child.name(), name))
            return child;
    if (create == 0)
        return pugi::xml_node();
    pugi::xml_node made = parent.append_child(utf8(name).c_str());
    if (!text.isEmpty())
        made.append_child(pugi::node_pcdata).set_value(utf8(text).c_str());
    return made;
}

pugi::xml_node GetMergedNode(pugi::xml_document& doc, pugi::xml_node parent, const QString& name) {
    pugi::xml_node first = GetNode(doc, parent, name, 1, QString());
    int merged = 0;
    for (pugi::xml_node next = first.next_sibling(); next;) {
        pugi::xml_node after = next.next_sibling();
        if (next.type() == pugi::node_element && sameName(next.name(), name)) {
            while (pugi::xml_node child = next.first_child())
                first.append_move(child);
            parent.remove_child(next);
            ++merged;
        }
        next = after;
    }
    if (merged > 0)
        qCWarning(lcSdk, "%s held %d more time(s) in one file: all its records are read as one",
                  qUtf8Printable(name), merged);
    return first;
}

namespace {

// Every text below `node` in document order, from its first child `first` on: an element whose
// text is split by comments or markup. Kept apart so that the usual leaf's path stays light.
[[gnu::noinline]] std::string_view gatheredText(pugi::xml_node node, pugi::xml_node first,
                                                std::string& gathered) {
    gathered.clear();
    for (pugi::xml_node n = first; n; n = nextInWalk(n, node))
        if (isText(n))
            gathered += n.value();
    return gathered;
}

} // namespace

std::string_view GetNodeTextUtf8(pugi::xml_node node, std::string& gathered) {
    // Asked for every field of every record: each question to the parser's tree is a call, so
    // as few are asked as the answer needs (a null node's type is node_null).
    const pugi::xml_node_type type = node.type();
    if (type == pugi::node_null)
        return {};
    if (type == pugi::node_pcdata || type == pugi::node_cdata)
        return node.value();
    // The usual leaf: one text child.
    const pugi::xml_node first = node.first_child();
    const pugi::xml_node_type firstType = first.type();
    if (firstType == pugi::node_null)
        return ""; // empty, where a null node gives a null view
    if ((firstType == pugi::node_pcdata || firstType == pugi::node_cdata) && !first.next_sibling())
        return first.value();
    return gatheredText(node, first, gathered);
}

QString GetNodeText(pugi::xml_node node) {
    std::string gathered;
    const std::string_view text = GetNodeTextUtf8(node, gathered);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString GetChildText(pugi::xml_node parent, const char* name) {
    pugi::xml_node child = parent.child(name);
    // Instructions have names too; only an element counts.
    while (child && child.type() != pugi::node_element)
        child = child.next_sibling(name);
    return GetNodeText(child);
}

void FindChildElements(pugi::xml_node parent, const char* const* names, pugi::xml_node* found,
                       int count) {
    std::fill(found, found + count, pugi::xml_node());
    // Most names a child is held against differ from it in the first byte.
    const auto same = [](const char* a, const char* b) {
        return *a == *b && (*a == 0 || std::strcmp(a + 1, b + 1) == 0);
    };
    // Files list the fields in one order: the name after the last one matched is tried first.
    int expected = 0;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        // Text and comments have an empty name, which matches none; only an instruction's name
        // has to be told from an element's.
        const char* name = child.name();
        int match = -1;
        if (expected < count && same(names[expected], name)) {
            match = expected;
        } else {
            // A missing field: the next ones are further on, so look there first.
            for (int step = 1; step <= count && match < 0; ++step) {
                const int i = (expected + step) % count;
                if (same(names[i], name))
                    match = i;
            }
        }
        if (match < 0 || child.type() != pugi::node_element)
            continue;
        if (!found[match])
            found[match] = child;
        expected = match + 1;
    }
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

int SaveXMLAndReleaseDoc(XmlDocPtr& doc, const QString& path, int release,
                         const XmlDeferredRows* deferred) {
    if (path.isEmpty()) {
        if (release == 0)
            return doc ? kXmlSaveNoPath : kXmlSaveNoDocument;
        doc.reset();
        return kXmlSaveOk;
    }
    if (!doc)
        return kXmlSaveNoDocument;

    if (pugi::xml_node decl = declarationOf(*doc))
        tidyDeclaration(decl);

    pugi::xml_document& document = *doc;
    const int result = writeAtomically(path, [&document, deferred](int fd) {
        FileWriter writer(fd);
        const char* const indent = "  ";
        const unsigned flags = pugi::format_indent | pugi::format_no_declaration;
        try {
            if (deferred)
                deferred->Save(document, writer, indent, flags);
            else
                document.save(writer, indent, flags, pugi::encoding_utf8);
        } catch (const std::exception&) {
            return false;
        }
        return writer.ok;
    });
    if (result == kXmlSaveOk && release != 0)
        doc.reset();
    return result;
}

int SaveBytesAtomically(const QString& path, const QByteArray& content, int newFilePermissions) {
    if (path.isEmpty())
        return kXmlSaveNoPath;
    return writeAtomically(
        path,
        [&content](int fd) {
            FileWriter writer(fd);
            writer.write(content.constData(), size_t(content.size()));
            return writer.ok;
        },
        newFilePermissions);
}
