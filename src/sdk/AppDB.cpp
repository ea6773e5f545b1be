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

QByteArray listSql(const ListDef& def, int kind) {
    switch (kind) {
    case 0:
        return QByteArray("SELECT ") + def.description + " FROM " + def.table + " ORDER BY " +
               def.order + ", " + def.code;
    case 1:
        return QByteArray("SELECT ") + def.code + " FROM " + def.table + " WHERE " +
               def.description + " = ?1 COLLATE NOCASE ORDER BY " + def.code + " LIMIT 1";
    default:
        return QByteArray("SELECT ") + def.description + " FROM " + def.table + " WHERE " +
               def.code + " = ?1 LIMIT 1";
    }
}

constexpr const char* kCoordinatorSql =
    "SELECT COALESCE(COORDINATOR_CODE, '') FROM TQ_ROLE WHERE ROLE_CODE = ?1 LIMIT 1";

// A prefix code first; failing that, a role code standing for that role's prefix.
constexpr const char* kPrefixSql =
    "SELECT DESCR FROM ("
    " SELECT 1 AS RANK, PREFIX_DESC AS DESCR FROM TQ_PREFIX WHERE PREFIX_CODE = ?1"
    " UNION ALL"
    " SELECT 2, P.PREFIX_DESC FROM TQ_ROLE R JOIN TQ_PREFIX P ON P.PREFIX_CODE = R.PREFIX_CODE"
    " WHERE R.ROLE_CODE = ?1"
    ") ORDER BY RANK LIMIT 1";

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
    if (m_state != State::NotTried)
        return m_state == State::Open;
    m_state = State::Failed;
    m_path = LookupDatabasePath();
    if (!QFileInfo(m_path).isFile()) {
        qCWarning(lcSdk, "Lookup database %s not found; lookup lists stay empty",
                  qUtf8Printable(m_path));
        return false;
    }
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK) {
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

void CAppDB::closeDatabase() {
    for (auto& row : m_listStmts)
        for (sqlite3_stmt*& stmt : row) {
            sqlite3_finalize(stmt);
            stmt = nullptr;
        }
    for (sqlite3_stmt*& stmt : m_specialStmts) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    m_listFailed = {};
    m_specialFailed = {};
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

void CAppDB::Reset() {
    closeDatabase();
    m_state = State::NotTried;
    FreeRunTimeLibrary(m_hSdkDef);
    m_hSdkDef = nullptr;
}

sqlite3_stmt* CAppDB::statement(sqlite3_stmt*& slot, bool& failed, const char* sql) {
    if (slot)
        return slot;
    if (failed || !IsOpen())
        return nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr) != SQLITE_OK) {
        // Said once per statement: a database without one table must not flood the log.
        qCWarning(lcSdk, "Lookup database %s: %s", qUtf8Printable(m_path), sqlite3_errmsg(m_db));
        sqlite3_finalize(slot);
        slot = nullptr;
        failed = true;
    }
    return slot;
}

QString CAppDB::firstText(sqlite3_stmt* stmt, const QString& key) {
    if (!stmt)
        return {};
    const QByteArray utf8 = key.toUtf8();
    sqlite3_bind_text(stmt, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_STATIC);
    QString result;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        result = QString::fromUtf8(columnUtf8(stmt, 0));
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return result;
}

QString CAppDB::lookup(List list, Lookup kind, const QString& key) {
    if (key.isEmpty())
        return {};
    const QByteArray sql = listSql(kLists[list], kind);
    return firstText(statement(m_listStmts[list][kind], m_listFailed[list][kind], sql.constData()),
                     key);
}

QStringList CAppDB::descriptions(List list) {
    const QByteArray sql = listSql(kLists[list], AllDescriptions);
    sqlite3_stmt* stmt = statement(m_listStmts[list][AllDescriptions],
                                   m_listFailed[list][AllDescriptions], sql.constData());
    QStringList items;
    if (!stmt)
        return items;
    int rc = SQLITE_DONE;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        items.append(QString::fromUtf8(columnUtf8(stmt, 0)));
    if (rc != SQLITE_DONE) {
        qCWarning(lcSdk, "Lookup database %s: %s", qUtf8Printable(m_path), sqlite3_errmsg(m_db));
        items.clear();
    }
    sqlite3_reset(stmt);
    return items;
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
    return lookup(Category, CodeOfDescription, d);
}
QString CAppDB::GetCategoryDescription(const QString& c) {
    return lookup(Category, DescriptionOfCode, c);
}
QString CAppDB::GetClassificationCode(const QString& d) {
    return lookup(Classification, CodeOfDescription, d);
}
QString CAppDB::GetClassificationDescription(const QString& c) {
    return lookup(Classification, DescriptionOfCode, c);
}
QString CAppDB::GetLandOwnershipCode(const QString& d) {
    return lookup(LandOwnership, CodeOfDescription, d);
}
QString CAppDB::GetLandOwnershipDescription(const QString& c) {
    return lookup(LandOwnership, DescriptionOfCode, c);
}
QString CAppDB::GetMukimTSCode(const QString& d) {
    return lookup(MukimTS, CodeOfDescription, d);
}
QString CAppDB::GetMukimTSDescription(const QString& c) {
    return lookup(MukimTS, DescriptionOfCode, c);
}
QString CAppDB::GetRoadCode(const QString& name) {
    return lookup(Road, CodeOfDescription, name);
}
QString CAppDB::GetRoadDescription(const QString& c) {
    return lookup(Road, DescriptionOfCode, c);
}
QString CAppDB::GetRoleCode(const QString& d) {
    return lookup(Role, CodeOfDescription, d);
}
QString CAppDB::GetRoleDescription(const QString& c) {
    return lookup(Role, DescriptionOfCode, c);
}
QString CAppDB::GetCountryCode(const QString& name) {
    return lookup(Country, CodeOfDescription, name);
}
QString CAppDB::GetCountryDescription(const QString& c) {
    return lookup(Country, DescriptionOfCode, c);
}

QString CAppDB::GetProjectCoordinatorCode(const QString& roleCode) {
    if (roleCode.isEmpty())
        return {};
    return firstText(statement(m_specialStmts[CoordinatorOfRole],
                               m_specialFailed[CoordinatorOfRole], kCoordinatorSql),
                     roleCode);
}

QString CAppDB::GetProjectPrefixDescription(const QString& prefixCode) {
    if (prefixCode.isEmpty())
        return {};
    return firstText(
        statement(m_specialStmts[PrefixOfCode], m_specialFailed[PrefixOfCode], kPrefixSql),
        prefixCode);
}

int CAppDB::LoadQueryToArray(const QString& sql, VariantTable& out) {
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
