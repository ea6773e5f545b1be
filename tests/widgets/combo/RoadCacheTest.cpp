// The road table: one load per run shared by every page, a failed load answering null and tried
// again, and the names column read as text whatever the database holds in it.
#include "app/RoadCache.h"
#include "sdk/AppDB.h"
#include "sdk/VariantTable.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "ScopedEnv.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

// A copy of the shipped lookup database changed by a script, made the SDK's lookup database for
// the length of a test.
class LookupDatabase {
public:
    explicit LookupDatabase(const char* sql) {
        QString shipped = qEnvironmentVariable("KESTREL_LOOKUP_DB");
        if (shipped.isEmpty())
            shipped = QStringLiteral(KESTREL_RUNTIME_DIR "/kestrel-lookup.db");
        const QString path = m_dir.filePath("lookup.db");
        sqlite3* db = nullptr;
        m_ready = QFile::copy(shipped, path) &&
                  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner) &&
                  sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK &&
                  sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        m_env.emplace("KESTREL_LOOKUP_DB", path.toUtf8());
        XKR_GetAppDB()->Reset();
    }
    ~LookupDatabase() {
        m_env.reset();
        XKR_GetAppDB()->Reset();
    }
    bool ready() const { return m_ready; }

private:
    QTemporaryDir m_dir;
    std::optional<ScopedEnv> m_env;
    bool m_ready = false;
};

} // namespace

TEST(RoadCache, PagesShareOneLoadAndAFailedLoadIsTriedAgain) {
    int calls = 0;
    int result = 0;
    QString lastSql;
    CRoadCache cache([&](const QString& sql, VariantTable& out) {
        ++calls;
        lastSql = sql;
        out.clear();
        if (result)
            out = VariantTable::fromRows(2, {{"R1", "ADAM AVENUE"}, {"R2", "Baker Street"}});
        return result;
    });
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
    EXPECT_EQ(calls, 2); // nothing was left in the table, so each call tries again
    result = 1;
    CListSource* first = cache.GetRoadTable();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.GetRoadTable(), first);
    EXPECT_EQ(cache.GetRoadTable(), first);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(lastSql, "SELECT ROAD_CODE, ROAD_NAME FROM TQ_ROAD order by ROAD_NAME");
    EXPECT_EQ(first->GetCount(), 2);
    EXPECT_EQ(first->GetText(1), "Baker Street"); // the name column, not the code
    EXPECT_TRUE(first->IsSorted());
}

TEST(RoadCacheDatabase, EmptyResultGivesNoRowsAndBrokenTableAnswersNull) {
    {
        LookupDatabase lookup("DELETE FROM TQ_ROAD;");
        ASSERT_TRUE(lookup.ready());
        CRoadCache cache;
        CListSource* roads = cache.GetRoadTable();
        ASSERT_NE(roads, nullptr); // no rows is a successful load
        EXPECT_EQ(roads->GetCount(), 0);
        EXPECT_EQ(roads->FindString(0, ""), -1);
    }
    LookupDatabase lookup("ALTER TABLE TQ_ROAD RENAME COLUMN ROAD_NAME TO NAME;");
    ASSERT_TRUE(lookup.ready());
    CRoadCache cache;
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
}

TEST(RoadCacheDatabase, NumericNameReadsAsItsText) {
    // A name column without a type keeps numbers as numbers.
    LookupDatabase lookup(
        "DROP TABLE TQ_ROAD; CREATE TABLE TQ_ROAD (ROAD_CODE TEXT, ROAD_NAME);"
        "INSERT INTO TQ_ROAD VALUES ('R1', 42), ('R2', 'Abbey Road'), ('R3', 2.5), ('R4', NULL);");
    ASSERT_TRUE(lookup.ready());
    CRoadCache cache;
    CListSource* roads = cache.GetRoadTable();
    ASSERT_NE(roads, nullptr);
    ASSERT_EQ(roads->GetCount(), 4);
    QStringList names;
    for (int i = 0; i < roads->GetCount(); ++i)
        names << roads->GetText(i);
    EXPECT_TRUE(names.contains("42"));
    EXPECT_TRUE(names.contains("2.5"));
    EXPECT_TRUE(names.contains("")); // NULL
}
