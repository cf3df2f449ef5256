// frmDatasheet: every reading of the current sensor in one grid, channel values
// typed over and plot flags ticked, stored when the window closes; and the
// grid's export to a spreadsheet file.
#pragma once

#include "app/shell/AppState.h"

#include <QDialog>
#include <QTableView>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace readings {
class ReadingPanel;
}

namespace outputs {

class DatasheetModel;

// MSFlexGrid1: keys that type a character go to the window's key rule with
// the current cell; arrows and the like move as in any grid.
class DatasheetView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

signals:
    void keyTyped(int key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class DatasheetDialog : public QDialog {
    Q_OBJECT
public:
    DatasheetDialog(app::AppState& state, readings::ReadingPanel& readings,
                    QWidget* parent = nullptr);

    // The sensor whose readings the next exec shows.
    void setSensor(const QString& number) { sensor_ = number; }
    // The window's load, the window itself, then its unload.
    int exec() override;

private:
    void Form_Load();
    // The write-back of the edits; false when it failed and the user goes back
    // to the edits, which are kept.
    bool Form_Unload();
    void keyTyped(int key);
    void cellClicked(const QModelIndex& index);
    void Image1_Click();
    // The quality chosen below the grid, with its note, for every selected row.
    void setQualityOfSelected();
    app::Prompter& prompter() const { return *state_.env.prompter; }

    app::AppState& state_;
    readings::ReadingPanel& readings_;
    QString sensor_;
    QLabel* header_ = nullptr;
    DatasheetView* grid_ = nullptr;
    QToolButton* export_ = nullptr;
    DatasheetModel* model_ = nullptr;
    QCheckBox* withInvalid_ = nullptr;
    QComboBox* quality_ = nullptr;
    QLineEdit* note_ = nullptr;
};

} // namespace outputs
