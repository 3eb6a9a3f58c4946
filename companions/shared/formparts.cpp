#include "formparts.h"

#include "deviceanswers.h"
#include "devicelink.h"
#include "translator.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>

namespace companions {

QLabel *titleLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    label->setFont(f);
    return label;
}

QLabel *valueLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tl::Translator::exclude(label);
    return label;
}

IdentityLabels::IdentityLabels(QWidget *parent)
{
    group = new QGroupBox(QStringLiteral("Modem"), parent);
    group->setObjectName(QStringLiteral("IdentityGroup"));
    auto *form = new QFormLayout(group);
    product = valueLabel("ProductValue", group);
    product->setWordWrap(true);
    productId = valueLabel("ProductIdValue", group);
    firmwareDate = valueLabel("FirmwareDateValue", group);
    firmwareRev = valueLabel("FirmwareRevValue", group);
    serialNumber = valueLabel("SerialNumberValue", group);
    country = valueLabel("CountryValue", group);
    form->addRow(QStringLiteral("Product:"), product);
    form->addRow(QStringLiteral("Product ID:"), productId);
    form->addRow(QStringLiteral("Firmware date:"), firmwareDate);
    form->addRow(QStringLiteral("Firmware revision:"), firmwareRev);
    form->addRow(QStringLiteral("Serial number:"), serialNumber);
    form->addRow(QStringLiteral("Country:"), country);
}

void IdentityLabels::show(const DeviceIdentity &identity) const
{
    product->setText(identity.name);
    productId->setText(identity.productId);
    firmwareDate->setText(identity.firmwareDate);
    firmwareRev->setText(identity.firmwareRev);
    serialNumber->setText(identity.serialNumber);
    country->setText(countryOfProductType(identity.productType));
}

const char *replyProblem(const Reply &reply)
{
    switch (reply.result) {
    case Reply::PortClosed:
        return "The modem's port is not open.";
    case Reply::Error:
        return "The modem refused the command.";
    default:
        return "The modem does not answer.";
    }
}

} // namespace companions
