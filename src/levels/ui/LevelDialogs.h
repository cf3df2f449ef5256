// The windows that set trigger levels: a sensor's thresholds (frmTriggerLevels)
// and the site's list of levels (frmSiteLevels). Each checks what was typed,
// says what is wrong through the Prompter, and stores only a whole, valid set.
#pragma once

#include "app/Environment.h"
#include "levels/TriggerLevels.h"
#include "store/Database.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace levels {

class TriggerLevelsDialog : public QDialog {
public:
    TriggerLevelsDialog(store::Database& db, app::Prompter& prompter, const QString& sensorNumber,
                        int anchors, QWidget* parent = nullptr);
    // cmdSaveTriggers: true when stored (the window then closes).
    bool save();

private:
    store::Database& db_;
    app::Prompter& prompter_;
    QString number_;
    int anchors_;
    std::vector<TriggerLevel> levels_;
    QTableWidget* grid_ = nullptr; // tblTriggers: rows all anchors, anchor 1..N
    QLineEdit* window_ = nullptr;  // txtRateWindow
    QLineEdit* stale_ = nullptr;   // txtStaleAfter (empty: off)
};

class SiteLevelsDialog : public QDialog {
public:
    SiteLevelsDialog(store::Database& db, app::Prompter& prompter, QWidget* parent = nullptr);
    bool save(); // cmdSaveSiteLevels

private:
    void addLevel(const TriggerLevel& level);
    store::Database& db_;
    app::Prompter& prompter_;
    QTableWidget* grid_ = nullptr; // tblSiteLevels: Name, Colour
};

} // namespace levels
