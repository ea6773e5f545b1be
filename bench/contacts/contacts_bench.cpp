// The contact picker on an address book of 10,000 cards: reading the book, the picker ready to
// type (made, shown and painted), and one keystroke of a search (list filtered and repainted).
// The book is written in the setup: invented people, one in ten with a 30 KB photo, as phones
// export them.

#include "contacts/AddressBook.h"
#include "contacts/ContactPickerDlg.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeView>

#include "../common/QuietOffscreen.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

constexpr int kCards = 10000;

const char* const kGiven[] = {"Mei Ling", "Kok Wei",  "Boon Huat", "Priya", "Rahman",  "Jia Hui",
                              "Aisyah",   "Wei Ming", "Siew Lan",  "Arjun", "Hui Min", "Daniel"};
const char* const kFamily[] = {"Tan",  "Lim", "Goh", "Nair", "Osman",  "Wong",  "Ng",  "Lee",
                               "Chua", "Koh", "Teo", "Ong",  "Pillai", "Rahim", "Yeo", "Sim"};
const char* const kFirm[] = {"Architects",  "Engineering", "Surveyors", "Builders",
                             "Consultants", "Design",      "Planning",  "Landscape"};

QByteArray photoLines() {
    QByteArray photo = "PHOTO;ENCODING=b;TYPE=JPEG:";
    for (int i = 0; i < 400; ++i)
        photo += " " + QByteArray(74, char('A' + i % 26)) + "\r\n";
    return photo;
}

const QString& bookPath() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("book.vcf"));
        QByteArray text;
        const QByteArray photo = photoLines();
        for (int i = 0; i < kCards; ++i) {
            const QByteArray family = kFamily[i % std::size(kFamily)];
            const QByteArray given = kGiven[(i / 16) % std::size(kGiven)];
            const QByteArray firm = family + " " + kFirm[(i / 7) % std::size(kFirm)];
            text += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
            text += "N:" + family + ";" + given + ";;;\r\nFN:" + given + " " + family + " " +
                    QByteArray::number(i) + "\r\n";
            text += "ORG:" + firm + "\r\nTITLE:Engineer\r\n";
            text += "EMAIL;TYPE=INTERNET:" + given.toLower().replace(' ', '.') + "." +
                    QByteArray::number(i) + "@example-" + family.toLower() + ".sg\r\n";
            text += "TEL;TYPE=CELL:+65 9" + QByteArray::number(1000000 + i) + "\r\n";
            text += "ADR;TYPE=WORK:;;Blk " + QByteArray::number(i % 700) +
                    " Ang Mo Kio Avenue 3\\n#05-12;Singapore;;560123;Singapore\r\n";
            if (i % 10 == 0)
                text += photo;
            text += "END:VCARD\r\n";
        }
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
            std::abort();
        return file;
    }();
    return path;
}

const kestrel::AddressBook& loadedBook() {
    static const kestrel::AddressBook book = kestrel::LoadAddressBook(bookPath());
    return book;
}

void BM_AddressBook_Read10k(benchmark::State& state) {
    const QString& path = bookPath();
    qint64 contacts = 0;
    for (auto _ : state) {
        const kestrel::AddressBook book = kestrel::LoadAddressBook(path);
        contacts = book.contacts.size();
        benchmark::DoNotOptimize(contacts);
    }
    state.counters["contacts"] = double(contacts);
    state.counters["file_MB"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
}

// From the book in memory to a picker on screen, painted, with the search field focused.
void BM_Picker_Ready10k(benchmark::State& state) {
    const kestrel::AddressBook& book = loadedBook();
    for (auto _ : state) {
        auto picker = std::make_unique<kestrel::CContactPickerDlg>(book);
        picker->show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(picker->grab());
        state.PauseTiming();
        picker.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// On a machine shared with builds the wall-clock of one key also holds the time the thread
// waited for a core; its own CPU time says what the key cost.
double threadCpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

void typeKey(QWidget* target, QChar c) {
    const int code = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : Qt::Key_Space;
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &release);
}

// One keystroke of "tan k" typed into the search field, the list repainted after each key.
void BM_Picker_Key10k(benchmark::State& state) {
    kestrel::CContactPickerDlg picker(loadedBook());
    picker.show();
    QApplication::processEvents();
    const QString search = QStringLiteral("tan k");
    qint64 keys = 0;
    double micros = 0;
    double slowest = 0;
    double slowestCpu = 0;
    for (auto _ : state) {
        for (QChar c : search) {
            const double cpuStart = threadCpuMicros();
            const auto start = std::chrono::steady_clock::now();
            typeKey(picker.SearchField(), c);
            benchmark::DoNotOptimize(picker.ContactList()->viewport()->grab());
            const double took =
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count();
            micros += took;
            slowest = std::max(slowest, took);
            slowestCpu = std::max(slowestCpu, threadCpuMicros() - cpuStart);
            ++keys;
        }
        state.PauseTiming();
        picker.SearchField()->clear();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["us_per_key"] = micros / double(keys);
    state.counters["us_slowest_key"] = slowest;
    state.counters["us_slowest_key_cpu"] = slowestCpu;
}

} // namespace

BENCHMARK(BM_AddressBook_Read10k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Picker_Ready10k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Picker_Key10k)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    PrepareOffscreenBenchmark();
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
