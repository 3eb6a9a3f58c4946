// Portdeck's tool screens with the real product libraries against tallysim:
// the time from the click on a tool's button to its form shown, the first
// time (the library's initialisation runs then) and a later time; and a flash
// of a 256 KiB image at 57600 baud against the time its bytes need on the wire.
//
// Wire time of the flash: 2048 Xmodem blocks of 132 bytes, an ACK for each,
// the EOT and its ACK, 10 bits per byte at 57600 baud: about 47.3 s. The
// emulator paces both directions at that rate, so the transfer cannot beat
// the wire; what the figure shows is the sender's own overhead on top.
//
// Run at time scale 1 (TALLYLINE_TIME_SCALE unset or 1) so that the pauses
// and the per-byte delay are real; the detection before each screen costs
// a few seconds then.

#include "containerframe.h"
#include "paths.h"
#include "registry.h"
#include "uiservices.h"
#include "widgets.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kImageBytes = 256 * 1024;
constexpr int kBaud = 57600;

// Sleeps between events (a tick every 5 ms wakes it), so that the CPU time
// reported is the program's own work, not this loop spinning.
bool waitFor(const std::function<bool()> &cond, int ms)
{
    QDeadlineTimer deadline(ms);
    QTimer tick;
    tick.start(5);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

double wireMs(int imageBytes)
{
    const int blocks = (imageBytes + 127) / 128;
    const qint64 bytes = qint64(blocks) * (132 + 1) + 2;   // blocks and ACKs, EOT and ACK
    return double(bytes) * 10.0 * 1000.0 / kBaud;
}

QByteArray firmwareImage(const QByteArray &code, const QByteArray &date, int size)
{
    QByteArray bytes = "VARNEL-FW " + code + ' ' + date + "\r\n";
    QRandomGenerator random(7);
    while (bytes.size() < size)
        bytes.append(char(random.bounded(256)));
    return bytes;
}

// A fresh machine state, one emulated product and the main window on the
// product's screen, as Portdeck's own form tests drive it.
class Session {
public:
    Session(const char *product, int com, const char *registryProduct, const char *serial,
            const QStringList &faults = {})
        : com_(com)
    {
        qputenv("TALLYLINE_ROOT", QFile::encodeName(root_.path()));
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(root_.path());
        setUiServices(&ui);
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", "409");
        QStringList args{"--product", product, "--com", QString::number(com), "--log", logPath()};
        if (serial) {
            reg::writeString(RegRoot::LocalMachine,
                             QStringLiteral("Software\\Varnel\\Tallyline\\Portdeck\\%1").arg(registryProduct),
                             "Serial Number1", serial);
            args << "--serial" << serial;
        }
        for (const QString &f : faults)
            args << "--fault" << f;
        sim_.start(tl::programDirectory() + QStringLiteral("/tallysim"), args);
        if (!sim_.waitForReadyRead(10000)) {
            error_ = "tallysim did not start";
            return;
        }
        frame = std::make_unique<TcontainerFrame>(QStringList{"/l"});
        frame->terminateApplication = [this] { frame->appTerminated = true; };
        frame->milestone = [this](const QString &what) { milestones_ << what; };
        frame->show();
        if (!waitFor([&] { return milestones_.contains("detection"); }, 120000) || frame->deviceButtons.isEmpty()) {
            error_ = "no product detected";
            return;
        }
        ownChildren_ = frame->DefaultSheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        click(frame->deviceButtons.value(0));
        if (!waitFor([&] { return frame->backbtn->isEnabled(); }, 60000))
            error_ = "the product's screen did not open";
    }
    ~Session()
    {
        frame.reset();
        setUiServices(nullptr);
        sim_.terminate();
        sim_.waitForFinished(3000);
        QDir::setCurrent(previousDir_);
    }

    const char *error() const { return error_; }
    void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(20, 10)); }
    QWidget *shownForm() const
    {
        for (QWidget *w : frame->DefaultSheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!ownChildren_.contains(w) && w->isVisible())
                return w;
        return nullptr;
    }
    QString transcript() const
    {
        QFile f(logPath());
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }
    // Lets the library's own command chain with the device run out.
    void settle()
    {
        QString before;
        for (int i = 0; i < 100 && before != transcript(); ++i) {
            before = transcript();
            QTest::qWait(150);
        }
    }
    // Milliseconds from the click to the form shown; negative when it never shows.
    double clickToForm(PanelButton *button)
    {
        if (!waitFor([&] { return button->isEnabled(); }, 30000))
            return -1;
        QElapsedTimer timer;
        timer.start();
        click(button);
        if (!waitFor([&] { return shownForm() != nullptr; }, 30000))
            return -1;
        return double(timer.nsecsElapsed()) / 1e6;
    }
    // The first and a later show of one tool, left by Back in between.
    bool measureTool(benchmark::State &state, PanelButton *button, const std::string &name)
    {
        const double first = clickToForm(button);
        settle();
        click(frame->backbtn);
        const double later = clickToForm(button);
        settle();
        click(frame->backbtn);
        state.counters[name + "_first_ms"] = first;
        state.counters[name + "_later_ms"] = later;
        total_ += std::max(first, 0.0) + std::max(later, 0.0);
        return first >= 0 && later >= 0;
    }
    double totalSeconds() const { return total_ / 1000.0; }

    QString logPath() const { return root_.path() + QStringLiteral("/COM%1.log").arg(com_); }
    QString file(const QString &name) const { return root_.path() + QLatin1Char('/') + name; }

    ScriptedUiServices ui;
    std::unique_ptr<TcontainerFrame> frame;

private:
    QTemporaryDir root_;
    QString previousDir_;
    QProcess sim_;
    int com_;
    QStringList milestones_;
    QList<QWidget *> ownChildren_;
    const char *error_ = nullptr;
    double total_ = 0;
};

// Configuration Manager (Quillon), Terminal (Gantry), Flash From Disk (Sprocket), Protocol Decode (Wicket).
void ClickToFormIsdnTa(benchmark::State &state)
{
    for (auto _ : state) {
        Session s("isdnta", 1, "ISDN TA", "QB0001");
        if (s.error()) {
            state.SkipWithError(s.error());
            return;
        }
        bool ok = s.measureTool(state, s.frame->appwizBtn, "quillon");
        ok = s.measureTool(state, s.frame->terminalbtn, "gantry") && ok;
        ok = s.measureTool(state, s.frame->flashdiskbtn, "sprocket") && ok;
        ok = s.measureTool(state, s.frame->protomonitorbtn, "wicket") && ok;
        if (!ok)
            state.SkipWithError("a form was not shown");
        state.SetIterationTime(s.totalSeconds());
    }
}
BENCHMARK(ClickToFormIsdnTa)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// Configuration Manager of the 56K business modem (Mantlet).
void ClickToForm56k(benchmark::State &state)
{
    for (auto _ : state) {
        Session s("56k", 2, "Business Modem", "TL0001");
        if (s.error()) {
            state.SkipWithError(s.error());
            return;
        }
        if (!s.measureTool(state, s.frame->appwizBtn, "mantlet"))
            state.SkipWithError("the form was not shown");
        state.SetIterationTime(s.totalSeconds());
    }
}
BENCHMARK(ClickToForm56k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// Configuration Manager of the IDSL modem (Tessel).
void ClickToFormIdsl(benchmark::State &state)
{
    for (auto _ : state) {
        Session s("idsl", 3, nullptr, nullptr);
        if (s.error()) {
            state.SkipWithError(s.error());
            return;
        }
        if (!s.measureTool(state, s.frame->appwizBtn, "tessel"))
            state.SkipWithError("the form was not shown");
        state.SetIterationTime(s.totalSeconds());
    }
}
BENCHMARK(ClickToFormIdsl)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// Flash From Disk of the business modem: from the confirmed Update to the
// image accepted by the device (the transfer) and to the update ended (with
// the device's reset waited out and the new date read).
void Flash256KiBAt57600(benchmark::State &state)
{
    const QString accepted = QStringLiteral("firmware image of %1 bytes accepted").arg(kImageBytes);
    for (auto _ : state) {
        Session s("56k", 2, "Business Modem", "TL0005", {QStringLiteral("baud=%1").arg(kBaud)});
        if (s.error()) {
            state.SkipWithError(s.error());
            return;
        }
        s.click(s.frame->flashdiskbtn);
        QWidget *form = s.shownForm();
        auto *date = form ? form->findChild<QLabel *>("FirmwareDateValue") : nullptr;
        auto *browse = form ? form->findChild<QPushButton *>("BrowseBtn") : nullptr;
        auto *update = form ? form->findChild<QPushButton *>("UpdateBtn") : nullptr;
        if (!date || !browse || !update || !waitFor([&] { return !date->text().isEmpty(); }, 60000)) {
            state.SkipWithError("the updater's form is not ready");
            return;
        }
        QFile image(s.file("fw.bin"));
        image.open(QIODevice::WriteOnly);
        image.write(firmwareImage("5172", "05/01/00", kImageBytes));
        image.close();
        s.ui.fileAnswers << image.fileName();
        browse->click();

        QElapsedTimer timer;
        timer.start();
        update->click();   // the confirmation is answered Yes
        double transferMs = -1;
        qint64 nextLook = 0;
        const bool ended = waitFor(
            [&] {
                if (transferMs < 0 && timer.elapsed() >= nextLook) {
                    nextLook = timer.elapsed() + 50;
                    if (s.transcript().contains(accepted))
                        transferMs = double(timer.nsecsElapsed()) / 1e6;
                }
                return s.frame->libs.updater.UpdateIsInProgress() == 0;
            },
            600000);
        const double totalMs = double(timer.nsecsElapsed()) / 1e6;
        if (transferMs < 0 && s.transcript().contains(accepted))
            transferMs = totalMs;
        state.SetIterationTime(totalMs / 1000.0);
        const double wire = wireMs(kImageBytes);
        state.counters["wire_ms"] = wire;
        state.counters["transfer_ms"] = transferMs;
        state.counters["update_ms"] = totalMs;
        state.counters["transfer_to_wire"] = transferMs > 0 ? transferMs / wire : 0;
        state.counters["update_to_wire"] = totalMs / wire;
        auto *status = form->findChild<QLabel *>("StatusLabel");
        if (!ended)
            state.SkipWithError("the update did not end");
        else if (transferMs < 0 || !status || !status->text().contains(QLatin1String("05/01/00")))
            state.SkipWithError("the update did not succeed");
    }
}
BENCHMARK(Flash256KiBAt57600)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
