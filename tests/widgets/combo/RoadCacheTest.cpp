// The road table: one load per run shared by every page, a failed load answering null, and the
// list source reading the names column of whatever the query gave.
#include "app/RoadCache.h"
#include "controls/VariantTableSource.h"
#include "sdk/AppDB.h"
#include "sdk/VariantTable.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

struct CountingLoader {
    int calls = 0;
    QString lastSql;
    int result = 1;
    QList<QStringList> rows;

    CRoadCache::Loader loader() {
        return [this](const QString& sql, VariantTable& out) {
            ++calls;
            lastSql = sql;
            if (!result) {
                out.clear();
                return 0;
            }
            out = VariantTable::fromRows(2, rows);
            return 1;
        };
    }
};

// A copy of the shipped lookup database (KESTREL_LOOKUP_DB, else the one in the build's bin
// folder), changed by a script and made the SDK's lookup database for the length of a test.
class LookupDatabase {
public:
    explicit LookupDatabase(const char* sql) {
        m_previous = qgetenv("KESTREL_LOOKUP_DB");
        m_path = m_dir.filePath("lookup.db");
        QString shipped = QString::fromLocal8Bit(m_previous);
        if (shipped.isEmpty())
            shipped = QStringLiteral(KESTREL_RUNTIME_DIR "/kestrel-lookup.db");
        m_ready = QFile::copy(shipped, m_path);
        if (!m_ready)
            ADD_FAILURE() << "cannot copy " << qPrintable(shipped);
        if (m_ready) {
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
            sqlite3* db = nullptr;
            char* error = nullptr;
            m_ready = sqlite3_open(m_path.toUtf8().constData(), &db) == SQLITE_OK &&
                      sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK;
            if (error)
                ADD_FAILURE() << error;
            sqlite3_free(error);
            sqlite3_close(db);
        }
        qputenv("KESTREL_LOOKUP_DB", m_path.toUtf8());
        XKR_GetAppDB()->Reset();
    }
    ~LookupDatabase() {
        qputenv("KESTREL_LOOKUP_DB", m_previous);
        XKR_GetAppDB()->Reset();
    }
    bool ready() const { return m_ready; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_previous;
    bool m_ready = false;
};

} // namespace

TEST(RoadCache, ThreePagesShareOneLoad) {
    CountingLoader db;
    db.rows = {{"R1", "ADAM AVENUE"}, {"R2", "Baker Street"}};
    CRoadCache cache(db.loader());
    CListSource* first = cache.GetRoadTable();
    CListSource* second = cache.GetRoadTable();
    CListSource* third = cache.GetRoadTable();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, third);
    EXPECT_EQ(db.calls, 1);
    EXPECT_EQ(db.lastSql, "SELECT ROAD_CODE, ROAD_NAME FROM TQ_ROAD order by ROAD_NAME");
    EXPECT_EQ(first->GetCount(), 2);
    EXPECT_EQ(first->GetText(1), "Baker Street"); // the name column, not the code
    EXPECT_TRUE(first->IsSorted());
}

TEST(RoadCache, FailedLoadAnswersNullAndIsTriedAgain) {
    CountingLoader db;
    db.result = 0;
    CRoadCache cache(db.loader());
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
    EXPECT_EQ(db.calls, 2); // nothing was left in the table, so each call tries again
    db.result = 1;
    db.rows = {{"R9", "Canal Walk"}};
    CListSource* roads = cache.GetRoadTable();
    ASSERT_NE(roads, nullptr);
    EXPECT_EQ(roads->GetText(0), "Canal Walk");
    EXPECT_EQ(cache.GetRoadTable(), roads);
    EXPECT_EQ(db.calls, 3);
}

TEST(RoadCache, FailedLoadThatLeftATableIsNotRepeated) {
    int calls = 0;
    CRoadCache cache([&calls](const QString&, VariantTable& out) {
        ++calls;
        out = VariantTable::fromRows(2, {{"R1", "Partial"}});
        return 0;
    });
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
    CListSource* later = cache.GetRoadTable();
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->GetText(0), "Partial");
    EXPECT_EQ(calls, 1);
}

TEST(VariantTableSource, ReadsTheSecondColumnAndNothingOutside) {
    CVariantTableSource source;
    EXPECT_EQ(source.GetCount(), 0); // no table yet
    EXPECT_EQ(source.GetText(0), "");
    EXPECT_TRUE(source.IsSorted());

    VariantTable table = VariantTable::fromRows(2, {{"R1", "One"}, {"R2", "Two"}});
    source.SetTable(&table);
    EXPECT_EQ(source.GetCount(), 2);
    EXPECT_EQ(source.GetText(0), "One");
    EXPECT_EQ(source.GetText(-1), "");
    EXPECT_EQ(source.GetText(2), "");

    VariantTable oneColumn = VariantTable::fromRows(1, {{"only a code"}});
    source.SetTable(&oneColumn);
    EXPECT_EQ(source.GetCount(), 1);
    EXPECT_EQ(source.GetText(0), ""); // the cell cannot be read

    table.clear();
    source.SetTable(&table);
    EXPECT_EQ(source.GetCount(), 0);
    source.m_bSorted = false;
    EXPECT_FALSE(source.IsSorted());
}

TEST(RoadCacheDatabase, EmptyResultGivesNoRows) {
    LookupDatabase lookup("DELETE FROM TQ_ROAD;");
    ASSERT_TRUE(lookup.ready());
    CRoadCache cache;
    CListSource* roads = cache.GetRoadTable();
    ASSERT_NE(roads, nullptr); // no rows is a successful load
    EXPECT_EQ(roads->GetCount(), 0);
    EXPECT_EQ(roads->GetText(0), "");
    EXPECT_EQ(roads->FindString(0, ""), -1);
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

TEST(RoadCacheDatabase, FailingQueryAnswersNull) {
    LookupDatabase lookup("ALTER TABLE TQ_ROAD RENAME COLUMN ROAD_NAME TO NAME;");
    ASSERT_TRUE(lookup.ready());
    CRoadCache cache;
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
}

TEST(RoadCacheDatabase, UnusableDatabaseAnswersNull) {
    LookupDatabase lookup("DROP TABLE TQ_ROAD;");
    ASSERT_TRUE(lookup.ready());
    CRoadCache cache;
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
}

// The shipped lookup database (CTest points KESTREL_LOOKUP_DB at it): its order must be the one
// the combo's bisection assumes, so every prefix finds what a scan finds.
TEST(RoadCacheDatabase, ShippedRoadsAgreeWithTheSearchOrder) {
    XKR_GetAppDB()->Reset();
    CRoadCache cache;
    CListSource* roads = cache.GetRoadTable();
    if (!roads)
        GTEST_SKIP() << "no lookup database at " << qgetenv("KESTREL_LOOKUP_DB").constData();
    const int count = roads->GetCount();
    ASSERT_GT(count, 100);
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << roads->GetText(i);
    for (int i = 1; i < count; ++i)
        ASSERT_LE(CListSource::CompareText(names[i - 1], names[i]), 0)
            << names[i - 1].toStdString() << " before " << names[i].toStdString();
    const CStringListSource scanned(names, false);
    for (int i = 0; i < count; i += 37) {
        for (int len = 1; len <= 3; ++len) {
            const QString prefix = names[i].left(len).toLower();
            ASSERT_EQ(roads->FindString(i / 2, prefix), scanned.FindString(i / 2, prefix));
            ASSERT_EQ(roads->FindStringBefore(i, prefix), scanned.FindStringBefore(i, prefix));
        }
    }
}
