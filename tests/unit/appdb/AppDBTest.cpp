#include "sdk/AppDB.h"

#include "sdk/RunTimeLibrary.h"

#include "ScopedEnv.h"
#include "TestFiles.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

namespace {

// One code list of the database with its two lookups.
struct CodeList {
    const char* name;
    std::function<QStringList(CAppDB&)> all;
    std::function<QString(CAppDB&, const QString&)> code;
    std::function<QString(CAppDB&, const QString&)> description;
};

const std::vector<CodeList>& codeLists() {
    static const std::vector<CodeList> lists = {
        {"category", &CAppDB::CategoryDescriptions, &CAppDB::GetCategoryCode,
         &CAppDB::GetCategoryDescription},
        {"land ownership", &CAppDB::LandOwnershipDescriptions, &CAppDB::GetLandOwnershipCode,
         &CAppDB::GetLandOwnershipDescription},
        {"classification", &CAppDB::ClassificationDescriptions, &CAppDB::GetClassificationCode,
         &CAppDB::GetClassificationDescription},
        {"mukim/ts", &CAppDB::MukimTSDescriptions, &CAppDB::GetMukimTSCode,
         &CAppDB::GetMukimTSDescription},
        {"role", &CAppDB::RoleDescriptions, &CAppDB::GetRoleCode, &CAppDB::GetRoleDescription},
        {"country", &CAppDB::CountryDescriptions, &CAppDB::GetCountryCode,
         &CAppDB::GetCountryDescription},
    };
    return lists;
}

QString cell(const VariantTable& table, int column, int row) {
    QString value = QStringLiteral("<none>");
    table.cellText(column, row, &value);
    return value;
}

// Lookups against the database the build ships (the sandbox points KESTREL_LOOKUP_DB at it).
class LookupDatabase : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.IsOpen()) << "no lookup database"; }
    CAppDB db;
};

TEST_F(LookupDatabase, EveryListLooksUpBothWaysAndUnknownKeysAnswerEmpty) {
    for (const CodeList& list : codeLists()) {
        const QStringList descriptions = list.all(db);
        EXPECT_GE(descriptions.size(), 5) << list.name;
        QSet<QString> codes;
        for (const QString& description : descriptions) {
            const QString code = list.code(db, description);
            EXPECT_FALSE(code.isEmpty()) << list.name << ": " << description.toStdString();
            EXPECT_EQ(list.description(db, code), description) << list.name;
            codes.insert(code);
        }
        EXPECT_EQ(codes.size(), descriptions.size()) << list.name << ": codes not unique";
        EXPECT_EQ(list.code(db, QStringLiteral("NO SUCH THING")), QString()) << list.name;
        EXPECT_EQ(list.description(db, QStringLiteral("ZZ99")), QString()) << list.name;
    }
    EXPECT_EQ(db.GetRoadCode(QStringLiteral("NOWHERE LANE")), QString());
    EXPECT_EQ(db.GetRoadDescription(QStringLiteral("R99999")), QString());
}

TEST_F(LookupDatabase, CoordinatingRolesLeadToTheirReferencePrefix) {
    for (auto [role, coordinator, prefix] :
         {std::tuple{"ARCHITECT", "AR", "A"},
          std::tuple{"PROFESSIONAL ENGINEER (CIVIL/STRUCTURAL)", "PE", "PE"},
          std::tuple{"REGISTERED SURVEYOR", "RS", "RS"}, std::tuple{"ACCREDITED CHECKER", "", "PE"},
          std::tuple{"DEVELOPER", "", ""}}) {
        const QString code = db.GetRoleCode(QString::fromUtf8(role));
        ASSERT_FALSE(code.isEmpty()) << role;
        EXPECT_EQ(db.GetProjectCoordinatorCode(code), QString::fromUtf8(coordinator)) << role;
        EXPECT_EQ(db.GetProjectPrefixDescription(code), QString::fromUtf8(prefix)) << role;
    }
}

// The road combo is sorted ignoring case and searched by binary search: the query's order must
// agree with that comparison, or names would be missed.
TEST_F(LookupDatabase, RoadQueryComesInTheCombosCaseInsensitiveOrder) {
    VariantTable roads;
    ASSERT_NE(
        db.LoadQueryToArray(
            QStringLiteral("SELECT ROAD_CODE, ROAD_NAME FROM TQ_ROAD order by ROAD_NAME"), roads),
        0);
    ASSERT_EQ(roads.columnCount(), 2);
    ASSERT_GE(roads.rowCount(), 2000);
    for (int row = 1; row < roads.rowCount(); ++row)
        ASSERT_LT(
            QString::compare(cell(roads, 1, row - 1), cell(roads, 1, row), Qt::CaseInsensitive), 0)
            << row;
    for (int row = 0; row < roads.rowCount(); row += 97) {
        EXPECT_EQ(db.GetRoadDescription(cell(roads, 0, row)), cell(roads, 1, row));
        EXPECT_EQ(db.GetRoadCode(cell(roads, 1, row).toLower()), cell(roads, 0, row));
    }
}

TEST_F(LookupDatabase, QueryResultsAreTextColumnFirstAndFailuresLeaveTheTableEmpty) {
    VariantTable table;
    ASSERT_NE(db.LoadQueryToArray(QStringLiteral("SELECT 42, 'forty-two', NULL UNION ALL "
                                                 "SELECT 2.5, 'x', 'y'"),
                                  table),
              0);
    ASSERT_EQ(table.columnCount(), 3);
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(cell(table, 0, 0), QStringLiteral("42"));
    EXPECT_EQ(cell(table, 1, 0), QStringLiteral("forty-two"));
    EXPECT_EQ(cell(table, 2, 0), QString());
    EXPECT_EQ(cell(table, 0, 1), QStringLiteral("2.5"));
    EXPECT_EQ(cell(table, 2, 1), QStringLiteral("y"));
    EXPECT_FALSE(table.cellText(3, 0, nullptr));
    EXPECT_FALSE(table.cellText(0, 2, nullptr));

    ASSERT_NE(db.LoadQueryToArray(
                  QStringLiteral("SELECT ROAD_CODE, ROAD_NAME FROM TQ_ROAD WHERE 0"), table),
              0);
    EXPECT_FALSE(table.isEmpty());
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.columnCount(), 2);

    // The database is opened read-only: a DELETE fails like any bad statement.
    for (const char* sql :
         {"SELEKT nonsense", "SELECT * FROM NO_SUCH_TABLE", "DELETE FROM TQ_ROAD"}) {
        table = VariantTable::fromRows(1, {{QStringLiteral("stale")}});
        EXPECT_EQ(db.LoadQueryToArray(QString::fromUtf8(sql), table), 0) << sql;
        EXPECT_TRUE(table.isEmpty()) << sql;
    }
    EXPECT_FALSE(db.GetRoadCode(QStringLiteral("ORCHARD ROAD")).isEmpty());
}

// The database asked directly, one query per key, as every lookup once was: the answers held in
// memory must be the same for known keys, keys in other letter cases, and unknown keys.
class DirectQuery {
public:
    explicit DirectQuery(const QString& path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    }
    ~DirectQuery() { sqlite3_close(m_db); }
    QString first(const QString& sql, const QString& key) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr);
        const QByteArray utf8 = key.toUtf8();
        sqlite3_bind_text(stmt, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_STATIC);
        QString result;
        if (sqlite3_step(stmt) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return result;
    }

private:
    sqlite3* m_db = nullptr;
};

TEST_F(LookupDatabase, AnswersFromMemoryAreThoseOfTheQueries) {
    DirectQuery direct(CAppDB::LookupDatabasePath());
    struct Table {
        const char* table;
        const char* code;
        const char* description;
        std::function<QString(CAppDB&, const QString&)> codeOf;
        std::function<QString(CAppDB&, const QString&)> descriptionOf;
    };
    const Table tables[] = {
        {"TQ_MUKIM_TS", "MK_TS_CODE", "MK_TS_DESC", &CAppDB::GetMukimTSCode,
         &CAppDB::GetMukimTSDescription},
        {"TQ_ROLE", "ROLE_CODE", "ROLE_DESC", &CAppDB::GetRoleCode, &CAppDB::GetRoleDescription},
        {"TQ_COUNTRY", "COUNTRY_CODE", "COUNTRY_NAME", &CAppDB::GetCountryCode,
         &CAppDB::GetCountryDescription},
        {"TQ_ROAD", "ROAD_CODE", "ROAD_NAME", &CAppDB::GetRoadCode, &CAppDB::GetRoadDescription},
    };
    for (const Table& t : tables) {
        const QString codeSql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1 COLLATE NOCASE "
                                               "ORDER BY %1 LIMIT 1")
                                    .arg(t.code, t.table, t.description);
        const QString descriptionSql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1 LIMIT 1")
                                           .arg(t.description, t.table, t.code);
        QStringList descriptions;
        QStringList codes;
        for (int row = 1; row <= 3; ++row) {
            descriptions << direct.first(
                QStringLiteral("SELECT %1 FROM %2 ORDER BY %3 LIMIT 1 OFFSET %4")
                    .arg(t.description, t.table, t.code)
                    .arg(row * 7),
                QString());
            codes << direct.first(QStringLiteral("SELECT %1 FROM %2 ORDER BY %1 LIMIT 1 OFFSET %3")
                                      .arg(t.code, t.table)
                                      .arg(row * 5),
                                  QString());
        }
        // Letter case: ASCII letters fold, others do not; codes compare exactly.
        QStringList keys = {QString(),
                            QStringLiteral(" "),
                            QStringLiteral("NO SUCH THING"),
                            QStringLiteral("c\u00f4te d'ivoire"),
                            QStringLiteral("C\u00d4TE D'IVOIRE"),
                            QStringLiteral("\u00c5land Islands"),
                            QStringLiteral("\u00e5LAND ISLANDS")};
        for (const QString& d : descriptions)
            keys << d << d.toLower() << d.toUpper() << d + QLatin1Char(' ') << d.left(d.size() - 1);
        for (const QString& key : keys)
            EXPECT_EQ(t.codeOf(db, key), key.isEmpty() ? QString() : direct.first(codeSql, key))
                << t.table << " description " << key.toStdString();
        keys = {QString(), QStringLiteral("ZZ99"), QStringLiteral("R99999")};
        for (const QString& c : codes)
            keys << c << c.toLower() << c + QLatin1Char(' ');
        for (const QString& key : keys)
            EXPECT_EQ(t.descriptionOf(db, key),
                      key.isEmpty() ? QString() : direct.first(descriptionSql, key))
                << t.table << " code " << key.toStdString();
    }
}

// The database may live in any folder: characters that mean something in a URI are only a name.
TEST(LookupDatabasePath, OddCharactersInThePathOpenTheSameDatabase) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString odd = dir.filePath(QStringLiteral("a b#c?d%20e&f=g\u00e9.db"));
    ASSERT_TRUE(QFile::copy(CAppDB::LookupDatabasePath(), odd));
    ScopedEnv env("KESTREL_LOOKUP_DB", QFile::encodeName(odd));
    CAppDB db;
    ASSERT_TRUE(db.IsOpen());
    EXPECT_EQ(db.GetMukimTSCode(QStringLiteral("town subdivision 24")), QStringLiteral("TS24"));
}

// A database that is missing, not a database at all, cut short or without the tables: every
// lookup answers empty and nothing crashes.
TEST(BrokenLookupDatabase, EveryLookupAnswersEmpty) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile real(CAppDB::LookupDatabasePath());
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const std::pair<const char*, QByteArray> files[] = {
        {"garbage.db", QByteArray(8192, '\x5a')},
        {"truncated.db", real.read(100)}, // the header alone: the schema pages are gone
        {"bare.db", QByteArray()},        // a valid, empty SQLite database
    };
    for (const auto& [name, bytes] : files)
        ASSERT_TRUE(writeFile(dir.filePath(QString::fromLatin1(name)), bytes));
    for (const char* name : {"absent.db", "garbage.db", "truncated.db", "bare.db"}) {
        ScopedEnv env("KESTREL_LOOKUP_DB",
                      QFile::encodeName(dir.filePath(QString::fromLatin1(name))));
        CAppDB db;
        for (const CodeList& list : codeLists()) {
            EXPECT_TRUE(list.all(db).isEmpty()) << name << " " << list.name;
            EXPECT_EQ(list.description(db, QStringLiteral("X")), QString()) << name;
        }
        EXPECT_EQ(db.GetRoadCode(QStringLiteral("ORCHARD ROAD")), QString()) << name;
        EXPECT_EQ(db.GetProjectPrefixDescription(QStringLiteral("AR")), QString()) << name;
        VariantTable table = VariantTable::fromRows(1, {{QStringLiteral("stale")}});
        EXPECT_EQ(db.LoadQueryToArray(QStringLiteral("SELECT 1"), table), 0) << name;
        EXPECT_TRUE(table.isEmpty()) << name;
    }
}

TEST(RunTimeLibrary, HandleIsLoadedWithItsExportsOrNullWhenMissing) {
    {
        CAppDB db; // the sandbox names the library the build produced
        ASSERT_NE(db.m_hSdkDef, nullptr);
        EXPECT_NE(GetRunTimeFunction(db.m_hSdkDef, "CreateProject"), nullptr);
        EXPECT_NE(GetRunTimeFunction(db.m_hSdkDef, "RenameProject"), nullptr);
        EXPECT_EQ(GetRunTimeFunction(db.m_hSdkDef, "NoSuchExport"), nullptr);
        db.Reset();
        EXPECT_EQ(db.m_hSdkDef, nullptr);
    }
    QTemporaryDir dir;
    ScopedEnv env("KESTREL_SDKDEF", QFile::encodeName(dir.filePath("libTernSdkDef.so")));
    CAppDB db;
    EXPECT_EQ(db.m_hSdkDef, nullptr);
    EXPECT_EQ(GetRunTimeFunction(db.m_hSdkDef, "CreateProject"), nullptr);
    EXPECT_TRUE(db.IsOpen()) << "the lookups do not need the library";
}

} // namespace
