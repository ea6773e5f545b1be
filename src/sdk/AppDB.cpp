#include "sdk/AppDB.h"
#include "sdk/SdkLog.h"

#include "sdk/RunTimeLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>

#include <sqlite3.h>

namespace {

struct ListDef {
    const char* table;
    const char* code;
    const char* description;
    const char* order;
};

// Indexed by CAppDB::List. Descriptions compare ignoring case, as the sorted combos do.
constexpr ListDef kLists[CAppDB::kListCount] = {
    {"TQ_CATEGORY", "CATEGORY_CODE", "CATEGORY_DESC", "CATEGORY_DESC COLLATE NOCASE"},
    {"TQ_LAND_OWNERSHIP", "LAND_OWNERSHIP_CODE", "LAND_OWNERSHIP_DESC",
     "LAND_OWNERSHIP_DESC COLLATE NOCASE"},
    {"TQ_CLASSIFICATION", "CLASSIFICATION_CODE", "CLASSIFICATION_DESC",
     "CLASSIFICATION_DESC COLLATE NOCASE"},
    {"TQ_MUKIM_TS", "MK_TS_CODE", "MK_TS_DESC", "MK_TS_DESC COLLATE NOCASE"},
    {"TQ_ROLE", "ROLE_CODE", "ROLE_DESC", "ROLE_DESC COLLATE NOCASE"},
    // Country names carry accents ("Côte d'Ivoire"); their ASCII sort name keeps them in place.
    {"TQ_COUNTRY", "COUNTRY_CODE", "COUNTRY_NAME", "SORT_NAME"},
    {"TQ_PREFIX", "PREFIX_CODE", "PREFIX_DESC", "PREFIX_DESC COLLATE NOCASE"},
    {"TQ_ROAD", "ROAD_CODE", "ROAD_NAME", "ROAD_NAME COLLATE NOCASE"},
};

QByteArray listSql(const ListDef& def) {
    return QByteArray("SELECT ") + def.code + ", " + def.description + " FROM " + def.table +
           " ORDER BY " + def.order + ", " + def.code;
}

constexpr const char* kCoordinatorSql = "SELECT ROLE_CODE, COALESCE(COORDINATOR_CODE, '') FROM "
                                        "TQ_ROLE ORDER BY ROWID";
constexpr const char* kPrefixSql = "SELECT PREFIX_CODE, PREFIX_DESC FROM TQ_PREFIX ORDER BY ROWID";
// A role code stands for that role's own prefix.
constexpr const char* kRolePrefixSql =
    "SELECT R.ROLE_CODE, P.PREFIX_DESC FROM TQ_ROLE R JOIN TQ_PREFIX P"
    " ON P.PREFIX_CODE = R.PREFIX_CODE ORDER BY R.ROWID";

// SQLite's NOCASE: only the ASCII letters fold.
QString foldAsciiCase(const QString& text) {
    QString folded = text;
    for (QChar& c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

// SQLite compares text as UTF-8 bytes, which orders by code point.
bool codeBefore(const QString& a, const QString& b) {
    return a.toUtf8() < b.toUtf8();
}

// The database is a read-only file that ships with the program: opened immutable, SQLite
// takes no locks on it and needs no journal beside it.
QByteArray immutableUri(const QString& path) {
    return "file:" + QFile::encodeName(QFileInfo(path).absoluteFilePath()).toPercentEncoding("/") +
           "?immutable=1";
}

QByteArrayView columnUtf8(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (!text)
        return {};
    return QByteArrayView(text, sqlite3_column_bytes(stmt, column));
}

} // namespace

CAppDB::CAppDB() {
    m_hSdkDef = LoadRunTimeLibrary(SdkDefLibraryPath());
}

CAppDB::~CAppDB() {
    Reset();
}

QString CAppDB::LookupDatabasePath() {
    const QString explicitPath = qEnvironmentVariable("KESTREL_LOOKUP_DB");
    if (!explicitPath.isEmpty())
        return explicitPath;
    const QString fileName = QStringLiteral("kestrel-lookup.db");
    const QString dir = ExecutableDir();
    const QString beside = dir.isEmpty() ? QString() : QDir(dir).filePath(fileName);
    if (!beside.isEmpty() && QFileInfo::exists(beside))
        return beside;
    const QString installed = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                     QStringLiteral("kestrel/") + fileName);
    if (!installed.isEmpty())
        return installed;
    return beside.isEmpty() ? fileName : beside; // named in the warning that follows
}

bool CAppDB::IsOpen() {
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_state != State::NotTried)
        return m_state == State::Open;
    m_state = State::Failed;
    m_path = LookupDatabasePath();
    if (!QFileInfo(m_path).isFile()) {
        qCWarning(lcSdk, "Lookup database %s not found; lookup lists stay empty",
                  qUtf8Printable(m_path));
        return false;
    }
    if (sqlite3_open_v2(immutableUri(m_path).constData(), &m_db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
        qCWarning(lcSdk, "Lookup database %s cannot be opened (%s); lookup lists stay empty",
                  qUtf8Printable(m_path), m_db ? sqlite3_errmsg(m_db) : "out of memory");
        closeDatabase();
        return false;
    }
    // Opening is lazy in SQLite: a file that is no database only shows on the first read. The
    // same read checks that every list is there, so an unrelated database is one warning too.
    QByteArray probeSql = "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN (";
    for (int list = 0; list < kListCount; ++list)
        probeSql += QByteArray(list ? ", '" : "'") + kLists[list].table + "'";
    probeSql += ")";
    sqlite3_stmt* probe = nullptr;
    int rc = sqlite3_prepare_v2(m_db, probeSql.constData(), -1, &probe, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(probe);
    const int tables = rc == SQLITE_ROW ? sqlite3_column_int(probe, 0) : 0;
    sqlite3_finalize(probe);
    if (rc != SQLITE_ROW) {
        qCWarning(lcSdk, "Lookup database %s is unreadable (%s); lookup lists stay empty",
                  qUtf8Printable(m_path), sqlite3_errmsg(m_db));
        closeDatabase();
        return false;
    }
    if (tables != kListCount) {
        qCWarning(lcSdk, "Lookup database %s lacks lookup tables; lookup lists stay empty",
                  qUtf8Printable(m_path));
        closeDatabase();
        return false;
    }
    m_state = State::Open;
    return true;
}

void CAppDB::LoadCodeLists() {
    for (int list = 0; list < kListCount; ++list)
        codeList(static_cast<List>(list));
}

void CAppDB::closeDatabase() {
    m_lists = {};
    m_roleFacts = {};
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

void CAppDB::Reset() {
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    closeDatabase();
    m_state = State::NotTried;
    FreeRunTimeLibrary(m_hSdkDef);
    m_hSdkDef = nullptr;
}

template <class RowFn> bool CAppDB::forEachRow(const char* sql, RowFn row) {
    if (!IsOpen())
        return false;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            row(QString::fromUtf8(columnUtf8(stmt, 0)), QString::fromUtf8(columnUtf8(stmt, 1)));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        // Said once per list: the list is not asked for again in this run.
        qCWarning(lcSdk, "Lookup database %s: %s", qUtf8Printable(m_path), sqlite3_errmsg(m_db));
        return false;
    }
    return true;
}

const CAppDB::CodeList& CAppDB::codeList(List list) {
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    CodeList& cache = m_lists[list];
    if (cache.loaded)
        return cache;
    cache.loaded = true;
    const QByteArray sql = listSql(kLists[list]);
    // A NULL code reads as "", which no lookup asks for and which ranks first among codes, as
    // NULL does in SQL.
    const bool read =
        forEachRow(sql.constData(), [&](const QString& code, const QString& description) {
            cache.descriptions.append(description);
            if (!cache.descriptionOfCode.contains(code))
                cache.descriptionOfCode.insert(code, description);
            const QString key = foldAsciiCase(description);
            const auto found = cache.codeOfDescription.find(key);
            if (found == cache.codeOfDescription.end())
                cache.codeOfDescription.insert(key, code);
            else if (codeBefore(code, *found))
                *found = code;
        });
    if (!read)
        cache = CodeList{true, {}, {}, {}};
    return cache;
}

const CAppDB::RoleFacts& CAppDB::roleFacts() {
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_roleFacts.loaded)
        return m_roleFacts;
    m_roleFacts.loaded = true;
    auto into = [](QHash<QString, QString>& map) {
        return [&map](const QString& key, const QString& value) {
            if (!map.contains(key))
                map.insert(key, value);
        };
    };
    forEachRow(kCoordinatorSql, into(m_roleFacts.coordinatorOfRole));
    forEachRow(kPrefixSql, into(m_roleFacts.prefixOfCode));
    forEachRow(kRolePrefixSql, into(m_roleFacts.prefixOfRole));
    return m_roleFacts;
}

QString CAppDB::codeOf(List list, const QString& description) {
    if (description.isEmpty())
        return {};
    return codeList(list).codeOfDescription.value(foldAsciiCase(description));
}

QString CAppDB::descriptionOf(List list, const QString& code) {
    if (code.isEmpty())
        return {};
    return codeList(list).descriptionOfCode.value(code);
}

QStringList CAppDB::descriptions(List list) {
    return codeList(list).descriptions;
}

QStringList CAppDB::CategoryDescriptions() {
    return descriptions(Category);
}
QStringList CAppDB::LandOwnershipDescriptions() {
    return descriptions(LandOwnership);
}
QStringList CAppDB::ClassificationDescriptions() {
    return descriptions(Classification);
}
QStringList CAppDB::MukimTSDescriptions() {
    return descriptions(MukimTS);
}
QStringList CAppDB::RoleDescriptions() {
    return descriptions(Role);
}
QStringList CAppDB::CountryDescriptions() {
    return descriptions(Country);
}
QStringList CAppDB::PrefixDescriptions() {
    return descriptions(Prefix);
}

QString CAppDB::GetCategoryCode(const QString& d) {
    return codeOf(Category, d);
}
QString CAppDB::GetCategoryDescription(const QString& c) {
    return descriptionOf(Category, c);
}
QString CAppDB::GetClassificationCode(const QString& d) {
    return codeOf(Classification, d);
}
QString CAppDB::GetClassificationDescription(const QString& c) {
    return descriptionOf(Classification, c);
}
QString CAppDB::GetLandOwnershipCode(const QString& d) {
    return codeOf(LandOwnership, d);
}
QString CAppDB::GetLandOwnershipDescription(const QString& c) {
    return descriptionOf(LandOwnership, c);
}
QString CAppDB::GetMukimTSCode(const QString& d) {
    return codeOf(MukimTS, d);
}
QString CAppDB::GetMukimTSDescription(const QString& c) {
    return descriptionOf(MukimTS, c);
}
QString CAppDB::GetRoadCode(const QString& name) {
    return codeOf(Road, name);
}
QString CAppDB::GetRoadDescription(const QString& c) {
    return descriptionOf(Road, c);
}
QString CAppDB::GetRoleCode(const QString& d) {
    return codeOf(Role, d);
}
QString CAppDB::GetRoleDescription(const QString& c) {
    return descriptionOf(Role, c);
}
QString CAppDB::GetCountryCode(const QString& name) {
    return codeOf(Country, name);
}
QString CAppDB::GetCountryDescription(const QString& c) {
    return descriptionOf(Country, c);
}

QString CAppDB::GetProjectCoordinatorCode(const QString& roleCode) {
    if (roleCode.isEmpty())
        return {};
    return roleFacts().coordinatorOfRole.value(roleCode);
}

QString CAppDB::GetProjectPrefixDescription(const QString& prefixCode) {
    if (prefixCode.isEmpty())
        return {};
    const RoleFacts& facts = roleFacts();
    const auto prefix = facts.prefixOfCode.constFind(prefixCode);
    return prefix != facts.prefixOfCode.constEnd() ? *prefix : facts.prefixOfRole.value(prefixCode);
}

int CAppDB::LoadQueryToArray(const QString& sql, VariantTable& out) {
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    out.clear();
    if (!IsOpen())
        return 0;
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, utf8.constData(), static_cast<int>(utf8.size()), &stmt, nullptr) !=
            SQLITE_OK ||
        !stmt) {
        qCWarning(lcSdk, "Lookup query failed (%s): %s",
                  m_db ? sqlite3_errmsg(m_db) : "no statement", utf8.constData());
        sqlite3_finalize(stmt);
        return 0;
    }
    const int columns = sqlite3_column_count(stmt);
    out.begin(columns);
    int rc = SQLITE_DONE;
    bool fits = true;
    while (fits && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        // sqlite3_column_text gives numbers in their text form and NULL as a null pointer.
        for (int column = 0; column < columns && fits; ++column)
            fits = out.appendCell(columnUtf8(stmt, column));
    }
    if (!fits || rc != SQLITE_DONE) {
        qCWarning(lcSdk, "Lookup query failed (%s): %s",
                  fits ? sqlite3_errmsg(m_db) : "result too large", utf8.constData());
        sqlite3_finalize(stmt);
        out.clear();
        return 0;
    }
    sqlite3_finalize(stmt);
    return 1;
}

CAppDB* XKR_GetAppDB() {
    static CAppDB* instance = new CAppDB; // never freed: it outlives every caller
    return instance;
}

const QString& CCodeDescriptions::Of(std::string_view code) {
    if (const auto known = m_known.find(code); known != m_known.end())
        return known->second;
    const QString description =
        (m_db->*m_lookup)(QString::fromUtf8(code.data(), static_cast<qsizetype>(code.size())));
    return m_known.emplace(std::string(code), description).first->second;
}
