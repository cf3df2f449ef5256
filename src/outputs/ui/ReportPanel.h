// The glue of the sensor report: its options window, the graphs drawn for it
// and the document handed to the desktop.
#pragma once

#include "app/shell/AppState.h"
#include "outputs/ReportDocument.h"
#include "outputs/ui/ReportControls.h"

#include <QObject>

namespace graphs {
class Chart;
}
namespace readings {
class ReadingPanel;
}

namespace outputs {

class ReportDialog;

class ReportPanel : public QObject {
    Q_OBJECT
public:
    ReportPanel(app::AppState& state, const ReportControls& ui, readings::ReadingPanel& readings,
                QObject* parent = nullptr);

    // imgReport: the options, then the report document, opened by the desktop.
    void makeReport();

private:
    // Draws the graph through its tab, as a user's visit does, and exports it.
    ReportGraph graphPage(int tab, graphs::Chart* chart, const QString& file,
                          const QString& heading);

    app::AppState& state_;
    const ReportControls ui_;
    readings::ReadingPanel& readings_;
    ReportDialog* dialog_ = nullptr;
};

} // namespace outputs
