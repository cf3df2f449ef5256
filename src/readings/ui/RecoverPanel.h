// The Utilities tab's "Recover deleted readings…": opens frmRecover on the
// current sensor, keeps the preference it sets, and reads the register again
// when a deleted sensor came back.
#pragma once

#include "app/shell/AppState.h"
#include "readings/ui/RecoverControls.h"
#include "sensors/SensorKind.h"

#include <QObject>

#include <functional>

namespace readings {

class RecoverPanel : public QObject {
    Q_OBJECT
public:
    // reload reconnects to the database file and shows its register (the main
    // window's reload, as after a restore).
    using Reload = std::function<bool(const QString& path, const QString& failureLabel)>;

    RecoverPanel(app::AppState& state, const RecoverControls& ui, sensors::CurrentSensorOf current,
                 Reload reload, QObject* parent = nullptr);

    // imgRecover.
    void recover();

private:
    app::AppState& state_;
    const RecoverControls ui_;
    const sensors::CurrentSensorOf current_;
    Reload reload_;
};

} // namespace readings
