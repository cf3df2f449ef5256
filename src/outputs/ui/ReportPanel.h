// The glue of the sensor report: its options window and the document.
#pragma once

#include "app/AppState.h"
#include "app/ui/MainControls.h"

#include <QObject>

namespace readings {
class ReadingPanel;
}

namespace outputs {

class ReportPanel : public QObject {
    Q_OBJECT
public:
    ReportPanel(app::AppState& state, const app::MainControls& ui, readings::ReadingPanel& readings,
                QObject* parent = nullptr);

    // imgReport: the options, then the report document.
    void makeReport();

private:
    app::AppState& state_;
    const app::MainControls& ui_;
    readings::ReadingPanel& readings_;
};

} // namespace outputs
