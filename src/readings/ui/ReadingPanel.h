// The glue of the Readings tab: the reading shown, its pickers and value boxes,
// the stepping, add and delete commands and the tab's entry and exit.
#pragma once

#include "app/AppState.h"
#include "app/ui/MainControls.h"

#include <QObject>

namespace readings {

class ReadingPanel : public QObject {
    Q_OBJECT
public:
    ReadingPanel(app::AppState& state, const app::MainControls& ui, QObject* parent = nullptr);

    void SaveReadings();
    void enterReadingsTab();
    void leaveReadingsTab();

private:
    app::AppState& state_;
    const app::MainControls& ui_;
};

} // namespace readings
