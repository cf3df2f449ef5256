#include "app/ui/DatabaseLocationDialog.h"

#include "app/Texts.h"
#include "app/shell/ServerLogin.h"
#include "store/Error.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace app {

namespace {

QLineEdit* field(const QString& name, const QString& placeholder, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    return edit;
}

} // namespace

DatabaseLocationDialog::DatabaseLocationDialog(const QString& current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmDatabaseLocation"));
    setWindowTitle(texts::LocationDialogTitle);
    setModal(true);

    optFile_ = new QRadioButton(texts::LocationFileOption, this);
    optFile_->setObjectName(QStringLiteral("optFile"));
    optServer_ = new QRadioButton(texts::LocationServerOption, this);
    optServer_->setObjectName(QStringLiteral("optServer"));

    txtHost_ = field(QStringLiteral("txtHost"), texts::HostPlaceholder, this);
    txtPort_ = field(QStringLiteral("txtPort"), texts::PortPlaceholder, this);
    txtPort_->setMaxLength(5);
    txtDatabase_ = field(QStringLiteral("txtDatabase"), QString(), this);
    txtUser_ = field(QStringLiteral("txtUser"), texts::UserPlaceholder, this);

    bool server = false;
    if (store::isServerAddress(current)) {
        try {
            current_ = store::parseServerAddress(current);
            server = true;
            txtHost_->setText(current_.host);
            if (current_.port > 0) txtPort_->setText(QString::number(current_.port));
            txtDatabase_->setText(current_.database);
            txtUser_->setText(current_.user);
        } catch (const store::Error&) {
            // An address that cannot be read is typed afresh.
        }
    }
    (server ? optServer_ : optFile_)->setChecked(true);

    auto* note = new QLabel(texts::PasswordNote, this);
    note->setObjectName(QStringLiteral("lblPasswordNote"));
    note->setWordWrap(true);
    lblError_ = new QLabel(this);
    lblError_->setObjectName(QStringLiteral("lblError"));
    lblError_->setStyleSheet(QStringLiteral("color: #b00000;"));
    lblError_->setWordWrap(true);
    lblError_->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &DatabaseLocationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->setContentsMargins(24, 0, 0, 0);
    form->addRow(texts::HostCaption, txtHost_);
    form->addRow(texts::PortCaption, txtPort_);
    form->addRow(texts::DatabaseCaption, txtDatabase_);
    form->addRow(texts::UserCaption, txtUser_);
    form->addRow(note);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(optFile_);
    layout->addWidget(optServer_);
    layout->addLayout(form);
    layout->addWidget(lblError_);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumWidth(460);

    connect(optServer_, &QRadioButton::toggled, this, &DatabaseLocationDialog::showChoice);
    showChoice();
}

bool DatabaseLocationDialog::serverChosen() const {
    return optServer_->isChecked();
}

void DatabaseLocationDialog::showChoice() {
    const bool server = optServer_->isChecked();
    for (QLineEdit* edit : {txtHost_, txtPort_, txtDatabase_, txtUser_})
        edit->setEnabled(server);
    lblError_->hide();
    if (server && txtDatabase_->text().isEmpty()) txtDatabase_->setFocus();
}

void DatabaseLocationDialog::accept() {
    if (serverChosen()) {
        try {
            address_ = serverAddressFromFields(txtHost_->text(), txtPort_->text(),
                                               txtDatabase_->text(), txtUser_->text());
        } catch (const store::Error& e) {
            // Said where it is typed; the window stays open.
            lblError_->setText(e.description());
            lblError_->show();
            return;
        }
        // Settings of the address in use (sslmode, a time-out) go on with the
        // same server.
        if (address_.host == current_.host && address_.port == current_.port)
            address_.options = current_.options;
    }
    QDialog::accept();
}

} // namespace app
