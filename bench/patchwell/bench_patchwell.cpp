// Update runs against a local HTTP site (python3's http.server in its own
// process) with a 10 MB update: wall time per run against curl fetching the
// same file from the same server, and how far the process's peak resident
// memory grew (the download streams to disk). Start-up to the tray icon shown.

#include "localsite.h"
#include "app.h"
#include "eventlogview.h"
#include "patchwellctrl.h"
#include "paths.h"
#include "productlist.h"
#include "propsheetmanager.h"
#include "windowmessages.h"
#include "control.h"
#include "mainframe.h"
#include "registry.h"
#include "trayicon.h"
#include "uiservices.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimeZone>
#include <QTimer>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

long peakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void BM_UpdateRun10MB(benchmark::State &state)
{
    QTemporaryDir root, site;
    qputenv("TALLYLINE_ROOT", QFile::encodeName(root.path()));
    QByteArray data(10 * 1024 * 1024, 0);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 131 + (i >> 12));
    QFile f(site.filePath("big.bin"));
    f.open(QIODevice::WriteOnly);
    f.write(data);
    f.close();
    QFile ini(site.filePath("update.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[Update]\nVersion=2.0\nFiles=1\n[File1]\nName=big.bin\nSize=" + QByteArray::number(data.size())
              + "\nSHA256=" + QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex() + "\n");
    ini.close();
    data.clear();
    data.squeeze();

    LocalSite server(site.path());
    const QString url = server.url();

    const QString key = "Software\\Varnel\\Patchwell\\Products\\Bench";
    reg::writeString(RegRoot::LocalMachine, key, "ProductUpdateURL", url);
    reg::writeDword(RegRoot::LocalMachine, key, "ConfirmAllUpdates", 0);
    const long rssBefore = peakRssKb();
    double engineSeconds = 0, curlSeconds = 0;
    for (auto _ : state) {
        reg::writeString(RegRoot::LocalMachine, key, "InstalledVersion", "1.0");
        pw::PatchwellControl control;
        bool done = false;
        long last = -1;
        control.Advise([&](long kind, long, const QString &) {
            last = kind;
            done = kind >= 10 && kind != 12;
        });
        QVariantList args{0};
        QElapsedTimer t;
        t.start();
        control.Invoke(pw::DispUpdateNow, args);
        (void)QTest::qWaitFor([&] { return done; }, 120000);
        engineSeconds += t.elapsed() / 1000.0;
        if (last != 11)
            state.SkipWithError("update run did not finish");

        QElapsedTimer c;
        c.start();
        QProcess curl;
        curl.start("curl", {"-s", "-o", "/dev/null", url + "big.bin"});
        curl.waitForFinished(120000);
        curlSeconds += c.elapsed() / 1000.0;
    }
    state.counters["engine_s"] = benchmark::Counter(engineSeconds, benchmark::Counter::kAvgIterations);
    state.counters["curl_s"] = benchmark::Counter(curlSeconds, benchmark::Counter::kAvgIterations);
    state.counters["engine_per_curl"] = curlSeconds > 0 ? engineSeconds / curlSeconds : 0;
    state.counters["peak_rss_growth_MB"] = (peakRssKb() - rssBefore) / 1024.0;
}
BENCHMARK(BM_UpdateRun10MB)->Unit(benchmark::kMillisecond)->Iterations(5);

class QuietTray : public TrayBackend {
public:
    bool add(const QIcon &, const QString &) override { return true; }
    void setIcon(const QIcon &) override {}
    void setToolTip(const QString &) override {}
    void remove() override {}
    void popUp(QMenu *, const QPoint &) override {}
};

void BM_StartupToTray(benchmark::State &state)
{
    QTemporaryDir root;
    qputenv("TALLYLINE_ROOT", QFile::encodeName(root.path()));
    ScriptedUiServices ui;
    setUiServices(&ui);
    setTrayBackendFactory([] { return std::make_unique<QuietTray>(); });
    for (auto _ : state) {
        CPatchwellApp app;
        if (!app.InitInstance({}))
            state.SkipWithError("start failed");
        state.PauseTiming();
        app.ExitInstance();
        state.ResumeTiming();
    }
    setTrayBackendFactory(nullptr);
    setUiServices(nullptr);
}
BENCHMARK(BM_StartupToTray)->Unit(benchmark::kMillisecond)->Iterations(20);

// An app started on its real engine with the given products registered.
struct StartedApp {
    QTemporaryDir root;
    ScriptedUiServices ui;
    CPatchwellApp app;
    explicit StartedApp(int products)
    {
        qputenv("TALLYLINE_ROOT", QFile::encodeName(root.path()));
        setUiServices(&ui);
        setTrayBackendFactory([] { return std::make_unique<QuietTray>(); });
        for (int i = 0; i < products; ++i)
            reg::writeString(RegRoot::LocalMachine,
                             QStringLiteral("Software\\Varnel\\Patchwell\\Products\\Bench Product %1").arg(i, 2, 10, QLatin1Char('0')),
                             "InstalledVersion", "1.0");
        ok = app.InitInstance({});
    }
    ~StartedApp()
    {
        app.ExitInstance();
        setTrayBackendFactory(nullptr);
        setUiServices(nullptr);
    }
    bool ok = false;
};

// From the tray's double click to the sheet shown with its product list filled.
void BM_SheetOpenWith50Products(benchmark::State &state)
{
    StartedApp started(50);
    if (!started.ok)
        state.SkipWithError("start failed");
    int rows = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        double shownAfter = 0;
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            ConfigurationSheet *sheet = started.app.mainFrame()->existingSheet();
            if (!sheet || !sheet->dialog()->isVisible())
                return;
            shownAfter = t.nsecsElapsed() / 1e9;
            rows = static_cast<CPropSheetManager *>(sheet)->productList().count();
            poll.stop();
            sheet->EndSheet();
        });
        poll.start();
        t.start();
        SendMessage(started.app.mainFrame(), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
        state.SetIterationTime(shownAfter);
    }
    state.counters["products"] = rows;
}
BENCHMARK(BM_SheetOpenWith50Products)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// Both views of an event log of 100,000 records (a realistic mix of kinds),
// with the growth of peak memory: the file is written as the records are read.
void BM_EventLogViews100k(benchmark::State &state)
{
    StartedApp started(3);
    if (!started.ok)
        state.SkipWithError("start failed");
    const QString dir = started.root.path() + "/patchwell/log";
    QDir().mkpath(dir);
    {
        QFile log(dir + "/events.log");
        log.open(QIODevice::WriteOnly | QIODevice::Truncate);
        const QDateTime start(QDate(2026, 1, 1), QTime(8, 0), QTimeZone::utc());
        const int kinds[] = {0, 6, 7, 9, 9, 9, 8, 11, 1, 16};
        for (int i = 0; i < 100000; ++i) {
            const int kind = kinds[i % 10];
            log.write(start.addSecs(i * 37).toString(Qt::ISODateWithMs).toUtf8() + '\t' + QByteArray::number(kind)
                      + "\tBench Product " + QByteArray::number(i % 3).rightJustified(2, '0') + "\t"
                      + (kind == 7 ? "file.bin" : kind == 11 ? "2.0" : "-1") + "\n");
        }
    }
    CPatchwellCtrl &ctrl = *started.app.control();
    ctrl.DetectProducts();
    CProductList products;
    products.LoadAll(ctrl);
    const long before = peakRssKb();
    qint64 bytes = 0;
    for (auto _ : state) {
        if (!WriteEventLogView(ctrl, started.app.installDirectory, 1, EventLogView::Whole, products)
            || !WriteEventLogView(ctrl, started.app.installDirectory, 1, EventLogView::RecentUpdates, products))
            state.SkipWithError("view not written");
        bytes = QFileInfo(tl::mapPath(ctrl.GetLogDirectory() + "\\Patchwell.log")).size();
    }
    state.counters["records"] = double(ctrl.GetLogRecordCount());
    state.counters["recent_view_bytes"] = double(bytes);
    state.counters["peak_rss_growth_MB"] = (peakRssKb() - before) / 1024.0;
}
BENCHMARK(BM_EventLogViews100k)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
