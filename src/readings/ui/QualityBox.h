// The Readings tab's quality box, its note and the zero-reading command: they
// act on the reading shown, apart from its values, at once.
#pragma once

#include "app/shell/AppState.h"
#include "readings/Quality.h"
#include "readings/ui/ReadingControls.h"
#include "sensors/SensorKind.h"

#include <QObject>

#include <functional>

namespace readings {

class QualityBox : public QObject {
    Q_OBJECT
public:
    // saveShown stores what was typed into the reading first; false: it was not.
    QualityBox(app::AppState& state, const ReadingControls& ui, sensors::CurrentSensorOf current,
               std::function<bool()> saveShown, QObject* parent = nullptr);

    // The reading shown (its key and FullDate), or none.
    void show(const QString& key, const QString& fullDate);
    void clear();

private:
    void store(Quality quality, const QString& note);
    void showFlag();
    void setZero();

    app::AppState& state_;
    const ReadingControls ui_;
    const sensors::CurrentSensorOf current_;
    const std::function<bool()> saveShown_;
    QString key_, fullDate_;
    QualityFlag flag_;
};

} // namespace readings
