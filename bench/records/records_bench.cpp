// What a record of many rows costs, stage by stage, against pugixml on its own.
//
//   QT_QPA_PLATFORM=offscreen <build>/bin/records_bench [rows ...]      (default 1000 10000 50000)
//   <build>/bin/records_bench --write ROWS FILE        writes the generated record (for a profiler)
//   <build>/bin/records_bench --child kestrel FILE     one child's stages on FILE
//   <build>/bin/records_bench --first-screen           cold start: main dialog against a bare one
//   <build>/bin/records_bench --long-title [MB]        the sample record with a title of MB
//                                                      megabytes (default 5): opened, shown, saved
//
// For each size a project file is generated with that many lots, addresses and members. Each
// figure is the median of several runs (see medianRuns). Every measurement runs in a child process
// of its own (this program started again with --child), so each child's peak memory is its own: the
// resident high-water mark less the resident set just before the first timed stage. The same steps
// on a record of one row give what a shown window costs whatever the record (its drawing buffer,
// glyphs, the code that draws it); the last columns are the peak less that, against pugixml's peak
// less its own on that record.
//
// pugixml alone: parse the file (the loader's flags), then write it (indented, as we write) and
// make it durable with fsync, as the editor's atomic save does.
// Kestrel: the main dialog with the registration pages; LoadDocument (the file and every page's
// ReadXml); the dialog shown with the lot and address pages (their lists filled); a switch
// between those two tabs; on the lot page at the last row, a click (the row loaded into the
// form), an update of that row, an add of a new row and a delete of the last row; typing one
// character into a form field; then a whole save as Save & Quit does it: the pages' UpdateData,
// RebuildProjectNode and the atomic write.
#include "app/KestrelDlg.h"
#include "app/KestrelPages.h"
#include "app/QuietAppServices.h"
#include "controls/RecordListCtrl.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"
#include "pages/member/PropPageMemberGeneral.h"
#include "pages/member/PropPageMemberInfo.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectInfo.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "sdk/AppDB.h"

#include <pugixml.hpp>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

long statusKB(const char* field) {
    long value = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const size_t length = std::strlen(field);
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, field, length) == 0)
                value = std::atol(line + length + 1);
        std::fclose(f);
    }
    return value;
}

double ms(QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void report(const char* key, double value) {
    std::printf("%s=%.3f\n", key, value);
    std::fflush(stdout);
}

// A record with `rows` lots, addresses and members, codes the lookup database knows.
QByteArray generateRecord(int rows) {
    QByteArray xml;
    xml.reserve(static_cast<qsizetype>(rows) * 1400);
    xml +=
        "<?xml version=\"1.0\" ?>\n<?xml-stylesheet type=\"text/xsl\" href=\"KR_Project.xsl\"?>\n"
        "<?filetype type=\"MasterProfile\"?>\n<krroot>\n\t<authority>\n\t\t<id>ZQAV</id>\n"
        "\t</authority>\n\t<project>\n\t\t<profile>\n\t\t\t<title>A LARGE ESTATE</title>\n"
        "\t\t\t<commence_date>2026-01-15T00:00:00</commence_date>\n"
        "\t\t\t<complete_date>2027-06-30T00:00:00</complete_date>\n"
        "\t\t\t<category_code>AA</category_code>\n\t\t\t<classification_code>CM</"
        "classification_code>\n\t\t\t<land_ownership_code>LH</land_ownership_code>\n"
        "\t\t\t<lotmkts_group>\n";
    for (int i = 0; i < rows; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray ts = QByteArray::number(i % 30 + 1).rightJustified(2, '0');
        xml += "\t\t\t\t<lotmkts>\n\t\t\t\t\t<mk_ts_code_desc>TOWN SUBDIVISION " + ts +
               "</mk_ts_code_desc>\n\t\t\t\t\t<mk_ts_code>TS" + ts +
               "</mk_ts_code>\n\t\t\t\t\t<plot_no>" + n + "</plot_no>\n\t\t\t\t\t<lot_no>L" + n +
               "</lot_no>\n\t\t\t\t\t<part_lot_flag>N</part_lot_flag>\n\t\t\t\t</lotmkts>\n";
    }
    xml += "\t\t\t</lotmkts_group>\n\t\t\t<address_group>\n";
    for (int i = 0; i < rows; ++i) {
        const QByteArray n = QByteArray::number(i);
        xml += "\t\t\t\t<address>\n\t\t\t\t\t<building_name>TOWER " + n +
               "</building_name>\n\t\t\t\t\t<house_block_no>" + n +
               "</house_block_no>\n\t\t\t\t\t<level_no>5</level_no>\n\t\t\t\t\t<unit_no>12</"
               "unit_no>\n\t\t\t\t\t<road_code_desc>ORCHARD ROAD</road_code_desc>\n"
               "\t\t\t\t\t<road_code>R00826</road_code>\n\t\t\t\t\t<postal_code>238858</"
               "postal_code>\n\t\t\t\t</address>\n";
    }
    xml += "\t\t\t</address_group>\n\t\t\t<site_descr>CORNER SITE</site_descr>\n"
           "\t\t\t<road_group>\n\t\t\t\t<road>R00826</road>\n\t\t\t</road_group>\n"
           "\t\t</profile>\n\t\t<member_group>\n";
    for (int i = 0; i < rows; ++i) {
        const QByteArray n = QByteArray::number(i);
        xml += "\t\t\t<member>\n\t\t\t\t<member_name>MEMBER NUMBER " + n +
               "</member_name>\n\t\t\t\t<ic_flag>N</ic_flag>\n\t\t\t\t<ic_passport_no>P" + n +
               "</ic_passport_no>\n\t\t\t\t<country>Malaysia</country>\n"
               "\t\t\t\t<project_coordinator_flag>" +
               (i == 0 ? "Y" : "N") + "</project_coordinator_flag>\n\t\t\t\t<firm_name>FIRM " + n +
               "</firm_name>\n\t\t\t\t<designation>ENGINEER</designation>\n"
               "\t\t\t\t<member_role_group>\n\t\t\t\t\t<member_role>\n"
               "\t\t\t\t\t\t<member_role_code_desc>ARCHITECT</member_role_code_desc>\n"
               "\t\t\t\t\t\t<member_role_code>ARCH</member_role_code>\n"
               "\t\t\t\t\t\t<professional_no>1234</professional_no>\n\t\t\t\t\t</member_role>\n"
               "\t\t\t\t</member_role_group>\n\t\t\t\t<address_type_flag>N</address_type_flag>\n"
               "\t\t\t\t<address1>SUITE " +
               n +
               "</address1>\n\t\t\t\t<address2>JALAN TUN RAZAK</address2>\n"
               "\t\t\t\t<tel_no>62201234</tel_no>\n\t\t\t\t<email_address1>m" +
               n + "@example.com</email_address1>\n\t\t\t</member>\n";
    }
    xml += "\t\t</member_group>\n\t\t<reference_no>A1234-00042-2026</reference_no>\n"
           "\t\t<project_type_code>0</project_type_code>\n\t</project>\n</krroot>\n";
    return xml;
}

int runPugixml(const QString& path, const QString& out) {
    const long baseline = statusKB("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    pugi::xml_document doc;
    const auto result =
        doc.load_file(QFile::encodeName(path).constData(),
                      pugi::parse_full | pugi::parse_ws_pcdata_single, pugi::encoding_auto);
    report("parse_ms", ms(timer));
    if (!result)
        return 1;
    timer.restart();
    doc.save_file(QFile::encodeName(out).constData(), "  ",
                  pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    // The editor's save makes its file durable; so does this one, to compare like with like.
    QFile written(out);
    if (written.open(QIODevice::ReadOnly))
        ::fsync(written.handle());
    report("save_ms", ms(timer));
    report("peak_MB", static_cast<double>(statusKB("VmHWM:") - baseline) / 1024.0);
    return 0;
}

// Runs `step` `times` times and reports the median.
template <class Step> void timeMedian(const char* key, int times, Step step) {
    std::vector<double> runs;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer timer;
        timer.start();
        step(i);
        runs.push_back(ms(timer));
    }
    std::sort(runs.begin(), runs.end());
    report(key, runs[runs.size() / 2]);
}

int runKestrel(const QString& path) {
    CQuietAppServices services;
    kestrel::ScriptedAnswerer answers;
    XKR_GetAppDB()->IsOpen();
    services.GetRoadTable();
    CKestrelDlg dialog(MakeRegistrationPages);
    dialog.SetEditingType(QStringLiteral("LOCAL_PROJ"));
    QApplication::processEvents();
    const long baseline = statusKB("VmRSS:");

    QElapsedTimer timer;
    timer.start();
    dialog.LoadDocument(path);
    report("load_ms", ms(timer));
    report("rss_after_load_MB", static_cast<double>(statusKB("VmRSS:") - baseline) / 1024.0);

    auto* project = static_cast<CPropPageProjectInfo*>(dialog.ProjectPage());
    CToolTipPropertySheet* nested = project->NestedSheet();
    CPropPageProjectMukimTS* lots = project->LotPage();
    CPropPageProjectAddress* addresses = project->AddressPage();

    timer.restart();
    dialog.show();
    QApplication::processEvents();
    nested->SetActivePage(addresses);
    QApplication::processEvents();
    nested->SetActivePage(lots);
    QApplication::processEvents();
    report("shown_ms", ms(timer));

    // The member tab, shown once and left again.
    timer.restart();
    dialog.Sheet()->SetActivePage(dialog.MemberPage());
    QApplication::processEvents();
    dialog.Sheet()->SetActivePage(dialog.ProjectPage());
    QApplication::processEvents();
    report("member_tab_ms", ms(timer));

    timeMedian("tab_switch_ms", 10, [&](int i) {
        nested->SetActivePage(i % 2 == 0 ? static_cast<CPropertyPage*>(addresses)
                                         : static_cast<CPropertyPage*>(lots));
        QApplication::processEvents();
    });
    nested->SetActivePage(lots);
    QApplication::processEvents();

    auto* list =
        static_cast<CRecordListCtrl*>(GetDlgItem(lots, CPropPageProjectMukimTS::IDC_LOT_LIST));
    auto* lotNo = qobject_cast<QLineEdit*>(GetDlgItem(lots, CPropPageProjectMukimTS::IDC_LOT_NO));
    auto* mukim = qobject_cast<QComboBox*>(GetDlgItem(lots, CPropPageProjectMukimTS::IDC_MUKIM_TS));
    CRecordListEditor& editor = lots->Editor();

    // A click on the last row and on the one above it in turn, each loading its row.
    timeMedian("click_ms", 5, [&](int i) {
        const int row = list->GetItemCount() - 1 - (i % 2);
        list->SetItemSelected(row, true);
        emit list->itemActivated(row);
        QApplication::processEvents();
    });
    int serial = 0;
    timeMedian("update_ms", 5, [&](int) {
        const int row = list->GetItemCount() - 1;
        list->SetItemSelected(row, true);
        emit list->itemActivated(row);
        lotNo->setText(QStringLiteral("U%1").arg(++serial));
        editor.OnUpdateRecord();
        QApplication::processEvents();
    });
    timeMedian("add_ms", 5, [&](int) {
        mukim->setCurrentIndex(1);
        lotNo->setText(QStringLiteral("N%1").arg(++serial));
        editor.OnUpdateRecord();
        QApplication::processEvents();
    });
    timeMedian("delete_ms", 5, [&](int) {
        list->SetItemSelected(list->GetItemCount() - 1, true);
        answers.queueAnswer(kestrel::IDYES);
        editor.OnDelete();
        QApplication::processEvents();
    });
    lotNo->setFocus();
    timeMedian("type_ms", 10, [&](int) {
        QTest::keyClick(lotNo, Qt::Key_A);
        QApplication::processEvents();
    });
    lotNo->clear();

    // The member page: a click on the last member, an update of it, and its deletion.
    auto* members = static_cast<CPropPageMemberInfo*>(dialog.MemberPage());
    dialog.Sheet()->SetActivePage(members);
    QApplication::processEvents();
    auto* memberList =
        static_cast<CRecordListCtrl*>(GetDlgItem(members, CPropPageMemberInfo::IDC_MEMBER_LIST));
    auto* memberName =
        qobject_cast<QLineEdit*>(GetDlgItem(members->GeneralPage(), kestrel::IDC_MEMBER_NAME));
    timeMedian("member_click_ms", 5, [&](int i) {
        const int row = memberList->GetItemCount() - 1 - (i % 2);
        memberList->SetItemSelected(row, true);
        emit memberList->itemActivated(row);
        QApplication::processEvents();
    });
    timeMedian("member_update_ms", 5, [&](int) {
        const int row = memberList->GetItemCount() - 1;
        memberList->SetItemSelected(row, true);
        emit memberList->itemActivated(row);
        memberName->setText(QStringLiteral("RENAMED %1").arg(++serial));
        members->Editor().OnUpdateRecord();
        QApplication::processEvents();
    });
    timeMedian("member_delete_ms", 5, [&](int) {
        memberList->SetItemSelected(memberList->GetItemCount() - 1, true);
        answers.queueAnswer(kestrel::IDYES);
        members->Editor().OnDelete();
        QApplication::processEvents();
    });

    // The deletes above asked, as they should; only a box from the save itself is unexpected.
    answers.clear();
    timer.restart();
    for (CToolTipPropertyPage* page : {dialog.ProjectPage(), dialog.MemberPage()})
        if (page->IsInitialized())
            page->UpdateData(true);
    report("update_data_ms", ms(timer));
    report("rss_before_rebuild_MB", static_cast<double>(statusKB("VmRSS:") - baseline) / 1024.0);
    timer.restart();
    dialog.Document().RebuildProjectNode();
    report("rebuild_ms", ms(timer));
    report("rss_after_rebuild_MB", static_cast<double>(statusKB("VmRSS:") - baseline) / 1024.0);
    report("hwm_after_rebuild_MB", static_cast<double>(statusKB("VmHWM:") - baseline) / 1024.0);
    timer.restart();
    const int saved = dialog.Document().SaveToFile(0);
    report("write_ms", ms(timer));
    report("peak_MB", static_cast<double>(statusKB("VmHWM:") - baseline) / 1024.0);
    if (!answers.messages().empty())
        std::fprintf(stderr, "unexpected box: %s\n", qPrintable(answers.lastText()));
    dialog.Document().DropDocument();
    return saved == 0 ? 0 : 1;
}

// Cold start, the first screen only: a bare Qt dialog with a few fields, against the main dialog
// with the registration pages on the small sample record. The parent times each child from its
// start to its exit right after the dialog was first shown.
int runFirstScreen(bool bare) {
    std::unique_ptr<CQuietAppServices> services;
    std::unique_ptr<QDialog> dialog;
    if (bare) {
        dialog = std::make_unique<QDialog>();
        auto* form = new QFormLayout(dialog.get());
        for (const char* label : {"Title", "Serial", "Year", "Category"})
            form->addRow(QString::fromLatin1(label), new QLineEdit(dialog.get()));
        form->addRow(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
    } else {
        services = std::make_unique<CQuietAppServices>();
        auto* kestrel = new CKestrelDlg(MakeRegistrationPages);
        dialog.reset(kestrel);
        kestrel->SetEditingType(QStringLiteral("LOCAL_PROJ"));
        kestrel->LoadDocument(QStringLiteral(KESTREL_SAMPLE_PROJECT));
    }
    dialog->show();
    return QTest::qWaitForWindowExposed(dialog.get()) ? 0 : 1;
}

// The sample record with its title replaced by `megabytes` of text: one word without a break,
// or words with blanks between them (a long line breaks differently from a long word).
QByteArray sampleWithTitle(double megabytes, bool words) {
    QFile sample(QStringLiteral(KESTREL_SAMPLE_PROJECT));
    if (!sample.open(QIODevice::ReadOnly))
        return {};
    QByteArray xml = sample.readAll();
    const qsizetype from = xml.indexOf("<title>") + 7;
    const qsizetype to = xml.indexOf("</title>");
    const auto length = static_cast<qsizetype>(megabytes * 1024 * 1024);
    QByteArray title =
        words ? QByteArray("TITLE ").repeated(length / 6 + 1) : QByteArray(length, 'T');
    title.truncate(length);
    return xml.replace(from, to - from, title);
}

// One child: the record opened, the dialog shown on the project page, then saved whole (the
// pages' exchange, the rebuild and the write); the title must come back unchanged.
int runLongTitle(const QString& path) {
    CQuietAppServices services;
    kestrel::ScriptedAnswerer answers;
    XKR_GetAppDB()->IsOpen();
    CKestrelDlg dialog(MakeRegistrationPages);
    dialog.SetEditingType(QStringLiteral("LOCAL_PROJ"));
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    dialog.LoadDocument(path);
    report("load_ms", ms(timer));
    timer.restart();
    dialog.show();
    QApplication::processEvents();
    report("shown_ms", ms(timer));
    // The deletes above asked, as they should; only a box from the save itself is unexpected.
    answers.clear();
    timer.restart();
    for (CToolTipPropertyPage* page : {dialog.ProjectPage(), dialog.MemberPage()})
        if (page->IsInitialized())
            page->UpdateData(true);
    dialog.Document().RebuildProjectNode();
    const int saved = dialog.Document().SaveToFile(0);
    report("save_ms", ms(timer));
    pugi::xml_document before, after;
    const QByteArray original = path.toLocal8Bit() + ".orig";
    before.load_file(original.constData());
    after.load_file(QFile::encodeName(path).constData());
    const char* xpath = "/krroot/project/profile/title";
    const bool same = std::strcmp(before.select_node(xpath).node().child_value(),
                                  after.select_node(xpath).node().child_value()) == 0;
    report("title_unchanged", same ? 1 : 0);
    return saved == 0 && same && answers.messages().empty() ? 0 : 1;
}

using Measures = std::map<QString, double>;

Measures runChild(const QStringList& args) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), QStringList{"--child"} + args);
    child.waitForFinished(-1);
    Measures values;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            values[QString::fromLatin1(line.left(eq))] = line.mid(eq + 1).toDouble();
    }
    if (child.exitCode() != 0)
        std::fprintf(stderr, "child %s failed: %s\n", qPrintable(args.join(' ')),
                     child.readAllStandardError().constData());
    return values;
}

// Runs the pugixml child and the editor's child on a fresh copy of a record `runs` times, taking
// turns so that a slow spell of the machine falls on both, and gives each measure's median (and,
// as KEY_min and KEY_max, its lowest and highest): one run of a few milliseconds can vary by half.
// A fresh copy each time, because the editor's child saves over its file. The ratios are taken
// within each pair of runs, then their median: two children started one after the other share the
// machine's mood, where two medians need not.
std::pair<Measures, Measures> medianRuns(const std::function<QString()>& freshRecord, int runs) {
    std::vector<Measures> pugi, kestrel;
    for (int run = 0; run < runs; ++run) {
        const QString path = freshRecord();
        if (path.isEmpty())
            break;
        pugi.push_back(runChild({QStringLiteral("pugixml"), path}));
        Measures ours = runChild({QStringLiteral("kestrel"), path});
        const Measures& bare = pugi.back();
        if (bare.count("parse_ms") && ours.count("load_ms")) {
            ours["load_ratio"] = ours["load_ms"] / bare.at("parse_ms");
            ours["save_ratio"] = (ours["update_data_ms"] + ours["rebuild_ms"] + ours["write_ms"]) /
                                 (bare.at("parse_ms") + bare.at("save_ms"));
        }
        kestrel.push_back(std::move(ours));
    }
    const auto medians = [](const std::vector<Measures>& all) {
        Measures middle;
        if (all.empty())
            return middle;
        for (const auto& [key, unused] : all.front()) {
            std::vector<double> values;
            for (const Measures& run : all)
                values.push_back(run.count(key) ? run.at(key) : 0.0);
            std::sort(values.begin(), values.end());
            middle[key] = values[values.size() / 2];
            middle[key + QLatin1String("_min")] = values.front();
            middle[key + QLatin1String("_max")] = values.back();
        }
        return middle;
    };
    return {medians(pugi), medians(kestrel)};
}

// Small records take milliseconds, where one run says little; large ones take seconds each.
int runsFor(int rows) {
    return rows <= 10000 ? 15 : 5;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("KESTREL_LOOKUP_DB"))
        qputenv("KESTREL_LOOKUP_DB", KESTREL_RUNTIME_DIR "/kestrel-lookup.db");
    if (qEnvironmentVariableIsEmpty("KESTREL_SDKDEF"))
        qputenv("KESTREL_SDKDEF", KESTREL_RUNTIME_DIR "/libTernSdkDef.so");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 3 && args[0] == QLatin1String("--write")) {
        // The generated record alone, for a profiler: --write ROWS FILE.
        QFile out(args[2]);
        const QByteArray xml = generateRecord(args[1].toInt());
        return out.open(QIODevice::WriteOnly) && out.write(xml) == xml.size() ? 0 : 1;
    }
    if (args.size() >= 1 && args[0] == QLatin1String("--first-screen")) {
        // Median of 7 cold starts of each kind, alternating.
        std::vector<double> bare, kestrel;
        for (int i = 0; i < 14; ++i) {
            QElapsedTimer timer;
            timer.start();
            runChild({QStringLiteral("first-screen"),
                      i % 2 ? QStringLiteral("kestrel") : QStringLiteral("bare")});
            (i % 2 ? kestrel : bare).push_back(ms(timer));
        }
        std::sort(bare.begin(), bare.end());
        std::sort(kestrel.begin(), kestrel.end());
        std::printf("| first screen, cold | bare Qt dialog | main dialog, sample record | ratio |\n"
                    "|---|---:|---:|---:|\n| median of 7 | %.0f ms | %.0f ms | %.2f× |\n",
                    bare[3], kestrel[3], kestrel[3] / bare[3]);
        return 0;
    }
    if (args.size() >= 1 && args[0] == QLatin1String("--long-title")) {
        const double megabytes = args.size() >= 2 ? args[1].toDouble() : 5.0;
        QTemporaryDir dir;
        std::printf("| title of %.1f MB | open (LoadDocument) | shown | save | title kept |\n"
                    "|---|---:|---:|---:|---|\n",
                    megabytes);
        for (bool words : {false, true}) {
            const QString path = dir.filePath(QStringLiteral("long-title.xml"));
            const QByteArray xml = sampleWithTitle(megabytes, words);
            QFile file(path), copy(path + QStringLiteral(".orig"));
            if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() ||
                !copy.open(QIODevice::WriteOnly) || copy.write(xml) != xml.size())
                return 1;
            file.close();
            copy.close();
            auto kr = runChild({QStringLiteral("long-title"), path});
            std::printf("| %s | %.0f ms | %.0f ms | %.0f ms | %s |\n",
                        words ? "words and blanks" : "one word", kr["load_ms"], kr["shown_ms"],
                        kr["save_ms"], kr["title_unchanged"] == 1 ? "yes" : "NO");
            std::fflush(stdout);
        }
        return 0;
    }
    if (args.size() >= 3 && args[0] == QLatin1String("--child")) {
        if (args[1] == QLatin1String("long-title"))
            return runLongTitle(args[2]);
        if (args[1] == QLatin1String("first-screen"))
            return runFirstScreen(args[2] == QLatin1String("bare"));
        if (args[1] == QLatin1String("pugixml"))
            return runPugixml(args[2], args[2] + QStringLiteral(".out"));
        return runKestrel(args[2]);
    }

    std::vector<int> sizes;
    for (const QString& arg : args)
        sizes.push_back(arg.toInt());
    if (sizes.empty())
        sizes = {1000, 10000, 50000};

    QTemporaryDir dir;
    const auto writeRecord = [&dir](int rows) {
        const QString path = dir.filePath(QStringLiteral("record-%1.xml").arg(rows));
        const QByteArray xml = generateRecord(rows);
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(xml) == xml.size() ? path : QString();
    };
    // What the same steps cost on a record of one row: a shown window's own memory (its
    // drawing buffer, glyphs, the code that draws it), which no bare parse pays.
    auto [pugiOneRow, kestrelOneRow] = medianRuns([&] { return writeRecord(1); }, runsFor(1));
    if (kestrelOneRow.empty())
        return 1;
    const double pugiFixedMB = pugiOneRow["peak_MB"];
    const double fixedMB = kestrelOneRow["peak_MB"];
    std::printf("Peak of the same steps on a record of one row: %.1f MB (pugixml: %.1f MB)\n\n",
                fixedMB, pugiFixedMB);
    std::printf(
        "| rows per group | file MB | pugixml parse | pugixml parse+write | pugixml peak MB "
        "| LoadDocument | ratio (range) | shown with lists | member tab | tab switch "
        "| click | update | add | delete | type a key | member click | member update "
        "| member delete | UpdateData + rebuild + write | ratio | peak MB | ratio "
        "| peak less one row's | ratio |\n"
        "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
        "---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (int rows : sizes) {
        double fileMB = 0;
        auto [pugi, kr] = medianRuns(
            [&] {
                const QString path = writeRecord(rows);
                fileMB = static_cast<double>(QFileInfo(path).size()) / 1e6;
                return path;
            },
            runsFor(rows));
        if (kr.empty())
            return 1;
        const double pugiBoth = pugi["parse_ms"] + pugi["save_ms"];
        const double recordsMB = kr["peak_MB"] - fixedMB;
        const double pugiRecordsMB = pugi["peak_MB"] - pugiFixedMB;
        std::printf("| %d | %.1f | %.1f ms | %.1f ms | %.1f | %.1f ms | %.2f× (%.2f–%.2f) "
                    "| %.0f ms | %.0f ms | %.2f ms | %.2f ms | %.2f ms | %.2f ms | %.2f ms "
                    "| %.2f ms | %.2f ms | %.2f ms | %.2f ms | %.1f + %.1f + %.1f ms "
                    "| %.2f× | %.1f | %.2f× | %.1f | %.2f× |\n",
                    rows, fileMB, pugi["parse_ms"], pugiBoth, pugi["peak_MB"], kr["load_ms"],
                    kr["load_ratio"], kr["load_ratio_min"], kr["load_ratio_max"], kr["shown_ms"],
                    kr["member_tab_ms"], kr["tab_switch_ms"], kr["click_ms"], kr["update_ms"],
                    kr["add_ms"], kr["delete_ms"], kr["type_ms"], kr["member_click_ms"],
                    kr["member_update_ms"], kr["member_delete_ms"], kr["update_data_ms"],
                    kr["rebuild_ms"], kr["write_ms"], kr["save_ratio"], kr["peak_MB"],
                    kr["peak_MB"] / std::max(pugi["peak_MB"], 0.1), recordsMB,
                    recordsMB / std::max(pugiRecordsMB, 0.1));
        std::fflush(stdout);
    }
    return 0;
}
