// The glue of the sensor report: its options window, the report written
// from the current sensor and the document handed to the desktop.
#pragma once

#include "app/shell/AppState.h"
#include "outputs/ReportDocument.h"
#include "outputs/ui/ReportControls.h"

#include <QObject>

class QProgressDialog;

namespace readings {
class ReadingPanel;
}

namespace outputs {

class ReportDialog;
struct ReportHooks;

class ReportPanel : public QObject {
    Q_OBJECT
public:
    ReportPanel(app::AppState& state, const ReportControls& ui, readings::ReadingPanel& readings,
                QObject* parent = nullptr);

    // imgReport: the options, then the report document, opened by the desktop.
    void makeReport();

private:
    // What the graph tabs log and tell, and the progress shown.
    ReportHooks hooks(QProgressDialog& progress);

    app::AppState& state_;
    const ReportControls ui_;
    readings::ReadingPanel& readings_;
    ReportDialog* dialog_ = nullptr;
};

} // namespace outputs
