#include "readings/ui/RecoverPanel.h"

#include "readings/Texts.h"
#include "readings/ui/RecoverDialog.h"
#include "store/RecycleArea.h"

#include <QToolButton>

namespace readings {

RecoverPanel::RecoverPanel(app::AppState& state, const RecoverControls& ui,
                           sensors::CurrentSensorOf current, Reload reload, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), current_(std::move(current)),
      reload_(std::move(reload)) {
    connect(ui_.imgRecover, &QToolButton::clicked, this, &RecoverPanel::recover);
}

void RecoverPanel::recover() {
    if (!state_.cnDatabase) return;
    // With no sensor shown the dialog still offers the deleted ones.
    QString number;
    app::ignoreFailure([&] { number = current_().number; });
    bool reloadNeeded = false;
    app::logAndLeave(state_.log, texts::RecoverLabel, [&] {
        RecoverDialog dialog(state_, number, ui_.imgRecover->window());
        dialog.exec();
        reloadNeeded = dialog.sensorRecovered();
        if (!state_.ReadOnly && dialog.keepDays() != store::recycleKeepDays(state_.database()))
            app::logAndLeave(state_.log, texts::KeepDaysLabel, [&] {
                store::setRecycleKeepDays(state_.database(), dialog.keepDays());
            });
    });
    if (reloadNeeded) reload_(state_.DBPath, texts::RecoverLabel);
}

} // namespace readings
