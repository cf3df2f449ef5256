// The about window: product, version and logo; OK hides it for the next showing.
#pragma once

#include <QDialog>

namespace app {

// "Version " + major.minor.revision of the program's own version.
QString versionCaption();

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace app
