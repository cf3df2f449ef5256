// The sensor filter on the Utilities tab: its command, the criteria boxes and
// the two states the command and its label show.
#pragma once

#include "app/shell/AppState.h"
#include "sensors/ui/FilterControls.h"

#include <QObject>

namespace sensors {

class SensorPanel;

class FilterPanel : public QObject {
    Q_OBJECT
public:
    FilterPanel(app::AppState& state, const FilterControls& ui, SensorPanel& sensors,
                QObject* parent = nullptr);

    // Applies the criteria, or removes the filter in force.
    void filterCommand();
    void AddFilter(const QString& filter);
    void RemoveFilter();
    // The command, its label and the applied mark as the register now stands
    // (a reload of the database brings all sensors back).
    void showState();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inForce() const;
    void showInForce(bool inForce);
    void refreshList();

    app::AppState& state_;
    const FilterControls ui_;
    SensorPanel& sensors_;
    bool checkingDate_ = false;
};

} // namespace sensors
