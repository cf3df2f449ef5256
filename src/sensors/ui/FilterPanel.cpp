#include "sensors/ui/FilterPanel.h"

#include "sensors/SensorFilter.h"
#include "sensors/SensorRecord.h"
#include "sensors/Texts.h"
#include "sensors/ui/SensorPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace sensors {

FilterPanel::FilterPanel(app::AppState& state, const FilterControls& ui, SensorPanel& sensors,
                         QObject* parent)
    : QObject(parent), state_(state), ui_(ui), sensors_(sensors) {
    ui_.txtStartDate->installEventFilter(this);
    ui_.txtEndDate->installEventFilter(this);
    connect(ui_.imgFilter, &QToolButton::clicked, this, &FilterPanel::filterCommand);
    connect(&sensors_, &SensorPanel::filterCleared, this, &FilterPanel::showState);
}

bool FilterPanel::inForce() const {
    return state_.rsSensors && state_.rsSensors->isOpen() && !state_.rsSensors->filter().isEmpty();
}

void FilterPanel::showInForce(bool on) {
    ui_.lblFilterState->setText(on ? texts::RemoveFilter : texts::ApplyFilter);
    ui_.imgFilter->setIcon(QIcon((on ? ui_.imgRemoveFilter : ui_.imgApplyFilter)->pixmap()));
}

void FilterPanel::showState() {
    const bool on = inForce();
    showInForce(on);
    ui_.lblFilter->setVisible(on);
}

void FilterPanel::refreshList() {
    sensors_.showSensors(sensorNumbers(state_.sensorRegister()));
}

void FilterPanel::filterCommand() {
    app::logAndLeave(state_.log, texts::FilterLabel, [&] {
        if (inForce()) {
            RemoveFilter();
            return;
        }
        FilterChoice choice;
        choice.type = ui_.txtFilterType->currentText();
        choice.level = ui_.txtFilterLevel->text();
        choice.location = ui_.txtFilterLocation->text();
        choice.startDate = ui_.txtStartDate->text();
        choice.endDate = ui_.txtEndDate->text();
        choice.hideDestroyed = ui_.chkDontShowDestroyed->isChecked();
        const FilterOutcome outcome = buildFilter(choice, state_.env.clock->now().date());
        if (outcome.refused()) {
            checkingDate_ = true; // the message takes the focus; no second check
            state_.env.prompter->ask(outcome.refusal);
            checkingDate_ = false;
            if (outcome.focus == FilterOutcome::Focus::StartDate) ui_.txtStartDate->setFocus();
            if (outcome.focus == FilterOutcome::Focus::EndDate) ui_.txtEndDate->setFocus();
            return;
        }
        AddFilter(outcome.filter);
    });
}

void FilterPanel::AddFilter(const QString& filter) {
    app::logAndLeave(state_.log, texts::AddFilterLabel, [&] {
        store::RowSet& rs = state_.sensorRegister();
        rs.Filter(filter);
        if (rs.RecordCount() > 0) {
            showInForce(true);
            ui_.lblFilter->show();
        } else {
            state_.env.prompter->ask({texts::NoMatch, texts::Title, app::Icon::Warning});
            rs.clearFilter();
            showInForce(false);
        }
        refreshList();
    });
}

void FilterPanel::RemoveFilter() {
    app::logAndLeave(state_.log, texts::RemoveFilterLabel, [&] {
        state_.sensorRegister().clearFilter();
        ui_.lblFilter->hide();
        refreshList();
        showInForce(false);
        ui_.chkDontShowDestroyed->setChecked(false);
        ui_.txtFilterType->setCurrentIndex(-1);
        ui_.txtFilterType->setEditText(QString());
        ui_.txtFilterLevel->clear();
        ui_.txtFilterLocation->clear();
        ui_.txtStartDate->clear();
        ui_.txtEndDate->clear();
    });
}

bool FilterPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !checkingDate_) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Only the user moving on leaves a box; another window coming up does not.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            auto* box = qobject_cast<QLineEdit*>(watched);
            const QString refusal =
                box ? dateBoxRefusal(box->text(), box == ui_.txtStartDate) : QString();
            if (!refusal.isEmpty()) {
                checkingDate_ = true;
                state_.env.prompter->ask({refusal, texts::AppTitle, app::Icon::Warning});
                checkingDate_ = false;
                box->setFocus();
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sensors
