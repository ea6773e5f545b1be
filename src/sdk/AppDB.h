// CAppDB: the SDK's lookup database (code/description lists, roads, roles with their coordinator
// and prefix codes) and the holder of the host's run-time library handle. One instance serves the
// whole program through XKR_GetAppDB().
//
// The database is opened read-only at the first lookup, from KESTREL_LOOKUP_DB, else
// kestrel-lookup.db beside the program, else kestrel/kestrel-lookup.db in the XDG data folders.
// A missing or unreadable database is reported once (a "kestrel.sdk" warning) and every lookup
// then answers empty: lists without items, codes and descriptions "".
//
// Each coded list is read from the database once, at its first use, and every later lookup in
// it is answered from memory: a file of thousands of records looks up a code per field without
// a query per row. The answers are those of the queries they replace: descriptions compare
// ignoring the case of ASCII letters (SQLite's NOCASE), codes exactly.
#pragma once

#include "sdk/VariantTable.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;

class CAppDB {
public:
    // Loads the run-time library (KESTREL_SDKDEF, else libTernSdkDef.so beside the program) into
    // m_hSdkDef; the database waits for the first lookup.
    CAppDB();
    ~CAppDB();
    CAppDB(const CAppDB&) = delete;
    CAppDB& operator=(const CAppDB&) = delete;

    // Descriptions in the table's order (sorted by description, ignoring case; countries by
    // name with accents set aside).
    QStringList CategoryDescriptions();
    QStringList LandOwnershipDescriptions();
    QStringList ClassificationDescriptions();
    QStringList MukimTSDescriptions();
    QStringList RoleDescriptions();
    QStringList CountryDescriptions();
    QStringList PrefixDescriptions();

    // Fill any combo-like object that has addItems(QStringList) with a list above; items already
    // in the combo stay.
    template <class Combo> void LoadCategory(Combo* combo) { fill(combo, CategoryDescriptions()); }
    template <class Combo> void LoadLandOwnership(Combo* combo) {
        fill(combo, LandOwnershipDescriptions());
    }
    template <class Combo> void LoadClassification(Combo* combo) {
        fill(combo, ClassificationDescriptions());
    }
    template <class Combo> void LoadMukimTS(Combo* combo) { fill(combo, MukimTSDescriptions()); }
    template <class Combo> void LoadRole(Combo* combo) { fill(combo, RoleDescriptions()); }
    template <class Combo> void LoadCountries(Combo* combo) { fill(combo, CountryDescriptions()); }

    // Code from description (descriptions compare ignoring case) and description from code
    // (codes compare exactly); "" when unknown.
    QString GetCategoryCode(const QString& description);
    QString GetCategoryDescription(const QString& code);
    QString GetClassificationCode(const QString& description);
    QString GetClassificationDescription(const QString& code);
    QString GetLandOwnershipCode(const QString& description);
    QString GetLandOwnershipDescription(const QString& code);
    QString GetMukimTSCode(const QString& description);
    QString GetMukimTSDescription(const QString& code);
    QString GetRoadCode(const QString& roadName);
    QString GetRoadDescription(const QString& roadCode);
    QString GetRoleCode(const QString& description);
    QString GetRoleDescription(const QString& code);
    QString GetCountryCode(const QString& name); // ISO 3166 alpha-2
    QString GetCountryDescription(const QString& code);

    // The coordinator code of a role ("AR" architects, "PE" professional engineers, "RS"
    // registered surveyors); "" when the role cannot coordinate a project or is unknown.
    QString GetProjectCoordinatorCode(const QString& roleCode);
    // The professional-number prefix ("A", "PE", "RS") named by a prefix code, which is what a
    // coordinator code is. A role code is accepted too and answers that role's own prefix, so
    // roles that need a professional number can be told from those that do not. "" when none.
    QString GetProjectPrefixDescription(const QString& prefixCode);

    // Runs any SQL and fills out column first: numbers as their text, NULL as "". Nonzero on
    // success (also for no rows: out is then filled with 0 rows, not empty); 0 on failure with
    // out left empty.
    int LoadQueryToArray(const QString& sql, VariantTable& out);

    // Closes the database and unloads the run-time library (m_hSdkDef becomes null). A later
    // lookup opens the database again.
    void Reset();

    // Opens the database when not yet tried; true when it is usable.
    bool IsOpen();
    // Reads every coded list now rather than at its first lookup: what opening a record does
    // on another thread while the file is parsed, as reading the records looks codes up.
    void LoadCodeLists();
    // The database file chosen by the rules above ("" before the first lookup).
    QString DatabasePath() const { return m_path; }
    static QString LookupDatabasePath();

    void* m_hSdkDef = nullptr; // dlopen handle of libTernSdkDef.so; null when not loaded

    // Lists kept by the database; public for the statement table in the source file.
    enum List { Category, LandOwnership, Classification, MukimTS, Role, Country, Prefix, Road };
    static constexpr int kListCount = Road + 1;

private:
    // One coded list as read from its table.
    struct CodeList {
        bool loaded = false;
        QStringList descriptions;                  // in the table's order
        QHash<QString, QString> codeOfDescription; // ASCII-case-folded description -> code
        QHash<QString, QString> descriptionOfCode;
    };
    // What the roles and prefixes say beyond their lists.
    struct RoleFacts {
        bool loaded = false;
        QHash<QString, QString> coordinatorOfRole;
        QHash<QString, QString> prefixOfCode;
        QHash<QString, QString> prefixOfRole;
    };

    template <class Combo> static void fill(Combo* combo, const QStringList& items) {
        if (combo)
            combo->addItems(items);
    }

    const CodeList& codeList(List list);
    QStringList descriptions(List list);
    const RoleFacts& roleFacts();
    QString codeOf(List list, const QString& description);
    QString descriptionOf(List list, const QString& code);
    // Runs `sql` and hands each row's two texts (NULL as "") to `row`; false (with a warning)
    // when the query fails.
    template <class RowFn> bool forEachRow(const char* sql, RowFn row);
    void closeDatabase();

    // Lookups also come from the threads that read the halves of a large record at once (see
    // ReadRecordRows): the database's state and every list as it is loaded are under this lock.
    // Reentrant, as loading a list opens the database. A loaded list is never changed again
    // (until Reset), so reading it needs no lock.
    std::recursive_mutex m_mutex;
    enum class State { NotTried, Open, Failed };
    State m_state = State::NotTried;
    QString m_path;
    sqlite3* m_db = nullptr;
    std::array<CodeList, kListCount> m_lists{};
    RoleFacts m_roleFacts;
};

// The single instance, created at the first call and never freed.
CAppDB* XKR_GetAppDB();

// The descriptions of the codes of one list as a reader of a file meets them: each code is asked
// of the database once, then answered from here. Thousands of rows name the same few codes, and
// a code comes as the UTF-8 of the document, which need not become a QString to be found again.
// Meant for one read: the database's lists do not change while it lasts.
class CCodeDescriptions {
public:
    using Lookup = QString (CAppDB::*)(const QString& code);
    CCodeDescriptions(CAppDB* db, Lookup lookup) : m_db(db), m_lookup(lookup) {}

    // What (m_db->*lookup)(QString::fromUtf8(code)) answers; valid while this object lives.
    const QString& Of(std::string_view code);

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };
    CAppDB* m_db;
    Lookup m_lookup;
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> m_known;
};
