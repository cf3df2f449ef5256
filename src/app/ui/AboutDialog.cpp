#include "app/ui/AboutDialog.h"

#include "app/Pictures.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

namespace app {

QString versionCaption() {
    const QVersionNumber v = QVersionNumber::fromString(QStringLiteral(TOLVANE_VERSION));
    return QStringLiteral("Version %1.%2.%3")
        .arg(v.majorVersion())
        .arg(v.minorVersion())
        .arg(v.microVersion());
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("About Vornhald's Tolvane"));
    setModal(true);

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPixmap(QPixmap::fromImage(pictures::logo()));
    logo->setAlignment(Qt::AlignCenter);

    auto* product = new QLabel(QStringLiteral("Tolvane MPBX"), this);
    product->setObjectName(QStringLiteral("lblProductName"));
    QFont big = product->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    product->setFont(big);
    product->setAlignment(Qt::AlignCenter);

    auto* version = new QLabel(versionCaption(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setAlignment(Qt::AlignCenter);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(logo);
    layout->addWidget(product);
    layout->addWidget(version);
    layout->addSpacing(8);
    layout->addLayout(buttons);
}

} // namespace app
