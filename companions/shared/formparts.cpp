#include "formparts.h"

#include "deviceanswers.h"
#include "devicelink.h"
#include "translator.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>

namespace companions {

namespace {

QLabel *captionOf(const QLabel *value)
{
    const QWidget *parent = value->parentWidget();
    if (!parent)
        return nullptr;
    for (QObject *sibling : parent->children()) {
        auto *label = qobject_cast<QLabel *>(sibling);
        if (label && label != value && label->buddy() == value)
            return label;
    }
    return nullptr;
}

class ValueLabelAccessible : public QAccessibleWidget {
public:
    explicit ValueLabelAccessible(QLabel *value) : QAccessibleWidget(value, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !widget()->accessibleName().isEmpty())
            return QAccessibleWidget::text(t);
        const auto *value = static_cast<const QLabel *>(widget());
        const QLabel *caption = captionOf(value);
        return captionedValue(caption ? caption->text() : QString(), value->text());
    }
};

QAccessibleInterface *valueLabelAccessible(const QString &, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    if (label && label->pixmap().isNull() && captionOf(label))
        return new ValueLabelAccessible(label);
    return nullptr;
}

} // namespace

QString captionedValue(QString caption, const QString &value)
{
    caption.remove(QLatin1Char('&'));
    caption = caption.simplified();
    while (caption.endsWith(QLatin1Char(':')))
        caption = caption.chopped(1).trimmed();
    const QString shown = value.simplified();
    if (caption.isEmpty())
        return shown;
    return shown.isEmpty() ? caption : caption + QStringLiteral(": ") + shown;
}

// The library stays mapped once loaded, so the factory stays valid.
void installAccessibility()
{
    static const bool installed = (QAccessible::installFactory(valueLabelAccessible), true);
    Q_UNUSED(installed);
}

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
