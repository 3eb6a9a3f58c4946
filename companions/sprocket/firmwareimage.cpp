#include "firmwareimage.h"

#include <QFile>

namespace sprocket {

namespace {

bool validDate(const QByteArray &d)
{
    if (d.size() != 8 || d[2] != '/' || d[5] != '/')
        return false;
    for (int i : {0, 1, 3, 4, 6, 7}) {
        if (d[i] < '0' || d[i] > '9')
            return false;
    }
    const int month = d.mid(0, 2).toInt();
    const int day = d.mid(3, 2).toInt();
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 && day >= 1 && day <= days[month - 1];
}

} // namespace

FirmwareImage inspectImageData(const QByteArray &head, qint64 size)
{
    FirmwareImage image;
    image.size = size;
    if (size <= 0) {
        image.problem = FirmwareImage::Empty;
        return image;
    }
    if (size > kMaxImageSize) {
        image.problem = FirmwareImage::TooLarge;
        return image;
    }
    const QByteArray area = head.left(kHeaderArea);
    const QByteArray tag = "VARNEL-FW ";
    const qsizetype at = area.indexOf(tag);
    // Tag, four-character code, blank, eight-character date.
    if (at < 0 || at + tag.size() + 4 + 1 + 8 > area.size() || area[at + tag.size() + 4] != ' ') {
        image.problem = FirmwareImage::NoHeader;
        return image;
    }
    const QByteArray code = area.mid(at + tag.size(), 4);
    for (char c : code) {
        if (c < '0' || c > '9') {
            image.problem = FirmwareImage::NoHeader;
            return image;
        }
    }
    const QByteArray date = area.mid(at + tag.size() + 5, 8);
    if (!validDate(date)) {
        image.problem = FirmwareImage::BadDate;
        return image;
    }
    image.productCode = QString::fromLatin1(code);
    image.date = QString::fromLatin1(date);
    image.problem = FirmwareImage::None;
    return image;
}

FirmwareImage inspectImage(const QString &path)
{
    QFile file(path);
    FirmwareImage image;
    if (!file.open(QIODevice::ReadOnly)) {
        image.path = path;
        return image;
    }
    image = inspectImageData(file.read(kHeaderArea), file.size());
    image.path = path;
    return image;
}

} // namespace sprocket
