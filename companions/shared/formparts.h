#pragma once
// Pieces the companion screens build alike: a title, a read-only value, the
// modem identity group filled from an "ati7" answer, and the status text for
// a command that went wrong.

#include <QString>

class QGroupBox;
class QLabel;
class QWidget;

namespace companions {

struct DeviceIdentity;
struct Reply;

QLabel *titleLabel(const QString &text, QWidget *parent);

// What assistive technology is told of the forms, installed once per library:
// a label that is the buddy of a caption label (a form row "Serial number:"
// and its value) is named by both, "Serial number: HX4711", and by the
// caption alone while it is empty.
void installAccessibility();
QString captionedValue(QString caption, const QString &value);
// Selectable, named, and never translated: it shows what the device says.
QLabel *valueLabel(const char *name, QWidget *parent);

// The "Modem" group: product, product ID, firmware date and revision, serial
// number and country, with the widget names the screens have always used.
struct IdentityLabels {
    QGroupBox *group = nullptr;
    QLabel *product = nullptr;
    QLabel *productId = nullptr;
    QLabel *firmwareDate = nullptr;
    QLabel *firmwareRev = nullptr;
    QLabel *serialNumber = nullptr;
    QLabel *country = nullptr;

    IdentityLabels() = default;
    explicit IdentityLabels(QWidget *parent);
    void show(const DeviceIdentity &identity) const;
};

// The status source text for a command without a good answer.
const char *replyProblem(const Reply &reply);

} // namespace companions
