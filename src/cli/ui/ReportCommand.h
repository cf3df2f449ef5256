// The tool's report: the sensor's details and its graphs, drawn offscreen as
// the graph tabs draw them, written as the window's report document.
#pragma once

#include "cli/Cli.h"

namespace cli {

// A ReportWriter. Throws store::Error: a sensor the register lacks, a graph
// named with fewer than two readings ticked for it, a document that cannot be
// written.
QStringList writeReport(const ReportRequest& request, const app::Clock& clock);

} // namespace cli
