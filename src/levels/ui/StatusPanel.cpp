#include "levels/ui/StatusPanel.h"

#include "app/Log.h"
#include "levels/StatusExport.h"
#include "levels/ui/LevelDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include <set>

namespace levels {

namespace {

const QString All = QStringLiteral("(all)");
const QString EnterLabel = QStringLiteral(" StatusTab_Enter");
const QString ExportLabel = QStringLiteral(" cmdStatusExport_Click");
const QString PrintLabel = QStringLiteral(" cmdStatusPrint_Click");
const QString TriggersLabel = QStringLiteral(" imgTriggerLevels_Click");
const QString SiteLevelsLabel = QStringLiteral(" imgSiteLevels_Click");

QString chosen(const QComboBox* box) {
    const QString text = box->currentText();
    return text == All ? QString() : text;
}

// Keeps the choice where it is still offered.
void offer(QComboBox* box, const std::set<QString>& values) {
    const QString before = box->currentText();
    QStringList items{All};
    for (const QString& v : values)
        if (!v.isEmpty()) items << v;
    QStringList now;
    for (int i = 0; i < box->count(); ++i)
        now << box->itemText(i);
    if (now != items) {
        box->clear();
        box->addItems(items);
    }
    const int at = box->findText(before);
    box->setCurrentIndex(at < 0 ? 0 : at);
}

} // namespace

StatusPanel::StatusPanel(app::AppState& state, const StatusControls& ui,
                         sensors::CurrentSensorOf current, GoToSensor goTo, Marks marks,
                         QObject* parent)
    : QObject(parent), state_(state), ui_(ui), current_(std::move(current)), goTo_(std::move(goTo)),
      marks_(std::move(marks)), model_(this) {
    ui_.tblStatus->setModel(&model_);
    ui_.tblStatus->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui_.tblStatus->setSelectionMode(QAbstractItemView::SingleSelection);
    ui_.tblStatus->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui_.tblStatus->verticalHeader()->hide();
    ui_.tblStatus->horizontalHeader()->setStretchLastSection(true);
    connect(ui_.tblStatus, &QTableView::doubleClicked, this, &StatusPanel::openSensor);
    connect(ui_.cboStatusLevel, &QComboBox::activated, this, [this] { showRows(); });
    connect(ui_.cboStatusLocation, &QComboBox::activated, this, [this] { showRows(); });
    connect(ui_.cmdStatusExport, &QPushButton::clicked, this, &StatusPanel::exportWorkbook);
    connect(ui_.cmdStatusPrint, &QPushButton::clicked, this, &StatusPanel::printPdf);
    connect(ui_.imgTriggerLevels, &QToolButton::clicked, this, &StatusPanel::editTriggers);
    connect(ui_.imgSiteLevels, &QToolButton::clicked, this, &StatusPanel::editSiteLevels);
}

void StatusPanel::enterStatusTab() {
    app::logAndLeave(state_.log, EnterLabel, [&] {
        if (!state_.cnDatabase) return;
        state_.board().refresh();
        fillFilters();
        showRows();
        refreshMarks();
    });
}

void StatusPanel::refreshMarks() {
    // Called after any change; a failure here must never stop the change's
    // own routine, and the next refresh tries again.
    app::ignoreFailure([&] {
        if (!state_.cnDatabase || !marks_) return;
        StatusBoard& board = state_.board();
        const bool changed = !board.refresh().empty();
        // Another user's readings show on the tab that is open as well.
        if (changed && ui_.tblStatus->isVisible()) showRows();
        const QDateTime now = state_.env.clock->now();
        QHash<QString, QColor> marks;
        for (const SensorStatus& s : board.statuses()) {
            const QColor c = statusColour(s, board.levels(), now);
            if (c.isValid()) marks.insert(s.number, c);
        }
        marks_(marks);
    });
}

void StatusPanel::fillFilters() {
    std::set<QString> mineLevels, locations;
    for (const SensorStatus& s : state_.board().statuses()) {
        mineLevels.insert(s.mineLevel);
        locations.insert(s.location);
    }
    offer(ui_.cboStatusLevel, mineLevels);
    offer(ui_.cboStatusLocation, locations);
}

void StatusPanel::showRows() {
    app::logAndLeave(state_.log, EnterLabel, [&] {
        if (!state_.cnDatabase) return;
        StatusBoard& board = state_.board();
        const QDateTime now = state_.env.clock->now();
        model_.setStatuses(board.statuses(), board.levels(), now, chosen(ui_.cboStatusLevel),
                           chosen(ui_.cboStatusLocation));
        int attention = 0;
        for (const SensorStatus& s : model_.rows())
            attention += needsAttention(s, now);
        ui_.lblStatusCount->setText(
            QStringLiteral("%1 sensor(s) shown; %2 at a trigger level or without new data")
                .arg(model_.rowCount())
                .arg(attention));
        ui_.lblStatusCount->adjustSize();
        ui_.tblStatus->resizeColumnsToContents();
    });
}

void StatusPanel::openSensor(const QModelIndex& index) {
    if (!index.isValid() || index.row() >= model_.rowCount()) return;
    const QString number = model_.status(index.row()).number;
    if (goTo_) goTo_(number);
}

void StatusPanel::handOver(const QString& path, const QString& failedText) {
    if (!state_.env.desktop->open(path))
        state_.env.prompter->ask({failedText + QDir::toNativeSeparators(path),
                                  QStringLiteral("Tolvane"), app::Icon::Information});
}

void StatusPanel::exportWorkbook() {
    app::logAndLeave(state_.log, ExportLabel, [&] {
        const QString path = state_.DataFolder + QStringLiteral("/Site status.xlsx");
        exportStatusWorkbook(model_, path);
        handOver(path,
                 QStringLiteral("No program could open the spreadsheet. It was saved as:\r\n"));
    });
}

void StatusPanel::printPdf() {
    app::logAndLeave(state_.log, PrintLabel, [&] {
        const QString path = state_.DataFolder + QStringLiteral("/Site status.pdf");
        const QString title =
            QStringLiteral("Site status at %1")
                .arg(state_.env.clock->now().toString(QStringLiteral("yyyy/MM/dd HH:mm")));
        printStatusPdf(model_, title, path);
        handOver(path, QStringLiteral("No program opened the document. It was saved as:\r\n"));
    });
}

void StatusPanel::editTriggers() {
    app::logAndLeave(state_.log, TriggersLabel, [&] {
        const sensors::CurrentSensor sensor = current_();
        if (sensor.number.isEmpty() || !state_.cnDatabase) return;
        if (state_.ReadOnly) {
            state_.env.prompter->ask({QStringLiteral("The database is open read-only: the trigger "
                                                     "levels cannot be changed."),
                                      QStringLiteral("Trigger Levels"), app::Icon::Warning});
            return;
        }
        TriggerLevelsDialog dialog(state_.database(), *state_.env.prompter, sensor.number,
                                   sensor.nodes, ui_.imgTriggerLevels->window());
        if (dialog.exec() == QDialog::Accepted) refreshMarks();
    });
}

void StatusPanel::editSiteLevels() {
    app::logAndLeave(state_.log, SiteLevelsLabel, [&] {
        if (!state_.cnDatabase) return;
        if (state_.ReadOnly) {
            state_.env.prompter->ask({QStringLiteral("The database is open read-only: the trigger "
                                                     "levels cannot be changed."),
                                      QStringLiteral("Trigger Levels"), app::Icon::Warning});
            return;
        }
        SiteLevelsDialog dialog(state_.database(), *state_.env.prompter,
                                ui_.imgSiteLevels->window());
        if (dialog.exec() == QDialog::Accepted) refreshMarks();
    });
}

} // namespace levels
