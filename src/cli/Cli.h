// tolvane-cli: the window's operations on the same data folder and database,
// one command each, for scripts and scheduled jobs.
#pragma once

#include "app/Environment.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>

namespace cli {

// Exit statuses: scripts rely on them.
// Attention: `status` found a sensor at a trigger level or with no new data.
enum Status { Done = 0, Failed = 1, WrongUsage = 2, Attention = 3 };

// The report needs the graphs, which are drawn with the window's charting
// component: the program that links it hands the writer in. Returns the
// document's path; throws store::Error.
struct ReportRequest {
    QString dataFolder;
    QString database;
    QString sensor;
    QString path;
    bool timeGraph = true;
    bool lengthGraph = true;
    // Graphs asked for by name must be drawn; otherwise one with fewer than
    // two readings ticked is left out, and said so.
    bool graphsNamed = false;
    bool pdf = false; // a PDF instead of a .docx
    std::function<void(int done, int total)> progress;
};
// Returns what was left out, one line each.
using ReportWriter = std::function<QStringList(const ReportRequest&, const app::Clock&)>;

struct Streams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool errIsTerminal = false; // progress is shown only on a terminal
};

// Runs the command line (arguments[0] is the program) and returns its status.
int run(const QStringList& arguments, const QProcessEnvironment& environment,
        const app::Clock& clock, const Streams& streams, const ReportWriter& report = {});

} // namespace cli
