#pragma once
// A firmware image file as the devices take it: any binary whose first 512
// bytes hold the header line "VARNEL-FW <product code> <MM/DD/YY>", which names
// the product the image is for and the firmware date it brings.

#include <QString>

namespace sprocket {

struct FirmwareImage {
    enum Problem { None, Unreadable, Empty, TooLarge, NoHeader, BadDate };
    Problem problem = Unreadable;
    QString path;
    QString productCode;   // "5172"
    QString date;          // "05/01/00"
    qint64 size = 0;
    bool ok() const { return problem == None; }
};

// Larger files are not firmware of these devices.
constexpr qint64 kMaxImageSize = 4 * 1024 * 1024;
constexpr int kHeaderArea = 512;

FirmwareImage inspectImage(const QString &path);
// The same for bytes already read (the first kHeaderArea bytes suffice).
FirmwareImage inspectImageData(const QByteArray &head, qint64 size);

} // namespace sprocket
