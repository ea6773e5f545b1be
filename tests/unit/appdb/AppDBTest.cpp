#include "sdk/AppDB.h"

#include "sdk/RunTimeLibrary.h"

#include "ScopedEnv.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

struct FakeCombo {
    QStringList items;
    void addItems(const QStringList& more) { items += more; }
};

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

bool sortedIgnoringCase(const QStringList& items, QString* where) {
    for (qsizetype i = 1; i < items.size(); ++i) {
        if (QString::compare(items[i - 1], items[i], Qt::CaseInsensitive) > 0) {
            *where = items[i - 1] + QStringLiteral(" > ") + items[i];
            return false;
        }
    }
    return true;
}

// Lookups against the database the build ships (CTest points KESTREL_LOOKUP_DB at it).
class LookupDatabase : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.IsOpen()) << "no lookup database at " << path(); }
    std::string path() const { return CAppDB::LookupDatabasePath().toStdString(); }
    CAppDB db;
};

TEST_F(LookupDatabase, EveryListRoundTripsBetweenCodeAndDescription) {
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
    }
}

TEST_F(LookupDatabase, UnknownOrEmptyKeysAnswerEmpty) {
    for (const CodeList& list : codeLists()) {
        EXPECT_EQ(list.code(db, QStringLiteral("NO SUCH THING")), QString()) << list.name;
        EXPECT_EQ(list.description(db, QStringLiteral("ZZ99")), QString()) << list.name;
        EXPECT_EQ(list.code(db, QString()), QString()) << list.name;
        EXPECT_EQ(list.description(db, QString()), QString()) << list.name;
    }
    EXPECT_EQ(db.GetRoadCode(QStringLiteral("NOWHERE LANE")), QString());
    EXPECT_EQ(db.GetRoadDescription(QStringLiteral("R99999")), QString());
    EXPECT_EQ(db.GetProjectCoordinatorCode(QStringLiteral("NOPE")), QString());
    EXPECT_EQ(db.GetProjectPrefixDescription(QStringLiteral("NOPE")), QString());
}

TEST_F(LookupDatabase, ListsComeSortedForTheSortedCombos) {
    for (const CodeList& list : codeLists()) {
        if (QString(list.name) == QStringLiteral("country"))
            continue; // accents folded: checked below
        QString where;
        EXPECT_TRUE(sortedIgnoringCase(list.all(db), &where))
            << list.name << ": " << where.toStdString();
    }
    const QStringList countries = db.CountryDescriptions();
    EXPECT_GE(countries.size(), 240);
    EXPECT_TRUE(countries.contains(QStringLiteral("Singapore")));
    EXPECT_EQ(db.GetCountryCode(QStringLiteral("Singapore")), QStringLiteral("SG"));
    // "Åland Islands" sits among the A's, not after "Zimbabwe".
    EXPECT_LT(countries.indexOf(QStringLiteral("Åland Islands")),
              countries.indexOf(QStringLiteral("Albania")));
    EXPECT_EQ(countries.last(), QStringLiteral("Zimbabwe"));
}

TEST_F(LookupDatabase, SurveyDistrictsAreMukimsAndTownSubdivisions) {
    const QStringList districts = db.MukimTSDescriptions();
    EXPECT_EQ(districts.first(), QStringLiteral("MUKIM 01"));
    EXPECT_EQ(districts.last(), QStringLiteral("TOWN SUBDIVISION 30"));
    EXPECT_EQ(db.GetMukimTSCode(QStringLiteral("MUKIM 17")), QStringLiteral("MK17"));
    EXPECT_EQ(db.GetMukimTSDescription(QStringLiteral("TS24")),
              QStringLiteral("TOWN SUBDIVISION 24"));
}

TEST_F(LookupDatabase, LoadTemplatesFillAnyComboWithTheList) {
    FakeCombo combo;
    combo.items << QStringLiteral("kept");
    db.LoadRole(&combo);
    EXPECT_EQ(combo.items, QStringList{QStringLiteral("kept")} + db.RoleDescriptions());
    FakeCombo categories, ownership, classes, districts, countries;
    db.LoadCategory(&categories);
    db.LoadLandOwnership(&ownership);
    db.LoadClassification(&classes);
    db.LoadMukimTS(&districts);
    db.LoadCountries(&countries);
    EXPECT_EQ(categories.items, db.CategoryDescriptions());
    EXPECT_EQ(ownership.items, db.LandOwnershipDescriptions());
    EXPECT_EQ(classes.items, db.ClassificationDescriptions());
    EXPECT_EQ(districts.items, db.MukimTSDescriptions());
    EXPECT_EQ(countries.items, db.CountryDescriptions());
    db.LoadRole(static_cast<FakeCombo*>(nullptr)); // tolerated
}

TEST_F(LookupDatabase, CoordinatingRolesLeadToTheirReferencePrefix) {
    struct Expect {
        const char* role;
        const char* coordinator;
        const char* prefix;
    };
    // A role code itself names the role's own prefix: a non-empty one makes the professional
    // number mandatory.
    for (const Expect& e :
         {Expect{"ARCHITECT", "AR", "A"},
          Expect{"PROFESSIONAL ENGINEER (CIVIL/STRUCTURAL)", "PE", "PE"},
          Expect{"PROFESSIONAL ENGINEER (MECHANICAL)", "PE", "PE"},
          Expect{"PROFESSIONAL ENGINEER (ELECTRICAL)", "PE", "PE"},
          Expect{"PROFESSIONAL ENGINEER (GEOTECHNICAL)", "PE", "PE"},
          Expect{"REGISTERED SURVEYOR", "RS", "RS"}, Expect{"ACCREDITED CHECKER", "", "PE"},
          Expect{"DEVELOPER", "", ""}, Expect{"OWNER", "", ""}, Expect{"BUILDER", "", ""},
          Expect{"QUANTITY SURVEYOR", "", ""}}) {
        const QString code = db.GetRoleCode(QString::fromUtf8(e.role));
        ASSERT_FALSE(code.isEmpty()) << e.role;
        const QString coordinator = db.GetProjectCoordinatorCode(code);
        EXPECT_EQ(coordinator, QString::fromUtf8(e.coordinator)) << e.role;
        EXPECT_EQ(db.GetProjectPrefixDescription(code), QString::fromUtf8(e.prefix)) << e.role;
        if (!coordinator.isEmpty()) {
            EXPECT_EQ(db.GetProjectPrefixDescription(coordinator), QString::fromUtf8(e.prefix));
        }
    }
    // The coordinator walk tells architects and engineers apart by the role code's start.
    EXPECT_TRUE(db.GetRoleCode(QStringLiteral("ARCHITECT")).startsWith(QStringLiteral("ARCH")));
    EXPECT_TRUE(db.GetRoleCode(QStringLiteral("PROFESSIONAL ENGINEER (MECHANICAL)"))
                    .startsWith(QStringLiteral("PE")));
    EXPECT_FALSE(
        db.GetRoleCode(QStringLiteral("REGISTERED SURVEYOR")).startsWith(QStringLiteral("PE")));
    EXPECT_EQ(db.PrefixDescriptions(),
              (QStringList{QStringLiteral("A"), QStringLiteral("PE"), QStringLiteral("RS")}));
}

TEST_F(LookupDatabase, RoadQueryComesInTheCombosCaseInsensitiveOrder) {
    VariantTable roads;
    ASSERT_NE(
        db.LoadQueryToArray(
            QStringLiteral("SELECT ROAD_CODE, ROAD_NAME FROM TQ_ROAD order by ROAD_NAME"), roads),
        0);
    ASSERT_EQ(roads.columnCount(), 2);
    ASSERT_GE(roads.rowCount(), 2000);
    QString previous;
    QSet<QString> names;
    for (int row = 0; row < roads.rowCount(); ++row) {
        QString code, name;
        ASSERT_TRUE(roads.cellText(0, row, &code));
        ASSERT_TRUE(roads.cellText(1, row, &name));
        EXPECT_FALSE(code.isEmpty());
        if (row > 0) {
            ASSERT_LT(QString::compare(previous, name, Qt::CaseInsensitive), 0)
                << previous.toStdString() << " / " << name.toStdString();
        }
        names.insert(name.toCaseFolded());
        previous = name;
    }
    EXPECT_EQ(names.size(), roads.rowCount());
}

TEST_F(LookupDatabase, RoadNamesAreFoundWithoutRegardToCase) {
    const QString code = db.GetRoadCode(QStringLiteral("ORCHARD ROAD"));
    ASSERT_FALSE(code.isEmpty());
    EXPECT_EQ(db.GetRoadCode(QStringLiteral("orchard road")), code);
    EXPECT_EQ(db.GetRoadCode(QStringLiteral("Orchard Road")), code);
    EXPECT_EQ(db.GetRoadDescription(code), QStringLiteral("ORCHARD ROAD"));
    EXPECT_EQ(db.GetRoadDescription(code.toLower()), QString()); // codes are exact
    const QString quoted = db.GetRoadCode(QStringLiteral("St. Andrew's Road"));
    EXPECT_EQ(db.GetRoadDescription(quoted), QStringLiteral("ST. ANDREW'S ROAD"));
}

TEST_F(LookupDatabase, QueryResultsAreTextColumnFirst) {
    VariantTable table;
    ASSERT_NE(db.LoadQueryToArray(QStringLiteral("SELECT 42, 'forty-two', NULL, 2.5"), table), 0);
    ASSERT_EQ(table.columnCount(), 4);
    ASSERT_EQ(table.rowCount(), 1);
    QString cell;
    ASSERT_TRUE(table.cellText(0, 0, &cell));
    EXPECT_EQ(cell, QStringLiteral("42"));
    ASSERT_TRUE(table.cellText(1, 0, &cell));
    EXPECT_EQ(cell, QStringLiteral("forty-two"));
    ASSERT_TRUE(table.cellText(2, 0, &cell));
    EXPECT_EQ(cell, QString());
    ASSERT_TRUE(table.cellText(3, 0, &cell));
    EXPECT_EQ(cell, QStringLiteral("2.5"));

    ASSERT_NE(db.LoadQueryToArray(QStringLiteral("SELECT MK_TS_CODE, MK_TS_DESC FROM TQ_MUKIM_TS "
                                                 "WHERE MK_TS_CODE IN ('MK02', 'TS03') "
                                                 "ORDER BY MK_TS_CODE"),
                                  table),
              0);
    ASSERT_EQ(table.rowCount(), 2);
    ASSERT_TRUE(table.cellText(0, 1, &cell));
    EXPECT_EQ(cell, QStringLiteral("TS03"));
    ASSERT_TRUE(table.cellText(1, 0, &cell));
    EXPECT_EQ(cell, QStringLiteral("MUKIM 02"));
}

TEST_F(LookupDatabase, QueryWithoutRowsStillFillsTheTable) {
    VariantTable table;
    ASSERT_NE(db.LoadQueryToArray(
                  QStringLiteral("SELECT ROAD_CODE, ROAD_NAME FROM TQ_ROAD WHERE 0"), table),
              0);
    EXPECT_FALSE(table.isEmpty());
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.columnCount(), 2);
}

TEST_F(LookupDatabase, FailedQueryLeavesTheTableEmpty) {
    VariantTable table = VariantTable::fromRows(1, {{QStringLiteral("stale")}});
    EXPECT_EQ(db.LoadQueryToArray(QStringLiteral("SELEKT nonsense"), table), 0);
    EXPECT_TRUE(table.isEmpty());
    EXPECT_EQ(db.LoadQueryToArray(QStringLiteral("SELECT * FROM NO_SUCH_TABLE"), table), 0);
    EXPECT_TRUE(table.isEmpty());
    // The database is opened read-only: nothing a query says can change it.
    EXPECT_EQ(db.LoadQueryToArray(QStringLiteral("DELETE FROM TQ_ROAD"), table), 0);
    EXPECT_TRUE(table.isEmpty());
    EXPECT_FALSE(db.GetRoadCode(QStringLiteral("ORCHARD ROAD")).isEmpty());
}

TEST_F(LookupDatabase, ResetClosesAndALaterLookupOpensAgain) {
    const QString before = db.GetCategoryDescription(QStringLiteral("NE"));
    db.Reset();
    EXPECT_EQ(db.m_hSdkDef, nullptr);
    EXPECT_EQ(db.GetCategoryDescription(QStringLiteral("NE")), before);
}

TEST(AppDBSingleton, IsOneInstanceForTheWholeProgram) {
    EXPECT_NE(XKR_GetAppDB(), nullptr);
    EXPECT_EQ(XKR_GetAppDB(), XKR_GetAppDB());
}

// A database that is missing, not a database at all, or lacks the tables: every lookup answers
// empty and nothing crashes.
class BrokenDatabase : public ::testing::Test {
protected:
    void expectEverythingEmpty(CAppDB& db) {
        EXPECT_FALSE(db.IsOpen());
        for (const CodeList& list : codeLists()) {
            EXPECT_TRUE(list.all(db).isEmpty()) << list.name;
            EXPECT_EQ(list.code(db, QStringLiteral("X")), QString()) << list.name;
            EXPECT_EQ(list.description(db, QStringLiteral("X")), QString()) << list.name;
        }
        EXPECT_TRUE(db.PrefixDescriptions().isEmpty());
        EXPECT_EQ(db.GetRoadCode(QStringLiteral("ORCHARD ROAD")), QString());
        EXPECT_EQ(db.GetProjectCoordinatorCode(QStringLiteral("ARCH")), QString());
        EXPECT_EQ(db.GetProjectPrefixDescription(QStringLiteral("AR")), QString());
        FakeCombo combo;
        db.LoadCountries(&combo);
        EXPECT_TRUE(combo.items.isEmpty());
        VariantTable table = VariantTable::fromRows(1, {{QStringLiteral("stale")}});
        EXPECT_EQ(db.LoadQueryToArray(QStringLiteral("SELECT 1"), table), 0);
        EXPECT_TRUE(table.isEmpty());
    }
    QTemporaryDir dir;
};

TEST_F(BrokenDatabase, MissingFile) {
    ScopedEnv env("KESTREL_LOOKUP_DB", QFile::encodeName(dir.filePath("absent.db")));
    CAppDB db;
    expectEverythingEmpty(db);
}

TEST_F(BrokenDatabase, GarbageFile) {
    QFile garbage(dir.filePath("garbage.db"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(8192, '\x5a'));
    garbage.close();
    ScopedEnv env("KESTREL_LOOKUP_DB", QFile::encodeName(garbage.fileName()));
    CAppDB db;
    expectEverythingEmpty(db);
}

TEST_F(BrokenDatabase, TruncatedCopyOfTheRealDatabase) {
    QFile real(CAppDB::LookupDatabasePath());
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    QFile truncated(dir.filePath("truncated.db"));
    ASSERT_TRUE(truncated.open(QIODevice::WriteOnly));
    truncated.write(real.read(100)); // the header alone: the schema pages are gone
    truncated.close();
    ScopedEnv env("KESTREL_LOOKUP_DB", QFile::encodeName(truncated.fileName()));
    CAppDB db;
    for (const CodeList& list : codeLists())
        EXPECT_TRUE(list.all(db).isEmpty()) << list.name;
    EXPECT_EQ(db.GetRoadCode(QStringLiteral("ORCHARD ROAD")), QString());
}

TEST_F(BrokenDatabase, DatabaseWithoutTheTables) {
    const QString path = dir.filePath("bare.db");
    {
        // An empty file is a valid, empty SQLite database: readable, but no lookup tables.
        QFile bare(path);
        ASSERT_TRUE(bare.open(QIODevice::WriteOnly));
    }
    ScopedEnv env("KESTREL_LOOKUP_DB", QFile::encodeName(path));
    CAppDB db;
    expectEverythingEmpty(db);
}

TEST(RunTimeLibrary, TheHostLibraryIsLoadedWithItsExports) {
    // CTest names the library the build produced.
    CAppDB db;
    ASSERT_NE(db.m_hSdkDef, nullptr);
    EXPECT_NE(GetRunTimeFunction(db.m_hSdkDef, "CreateProject"), nullptr);
    EXPECT_NE(GetRunTimeFunction(db.m_hSdkDef, "RenameProject"), nullptr);
    EXPECT_EQ(GetRunTimeFunction(db.m_hSdkDef, "NoSuchExport"), nullptr);
    db.Reset();
    EXPECT_EQ(db.m_hSdkDef, nullptr);
}

TEST(RunTimeLibrary, MissingLibraryLeavesTheHandleNull) {
    QTemporaryDir dir;
    ScopedEnv env("KESTREL_SDKDEF", QFile::encodeName(dir.filePath("libTernSdkDef.so")));
    CAppDB db;
    EXPECT_EQ(db.m_hSdkDef, nullptr);
    EXPECT_EQ(GetRunTimeFunction(db.m_hSdkDef, "CreateProject"), nullptr);
}

TEST(RunTimeLibrary, DefaultsToTheProgramsFolder) {
    ScopedEnv env("KESTREL_SDKDEF", QByteArray());
    EXPECT_EQ(SdkDefLibraryPath(), ExecutableDir() + QStringLiteral("/libTernSdkDef.so"));
    EXPECT_EQ(ExecutableDir(), QStringLiteral(KESTREL_RUNTIME_DIR));
}

} // namespace
