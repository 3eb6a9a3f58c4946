#pragma once
// The emulated devices of an exerciser run: one tallysim per product on a
// fixed link and COM number, whose faults are switched while it runs, which
// is reset off the bus on request, and which vanishes and comes back.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <random>
#include <vector>

// A device of the run, as far as the exerciser needs to know it.
struct ExercisedDevice {
    QString product;   // tallysim's --product
    int com = 0;
    QString transcript;
};

class SimDevices {
public:
    struct Device {
        QString product;   // tallysim's --product
        int com = 0;
        QString tapiName;  // "" in direct mode
        std::unique_ptr<QProcess> process;
        QString faults;    // in force, "" = none
        QStringList extra; // further tallysim arguments
    };

    // root: the machine state directory; the links, logs and fault files go there.
    explicit SimDevices(const QString &root) : root_(root) {}
    ~SimDevices();

    bool add(const QString &product, int com, const QString &serial, const QString &tapiName,
             const QStringList &extra = {});
    int count() const { return int(devices_.size()); }
    const Device &device(int i) const { return devices_[size_t(i)]; }

    // Writes the faults (tallysim's --fault list, "" for none) and tells the device.
    void setFaults(int i, const QString &faults);
    // Off the bus and back, as a USB reset.
    void reset(int i);
    // The device disappears (its port and registration go) until comeBack().
    void vanish(int i);
    bool present(int i) const;
    bool comeBack(int i);
    void stopAll();
    QString transcriptTail(int i, int bytes) const;
    // What the device received and sent, with the time of each line.
    QString transcriptPath(int i) const;

    // The devices of a run: always an ISDN TA (on a European line one time in
    // three), the business modem and the IDSL modem each three times in four,
    // registered for TAPI three runs in ten; their serial numbers recorded as
    // seen before, so that no first-installation screens take over.
    QList<ExercisedDevice> startTypical(std::mt19937_64 &rng, bool &tapiMode,
                                        const std::function<void(const QString &)> &note);

private:
    bool start(Device &d);
    QString faultFile(const Device &d) const;
    QString serialOf(const Device &d) const;

    QString root_;
    std::vector<Device> devices_;
    QStringList serials_;
};
