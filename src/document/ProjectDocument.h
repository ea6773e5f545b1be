#pragma once

// The project record file held in memory for the whole run: opened (or started anew) with the
// krroot skeleton, read into the pages, rebuilt from them before each save, written atomically.

#include "document/XmlRecordGroup.h"
#include "sdk/XmlDeferredRows.h"
#include "sdk/XmlHelpers.h"

#include <QString>

#include <functional>

// How the pages plug into the document. Every member may be empty (tests, partial builds).
struct ProjectParts {
    CXmlRecordGroup* profile = nullptr;     // the project page: reads/writes `profile`
    CXmlRecordGroup* memberGroup = nullptr; // the member page: reads/writes `member_group`
    // Receives the text of `reference_no` as found in the file (the loaded reference).
    std::function<void(const QString&)> setLoadedReference;
    // Gives the composed reference; asked after the profile's WriteXml, which composes it.
    std::function<QString()> composedReference;
};

class CProjectDocument : public CXmlRecordGroup {
public:
    // How the current document came about; the application logs the unusual ones.
    enum class Origin {
        None,               // no document (never loaded, or dropped)
        NewNoPath,          // started anew: no path was given
        NewMissingFile,     // started anew: the file does not exist yet
        Loaded,             // the file was read
        ReplacedNotAFile,   // a folder, named pipe, device or socket: never opened; started anew
        ReplacedUnreadable, // the file exists but could not be read; started anew
        ReplacedUnparsable, // the file is not well-formed XML (or hostile); started anew
        ReplacedForeign,    // well-formed, but its root is not `krroot`; started anew
    };

    explicit CProjectDocument(ProjectParts parts = {});

    void SetParts(ProjectParts parts) { m_parts = std::move(parts); }

    // Opens `path` or starts a new document with the three processing instructions, makes sure
    // of krroot/authority/id ("ZQAV" when new)/project, then reads the project element. A file
    // that exists but cannot be used is left exactly as it is and its path kept; only a save
    // that is about to replace it copies it aside first (see BackupPath).
    void LoadDocument(const QString& path);

    // The project element: remembers it, hands the loaded reference, `profile` and
    // `member_group` to the parts. Missing children are created empty; the members of a further
    // `member_group` are moved into the first. Returns "".
    QString ReadXml(pugi::xml_document& doc, pugi::xml_node node) override;
    // Writes `profile`, `member_group`, `reference_no` (the composed reference) and
    // `project_type_code` ("0"), in that order, under the given project element; the reference
    // is asked for after the pages wrote. Returns "".
    QString WriteXml(pugi::xml_document& doc, pugi::xml_node node) override;

    // Replaces the project element with a new one appended as the last child of krroot, then
    // writes it (WriteXml). Other krroot children stay. False when there is no document.
    // The rows of the record groups are not made into nodes here: the saves that follow write
    // them from what the pages held at this call (XmlDeferredRows.h), so a large record is never
    // held a second time as XML. Until the next rebuild the project element in Document() holds
    // placeholders where those rows go.
    bool RebuildProjectNode();

    // Writes the document to FilePath() atomically; release 1 also drops it after a successful
    // write. Returns 0 on success, else an XmlSaveResult; after a failure the document is kept.
    // When the write would replace the unusable file this document was opened from, that file is
    // first copied aside, once; if it cannot be copied, nothing is written (kXmlSaveBackupFailed).
    int SaveToFile(int release);
    // Drops the document without writing.
    void DropDocument();

    bool HasDocument() const { return m_pDoc != nullptr; }
    pugi::xml_document* Document() const { return m_pDoc.get(); }
    pugi::xml_node ProjectNode() const { return m_pProjectNode; }
    const QString& FilePath() const { return m_strFilePath; }
    void SetFilePath(const QString& path) { m_strFilePath = path; }

    Origin DocumentOrigin() const { return m_origin; }
    // Where the unusable file this document replaces was copied by a save ("name.xml.bak", or
    // ".bak.N" when that holds something else; an existing copy with the same content is reused);
    // "" until a save has needed one.
    const QString& BackupPath() const { return m_backupPath; }

private:
    void startNewDocument();
    void shedProjectContent();
    // Copies the unusable file at the path aside unless that is done already; false when it
    // exists and could not be copied.
    bool backUpUnusableFile();

    ProjectParts m_parts;
    XmlDocPtr m_pDoc;
    pugi::xml_node m_pProjectNode;
    QString m_strFilePath;
    Origin m_origin = Origin::None;
    QString m_backupPath;
    // The unusable file this document was opened from, until a save has copied it aside.
    QString m_unusablePath;
    // The record rows the last rebuild left for the saves to write.
    XmlDeferredRows m_deferredRows;
};
