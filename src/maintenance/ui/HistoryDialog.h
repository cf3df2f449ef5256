// frmHistory: the audit trail in a grid, filtered by sensor and by days,
// newest last.
#pragma once

#include "app/Environment.h"
#include "store/Database.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QTableView;

namespace maintenance {

class HistoryModel;

class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the entries of sensor (all of them when empty), up to today by
    // the clock, scrolled to the newest.
    HistoryDialog(store::Database& db, const app::Clock& clock, const QString& sensor,
                  QWidget* parent = nullptr);

    HistoryModel& model() const { return *model_; }

private:
    void applyFilter();

    HistoryModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QComboBox* sensor_ = nullptr;
    QCheckBox* useFrom_ = nullptr;
    QCheckBox* useTo_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QLabel* count_ = nullptr;
};

} // namespace maintenance
