// How the drop-list combo compares with a plain QComboBox holding the same road names, and
// what loading a million roads from the lookup database costs.
//
//   QT_QPA_PLATFORM=offscreen <build>/bin/droplist_bench
//
// Ready = constructed, list given, shown and painted (rendered with grab(), since an offscreen
// window paints only once exposed). Open = the popup shown and painted the same way.
// Key = the four keystrokes of a search ("manr") on the closed box, repainted after each;
// us_per_key is one keystroke. KeyOpen = the same with the popup open. rss_MB = growth of the
// resident set while the control (or table) is alive.
#include "app/RoadCache.h"
#include "controls/ComboDropList.h"
#include "controls/DropListCombo.h"
#include "controls/ListSource.h"
#include "sdk/AppDB.h"
#include "sdk/VariantTable.h"

#include "../common/QuietOffscreen.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <map>
#include <memory>
#include <unistd.h>

namespace {

// The road list counting the rows it is asked for, so a benchmark can report how many it read.
class CountingSource : public CStringListSource {
public:
    using CStringListSource::CStringListSource;
    QString GetText(int index) const override {
        ++reads;
        return CStringListSource::GetText(index);
    }
    mutable long long reads = 0;
};

// Resident set in MB, after handing freed heap back to the system so that memory freed by an
// earlier benchmark does not hide what the next one takes.
double residentMB() {
    malloc_trim(0);
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

// Road-like names: invented street names with a kind and, past the first few thousand, a
// number, all different, in the database's order.
const QStringList& roadNames(int count) {
    static std::map<int, QStringList> cache;
    auto it = cache.find(count);
    if (it != cache.end())
        return it->second;
    static const char* syllables[] = {"ka",  "lor", "man", "dal", "sen", "ri",  "tan", "bu",
                                      "kit", "ja",  "pe",  "ra",  "mo",  "nek", "su",  "go"};
    static const char* kinds[] = {"AVENUE", "CLOSE", "CRESCENT", "DRIVE",  "LANE", "LINK",
                                  "PARK",   "RISE",  "ROAD",     "STREET", "WALK", "WAY"};
    QStringList words;
    for (const char* a : syllables)
        for (const char* b : syllables)
            words << QString::fromLatin1(a).toUpper() + QString::fromLatin1(b).toUpper();
    QStringList names;
    names.reserve(count);
    const int combos = static_cast<int>(words.size()) * 12;
    for (int i = 0; i < count; ++i) {
        QString name =
            words[i % words.size()] + ' ' + QLatin1String(kinds[(i / words.size()) % 12]);
        if (i >= combos)
            name += ' ' + QString::number(i / combos);
        names << name;
    }
    CStringListSource sorter(names);
    sorter.Sort();
    QStringList sorted;
    sorted.reserve(count);
    for (int i = 0; i < count; ++i)
        sorted << sorter.GetText(i);
    return cache.emplace(count, std::move(sorted)).first->second;
}

void typeKey(QWidget* target, QChar c) {
    const int code = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : Qt::Key_Space;
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &release);
}

const QString kSearch = QStringLiteral("manr");

using Clock = std::chrono::steady_clock;

// Types the search word into target, repainting `painted` after each key; returns the
// microseconds the keys took.
double typeSearch(QWidget* target, QWidget* painted) {
    const auto start = Clock::now();
    for (QChar c : kSearch) {
        typeKey(target, c);
        painted->repaint();
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void reportPerKey(benchmark::State& state, double micros) {
    state.counters["us_per_key"] =
        micros / (static_cast<double>(state.iterations()) * static_cast<double>(kSearch.size()));
}

// ---- plain QComboBox holding every name ----------------------------------------------------

// Ready: construct the control, give it the names, show and paint it. The resident set's growth
// while the control is alive is reported as rss_MB.
template <class MakeControl> void measureReady(benchmark::State& state, MakeControl make) {
    double grown = 0;
    for (auto _ : state) {
        const double before = residentMB();
        auto combo = make();
        combo->show();
        benchmark::DoNotOptimize(combo->grab()); // painted, exposed or not
        state.PauseTiming();
        grown = std::max(grown, residentMB() - before);
        combo.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rss_MB"] = grown;
}

void BM_QComboBox_Ready(benchmark::State& state) {
    const QStringList& names = roadNames(static_cast<int>(state.range(0)));
    measureReady(state, [&names] {
        auto combo = std::make_unique<QComboBox>();
        combo->addItems(names);
        return combo;
    });
}

void BM_QComboBox_Open(benchmark::State& state) {
    const QStringList& names = roadNames(static_cast<int>(state.range(0)));
    QComboBox combo;
    combo.addItems(names);
    combo.show();
    combo.setCurrentIndex(static_cast<int>(names.size() / 2));
    QApplication::processEvents();
    for (auto _ : state) {
        combo.showPopup();
        benchmark::DoNotOptimize(combo.view()->window()->grab());
        state.PauseTiming();
        combo.hidePopup();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_QComboBox_Key(benchmark::State& state) {
    const QStringList& names = roadNames(static_cast<int>(state.range(0)));
    QComboBox combo;
    combo.addItems(names);
    combo.show();
    QApplication::processEvents();
    double micros = 0;
    for (auto _ : state) {
        micros += typeSearch(&combo, &combo);
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    reportPerKey(state, micros);
}

// ---- CDropListCombo over the same names ----------------------------------------------------

void BM_DropList_Ready(benchmark::State& state) {
    const QStringList& names = roadNames(static_cast<int>(state.range(0)));
    CStringListSource source(names, true);
    measureReady(state, [&source] {
        auto combo = std::make_unique<CDropListCombo>();
        combo->SetItemSource(&source);
        combo->SetCurSel(0);
        return combo;
    });
}

void BM_DropList_Open(benchmark::State& state) {
    const QStringList& names = roadNames(static_cast<int>(state.range(0)));
    CountingSource source(names, true);
    CDropListCombo combo;
    combo.SetItemSource(&source);
    combo.SetCurSel(static_cast<int>(names.size() / 2));
    combo.show();
    QApplication::processEvents();
    source.reads = 0;
    for (auto _ : state) {
        combo.showPopup();
        benchmark::DoNotOptimize(combo.DropList()->grab());
        state.PauseTiming();
        combo.hidePopup();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    // Rows read per opening: the ones painted, whatever the list's length.
    state.counters["rows_read"] =
        static_cast<double>(source.reads) / static_cast<double>(state.iterations());
}

void BM_DropList_Key(benchmark::State& state) {
    const QStringList& names = roadNames(static_cast<int>(state.range(0)));
    CStringListSource source(names, true);
    CDropListCombo combo;
    combo.SetItemSource(&source);
    combo.show();
    qint64 now = 0;
    combo.DropList()->SetSearchClock([&now] { return now; });
    QApplication::processEvents();
    double micros = 0;
    for (auto _ : state) {
        micros += typeSearch(&combo, &combo);
        state.PauseTiming();
        now += CComboDropList::kSearchResetMs; // the next word starts a new search
        QApplication::processEvents();
        state.ResumeTiming();
    }
    reportPerKey(state, micros);
}

// The same keystrokes with the popup open, which repaints the rows in view each time.
void BM_DropList_KeyOpen(benchmark::State& state) {
    const QStringList& names = roadNames(static_cast<int>(state.range(0)));
    CStringListSource source(names, true);
    CDropListCombo combo;
    combo.SetItemSource(&source);
    combo.show();
    qint64 now = 0;
    combo.DropList()->SetSearchClock([&now] { return now; });
    combo.showPopup();
    QApplication::processEvents();
    double micros = 0;
    for (auto _ : state) {
        micros += typeSearch(combo.DropList(), combo.DropList());
        state.PauseTiming();
        now += CComboDropList::kSearchResetMs;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    combo.hidePopup();
    reportPerKey(state, micros);
}

// ---- the road table from SQLite ------------------------------------------------------------

// A copy of the shipped lookup database whose TQ_ROAD holds a million roads.
bool prepareMillionRoadDatabase(QTemporaryDir& dir) {
    QString shipped = qEnvironmentVariable("KESTREL_LOOKUP_DB");
    if (shipped.isEmpty())
        shipped = QStringLiteral(KESTREL_RUNTIME_DIR "/kestrel-lookup.db");
    const QString path = dir.filePath(QStringLiteral("roads.db"));
    if (!QFile::copy(shipped, path))
        return false;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN; DELETE FROM TQ_ROAD;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO TQ_ROAD (ROAD_CODE, ROAD_NAME) VALUES (?, ?)", -1, &insert,
                       nullptr);
    const QStringList& names = roadNames(1000000);
    bool ok = true;
    for (int i = 0; i < names.size() && ok; ++i) {
        const QByteArray code = QByteArray("R") + QByteArray::number(i).rightJustified(7, '0');
        const QByteArray name = names[i].toUtf8();
        sqlite3_bind_text(insert, 1, code.constData(), static_cast<int>(code.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, name.constData(), static_cast<int>(name.size()),
                          SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ok = ok && sqlite3_exec(db, "COMMIT; VACUUM;", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    qputenv("KESTREL_LOOKUP_DB", QFile::encodeName(path));
    XKR_GetAppDB()->Reset();
    return ok;
}

QTemporaryDir& millionRoadFolder() {
    static QTemporaryDir dir;
    return dir;
}

bool millionRoadDatabaseReady() {
    static const bool ready = prepareMillionRoadDatabase(millionRoadFolder());
    return ready;
}

void BM_RoadTable_Load1M(benchmark::State& state) {
    if (!millionRoadDatabaseReady()) {
        state.SkipWithError("cannot build the million-road database");
        return;
    }
    double grown = 0;
    double tableMB = 0;
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        XKR_GetAppDB()->Reset(); // each load opens the database afresh, as a run does
        const double before = residentMB();
        state.ResumeTiming();
        auto cache = std::make_unique<CRoadCache>();
        CListSource* roads = cache->GetRoadTable();
        benchmark::DoNotOptimize(roads);
        state.PauseTiming();
        grown = std::max(grown, residentMB() - before);
        tableMB = static_cast<double>(cache->RoadArray().memoryUsage()) / (1024.0 * 1024.0);
        rows = roads ? roads->GetCount() : -1;
        cache.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["rss_MB"] = grown;
    state.counters["table_MB"] = tableMB;
}

// Searching the loaded road table itself: every bisection step reads a name out of the
// table's UTF-8 buffer.
void BM_RoadTable_Key1M(benchmark::State& state) {
    if (!millionRoadDatabaseReady()) {
        state.SkipWithError("cannot build the million-road database");
        return;
    }
    XKR_GetAppDB()->Reset();
    CRoadCache cache;
    CDropListCombo combo;
    combo.SetItemSource(cache.GetRoadTable());
    combo.show();
    qint64 now = 0;
    combo.DropList()->SetSearchClock([&now] { return now; });
    QApplication::processEvents();
    double micros = 0;
    for (auto _ : state) {
        micros += typeSearch(&combo, &combo);
        state.PauseTiming();
        now += CComboDropList::kSearchResetMs;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    reportPerKey(state, micros);
    state.counters["rows"] = combo.GetCount();
}

} // namespace

// Every control is measured at the same three list sizes; the plain combo box takes seconds at a
// million rows, so it runs once per size.
static void RoadCounts(benchmark::internal::Benchmark* bench) {
    bench->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_QComboBox_Ready)->Apply(RoadCounts)->Iterations(1);
BENCHMARK(BM_DropList_Ready)->Apply(RoadCounts);
BENCHMARK(BM_QComboBox_Open)->Apply(RoadCounts)->Iterations(1);
BENCHMARK(BM_DropList_Open)->Apply(RoadCounts);
BENCHMARK(BM_QComboBox_Key)->Apply(RoadCounts)->Iterations(1);
BENCHMARK(BM_DropList_Key)->Apply(RoadCounts);
BENCHMARK(BM_DropList_KeyOpen)->Apply(RoadCounts);
BENCHMARK(BM_RoadTable_Load1M)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoadTable_Key1M)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    PrepareOffscreenBenchmark();
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    CComboDropList::SetSlideEnabled(false); // time the popup's final placement, not the slide
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
