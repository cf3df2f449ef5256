// The first step of Change Database Location (frmDatabaseLocation): a database
// file, or a database on a server by its host, port, database and user.
#pragma once

#include "store/ServerAddress.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace app {

class DatabaseLocationDialog : public QDialog {
    Q_OBJECT
public:
    // current is the location in use: a server's fills the fields and is the
    // option chosen at first.
    explicit DatabaseLocationDialog(const QString& current, QWidget* parent = nullptr);

    bool serverChosen() const;
    // The server's address once OK was accepted with the server chosen.
    const store::ServerAddress& address() const { return address_; }

    void accept() override;

private:
    void showChoice();

    QRadioButton* optFile_ = nullptr;
    QRadioButton* optServer_ = nullptr;
    QLineEdit* txtHost_ = nullptr;
    QLineEdit* txtPort_ = nullptr;
    QLineEdit* txtDatabase_ = nullptr;
    QLineEdit* txtUser_ = nullptr;
    QLabel* lblError_ = nullptr;
    store::ServerAddress current_;
    store::ServerAddress address_;
};

} // namespace app
