#include "sdk/AppDB.h"

#include "sdk/RunTimeLibrary.h"

#include "ScopedEnv.h"
#include "TestFiles.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <functional>

namespace {

// One code list of the database, its table, and its lookups ("all" only where the program lists
// every description).
struct CodeList {
    const char* table;
    const char* codeColumn;
    const char* descriptionColumn;
    std::function<QStringList(CAppDB&)> all;
    std::function<QString(CAppDB&, const QString&)> code;
    std::function<QString(CAppDB&, const QString&)> description;
};

const CodeList kCodeLists[] = {
    {"TQ_CATEGORY", "CATEGORY_CODE", "CATEGORY_DESC", &CAppDB::CategoryDescriptions,
     &CAppDB::GetCategoryCode, &CAppDB::GetCategoryDescription},
    {"TQ_LAND_OWNERSHIP", "LAND_OWNERSHIP_CODE", "LAND_OWNERSHIP_DESC",
     &CAppDB::LandOwnershipDescriptions, &CAppDB::GetLandOwnershipCode,
     &CAppDB::GetLandOwnershipDescription},
    {"TQ_CLASSIFICATION", "CLASSIFICATION_CODE", "CLASSIFICATION_DESC",
     &CAppDB::ClassificationDescriptions, &CAppDB::GetClassificationCode,
     &CAppDB::GetClassificationDescription},
    {"TQ_MUKIM_TS", "MK_TS_CODE", "MK_TS_DESC", &CAppDB::MukimTSDescriptions,
     &CAppDB::GetMukimTSCode, &CAppDB::GetMukimTSDescription},
    {"TQ_ROLE", "ROLE_CODE", "ROLE_DESC", &CAppDB::RoleDescriptions, &CAppDB::GetRoleCode,
     &CAppDB::GetRoleDescription},
    {"TQ_COUNTRY", "COUNTRY_CODE", "COUNTRY_NAME", &CAppDB::CountryDescriptions,
     &CAppDB::GetCountryCode, &CAppDB::GetCountryDescription},
    {"TQ_ROAD", "ROAD_CODE", "ROAD_NAME", nullptr, &CAppDB::GetRoadCode,
     &CAppDB::GetRoadDescription},
};

QString cell(const VariantTable& table, int column, int row) {
    QString value = QStringLiteral("<none>");
    table.cellText(column, row, &value);
    return value;
}

// The lookup database asked directly, as every lookup once was, with the key quoted in place of
// ?1: the first column of the first row, "" when there is none.
QString direct(CAppDB& db, QString sql, QString key = {}) {
    VariantTable table;
    QString first;
    db.LoadQueryToArray(sql.replace(QLatin1String("?1"), '\'' + key.replace('\'', "''") + '\''),
                        table);
    table.cellText(0, 0, &first);
    return first;
}

// Lookups against the database the build ships (the sandbox points KESTREL_LOOKUP_DB at it).
class LookupDatabase : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.IsOpen()) << "no lookup database"; }
    CAppDB db;
};

// The answers held in memory are those of a query per key, as every lookup once was, for known
// keys, keys in other letter cases (ASCII letters fold, others do not; codes compare exactly) and
// unknown keys; every description listed leads to a code of its own and back.
TEST_F(LookupDatabase, AnswersFromMemoryAreThoseOfTheQueries) {
    const QStringList odd = QStringLiteral("| |NO SUCH THING|c\u00f4te d'ivoire|C\u00d4TE D'IVOIRE|"
                                           "\u00c5land Islands|\u00e5LAND ISLANDS")
                                .split(u'|');
    for (const CodeList& t : kCodeLists) {
        const QStringList listed = t.all ? t.all(db) : QStringList();
        EXPECT_TRUE(!t.all || listed.size() >= 5) << t.table;
        QSet<QString> listedCodes;
        for (const QString& description : listed) {
            listedCodes.insert(t.code(db, description));
            EXPECT_EQ(t.description(db, t.code(db, description)), description) << t.table;
        }
        EXPECT_EQ(listedCodes.size(), listed.size()) << t.table << ": codes not unique";
        // A row from the middle of the table, whatever its length.
        const QString middle =
            QStringLiteral("SELECT %1 FROM %2 ORDER BY %3 LIMIT 1 OFFSET (SELECT COUNT(*) / 2 "
                           "FROM %2)");
        const QString d = direct(db, middle.arg(t.descriptionColumn, t.table, t.codeColumn));
        const QString c = direct(db, middle.arg(t.codeColumn, t.table, t.codeColumn));
        ASSERT_FALSE(d.isEmpty() || c.isEmpty()) << t.table;
        const QString byDescription =
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1 COLLATE NOCASE ORDER BY %1")
                .arg(t.codeColumn, t.table, t.descriptionColumn);
        for (const QString& key : listed + odd + QStringList{d, d.toLower(), d + ' ', d.chopped(1)})
            EXPECT_EQ(t.code(db, key), key.isEmpty() ? QString() : direct(db, byDescription, key))
                << t.table << " description " << key.toStdString();
        const QString byCode = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1")
                                   .arg(t.descriptionColumn, t.table, t.codeColumn);
        for (const QString& key : {QString(), QStringLiteral("ZZ99"), c, c.toLower(), c + ' '})
            EXPECT_EQ(t.description(db, key), key.isEmpty() ? QString() : direct(db, byCode, key))
                << t.table << " code " << key.toStdString();
    }
    // A role's own prefix, where it coordinates nothing (others: MemberRecordTest).
    EXPECT_EQ(db.GetProjectPrefixDescription(db.GetRoleCode(QStringLiteral("ACCREDITED CHECKER"))),
              QStringLiteral("PE"));
}

// Results come as text, column first. The road combo is sorted ignoring case and searched by
// binary search: its query's order must agree with that comparison, or names would be missed.
TEST_F(LookupDatabase, QueryResultsAreTextColumnFirstAndFailuresLeaveTheTableEmpty) {
    VariantTable table;
    ASSERT_NE(db.LoadQueryToArray(QStringLiteral("SELECT 42, 'forty-two', NULL UNION ALL "
                                                 "SELECT 2.5, 'x', 'y'"),
                                  table),
              0);
    ASSERT_EQ(table.columnCount(), 3);
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(
        QStringList({cell(table, 0, 0), cell(table, 1, 0), cell(table, 2, 0), cell(table, 0, 1),
                     cell(table, 2, 1), cell(table, 3, 0), cell(table, 0, 2)}),
        QStringList({"42", "forty-two", "", "2.5", "y", "<none>", "<none>"}));

    ASSERT_NE(
        db.LoadQueryToArray(
            QStringLiteral("SELECT ROAD_CODE, ROAD_NAME FROM TQ_ROAD order by ROAD_NAME"), table),
        0);
    ASSERT_GE(table.rowCount(), 2000);
    for (int row = 1; row < table.rowCount(); ++row)
        ASSERT_LT(
            QString::compare(cell(table, 1, row - 1), cell(table, 1, row), Qt::CaseInsensitive), 0)
            << row;
    ASSERT_NE(db.LoadQueryToArray(
                  QStringLiteral("SELECT ROAD_CODE, ROAD_NAME FROM TQ_ROAD WHERE 0"), table),
              0);
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.columnCount(), 2);

    // The database is opened read-only: a DELETE fails like any bad statement.
    for (const char* sql : {"SELEKT nonsense", "DELETE FROM TQ_ROAD"}) {
        table = VariantTable::fromRows(1, {{QStringLiteral("stale")}});
        EXPECT_EQ(db.LoadQueryToArray(QString::fromUtf8(sql), table), 0) << sql;
        EXPECT_TRUE(table.isEmpty()) << sql;
    }
    EXPECT_FALSE(db.GetRoadCode(QStringLiteral("ORCHARD ROAD")).isEmpty());
}

// The database may live in any folder: characters that mean something in a URI are only a name.
// A database that is missing, not a database at all, cut short or without the tables: every
// lookup answers empty and nothing crashes.
TEST(LookupDatabasePath, OddPathsOpenTheSameDatabaseAndBrokenOnesAnswerEmpty) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString odd = dir.filePath(QStringLiteral("a b#c?d%20e&f=g\u00e9.db"));
    ASSERT_TRUE(QFile::copy(CAppDB::LookupDatabasePath(), odd));
    {
        ScopedEnv env("KESTREL_LOOKUP_DB", QFile::encodeName(odd));
        CAppDB db;
        ASSERT_TRUE(db.IsOpen());
        EXPECT_EQ(db.GetMukimTSCode(QStringLiteral("town subdivision 24")), QStringLiteral("TS24"));
    }
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("garbage.db")), QByteArray(8192, '\x5a')));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("bare.db")), {})); // valid, and empty
    for (const char* name : {"absent.db", "garbage.db", "bare.db"}) {
        ScopedEnv env("KESTREL_LOOKUP_DB",
                      QFile::encodeName(dir.filePath(QString::fromLatin1(name))));
        CAppDB db;
        for (const CodeList& list : kCodeLists) {
            EXPECT_TRUE(!list.all || list.all(db).isEmpty()) << name << " " << list.table;
            EXPECT_EQ(list.description(db, QStringLiteral("X")), QString()) << name;
            EXPECT_EQ(list.code(db, QStringLiteral("ORCHARD ROAD")), QString()) << name;
        }
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

// The sample project that ships with the editor agrees with the lookup data it ships with: every
// code resolves to the description written beside it.
const char* const kSample = KESTREL_TEST_DATA_DIR "/../../resources/samples/sample-project.xml";

TEST(SampleProject, CodesAgreeWithTheLookupData) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(kSample)) << kSample;
    CAppDB db;
    ASSERT_TRUE(db.IsOpen());
    using Lookup = QString (CAppDB::*)(const QString&);
    // Each element holding a code, beside its "_desc" twin, and the list that resolves it.
    const std::pair<const char*, Lookup> codes[] = {
        {"/krroot/project/profile/category_code", &CAppDB::GetCategoryDescription},
        {"/krroot/project/profile/classification_code", &CAppDB::GetClassificationDescription},
        {"/krroot/project/profile/land_ownership_code", &CAppDB::GetLandOwnershipDescription},
        {"//lotmkts/mk_ts_code", &CAppDB::GetMukimTSDescription},
        {"//road_code", &CAppDB::GetRoadDescription},
        {"//member_role/member_role_code", &CAppDB::GetRoleDescription},
    };
    for (const auto& [xpath, lookup] : codes) {
        const pugi::xpath_node_set nodes = doc.select_nodes(xpath);
        EXPECT_FALSE(nodes.empty()) << xpath;
        for (const pugi::xpath_node& code : nodes) {
            const std::string desc = std::string(code.node().name()) + "_desc";
            EXPECT_EQ((db.*lookup)(QString::fromUtf8(code.node().text().get())),
                      QString::fromUtf8(code.node().parent().child(desc.c_str()).text().get()))
                << xpath;
        }
    }
    for (const pugi::xpath_node& road : doc.select_nodes("/krroot/project/profile/road_group/road"))
        EXPECT_FALSE(db.GetRoadDescription(QString::fromUtf8(road.node().text().get())).isEmpty());
}

} // namespace
