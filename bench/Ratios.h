// Speed goals: a benchmark and the reference it is held against in one run.
// A reference of several cases is the sum of their medians.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace bench {

struct Goal {
    std::string measured;
    std::vector<std::string> references;
    double limit; // measured / reference must not exceed this
};

inline const std::vector<Goal>& goals() {
    static const std::vector<Goal> all{
        {"BM_TableExists/1000", {"BM_TableExists/10"}, 1.5},
        {"BM_OpenSensorData/100000", {"BM_BareKeyset/100000"}, 3.0},
        {"BM_RowSetFind/100000", {"BM_RowSetFind/100"}, 3.0},
        {"BM_StartUp/1000", {"BM_StartUp/1"}, 2.0},
        {"BM_CompactDB", {"BM_FileCopy"}, 5.0},
        {"BM_NextSensor/1000", {"BM_NextSensor/10"}, 2.0},
        {"BM_SelectSensor/1000", {"BM_SelectSensor/10"}, 2.0},
        {"BM_ApplyFilter/1000", {"BM_ApplyFilter/10"}, 2.0},
        {"BM_EnterReadingsTab/100000", {"BM_EnterReadingsTab/100"}, 3.0},
        {"BM_StepReading/100000", {"BM_StepReading/100"}, 3.0},
        {"BM_AddReading/100000/iterations:500", {"BM_AddReading/100/iterations:500"}, 3.0},
        {"BM_CheckDateTime/100000", {"BM_CheckDateTime/100"}, 3.0},
        {"BM_BatchDelete/50000/iterations:5", {"BM_BareDelete/50000/iterations:5"}, 3.0},
        {"BM_Backup", {"BM_FileCopy"}, 5.0},
        {"BM_UpgradeSchema", {"BM_FileCopy", "BM_BackupCheck"}, 3.0},
        {"BM_PrepareTimeGraph/100000", {"BM_BareUpdate/100000"}, 3.0},
        {"BM_DrawTimeGraph/100000", {"BM_BareReplot/100000"}, 2.0},
        {"BM_ExportPicture/87600", {"BM_BareReplot/print/87600"}, 3.0},
        {"BM_OpenLoggerFile/100000", {"BM_BareCsvRead/100000"}, 3.0},
        {"BM_AppendImport/100000", {"BM_BareInsert/100000"}, 3.0},
        {"BM_ReimportDuplicates/100000", {"BM_AppendImport/100000"}, 3.0},
        {"BM_OpenDatasheet/100000", {"BM_OpenDatasheet/100"}, 3.0},
        {"BM_ExportWorkbook/100000/iterations:3", {"BM_BareXlsx/100000/iterations:3"}, 3.0},
        // What a user waits for.
        {"BM_FirstTimeGraph/87600", {"BM_FirstTimeGraphLimit/87600"}, 2.0},
        {"BM_SwitchSensor/87600", {"BM_SwitchSensorLimit/87600"}, 3.0},
        {"BM_ColdStart", {"BM_ColdStartLimit"}, 2.0},
        {"BM_ExitCompaction", {"BM_FileCopy"}, 3.0},
        // A real compaction at exit, held to the bound of the compaction itself.
        {"BM_ExitCompactionFreed", {"BM_FileCopy"}, 5.0},
        {"BM_ImportFile/100000", {"BM_ImportFileLimit/100000", "BM_BareInsert/100000"}, 3.0},
        {"BM_Report/87600", {"BM_ReportLimit/87600"}, 2.0},
        {"BM_ReportPdf/87600", {"BM_ReportPdfLimit/87600"}, 2.0},
        // The audit trail: an entry costs little beside its change.
        {"BM_StepReading/100", {"BM_StepReadingUnaudited/100"}, 1.10},
        {"BM_StepReading/100000", {"BM_StepReadingUnaudited/100000"}, 1.10},
        {"BM_AddReading/100/iterations:500", {"BM_AddReadingUnaudited/100/iterations:500"}, 1.10},
        {"BM_AddReading/100000/iterations:500",
         {"BM_AddReadingUnaudited/100000/iterations:500"},
         1.10},
        // Logger files as loggers write them: a long TOA5 file converted and
        // appended, and a folder of small files into as many sensors.
        {"BM_ImportToa5/100000", {"BM_BareInsert/100000", "BM_BareToa5Read/100000"}, 3.0},
        {"BM_ImportFolder", {"BM_BareFolderInsert"}, 3.0},
        // Trigger levels and the site's status.
        {"BM_SiteStatus", {"BM_SiteStatusBare"}, 3.0},
        {"BM_StatusAfterImport", {"BM_ImportNoLevels"}, 1.20},
        {"BM_OpenStatusTab", {"BM_FillStatusTable"}, 2.0},
        // The command-line tool.
        {"BM_CliReadingsCsv/87600", {"BM_BareReadingsCsv/87600"}, 3.0},
        // An earlier version's Jet file copied, against mdbtools' CSV export of it.
        {"BM_MdbCopy", {"BM_MdbExportCsv"}, 3.0},
    };
    return all;
}

// On a server a goal is met within this many times its limit: the references
// run on the server too, but every statement is a round trip.
inline constexpr double ServerFactor = 3.0;

inline constexpr char NotApplicable[] = "not applicable on a server";
inline constexpr char WindowNotOnServer[] =
    "not measured: the window does not start on a server database in this build";

// Goals about the database file itself: its compaction, its backup copy, the
// copy before an upgrade, a start that reads it from a dropped page cache, an
// earlier version's Jet file. A server does these its own way, or not at all.
inline const std::set<std::string>& fileOnlyGoals() {
    static const std::set<std::string> all{
        "BM_CompactDB",           "BM_Backup",    "BM_UpgradeSchema", "BM_ExitCompaction",
        "BM_ExitCompactionFreed", "BM_ColdStart", "BM_MdbCopy",
    };
    return all;
}

// The cases that start the main window on their data set.
inline const std::set<std::string>& windowCases() {
    static const std::set<std::string> all{
        "BM_StartUp",
        "BM_NextSensor",
        "BM_SelectSensor",
        "BM_ApplyFilter",
        "BM_EnterReadingsTab",
        "BM_StepReading",
        "BM_StepReadingUnaudited",
        "BM_AddReading",
        "BM_AddReadingUnaudited",
        "BM_CheckDateTime",
        "BM_BatchDelete",
        "BM_OpenDatasheet",
        "BM_ExportWorkbook",
        "BM_FirstTimeGraph",
        "BM_SwitchSensor",
        "BM_Report",
        "BM_ReportPdf",
        "BM_OpenStatusTab",
        "BM_FillStatusTable",
        "BM_ImportFile",
        "BM_EnterTimeGraph",
    };
    return all;
}

// A case's name without its arguments: "BM_AddReading/100/iterations:500" is
// of the family BM_AddReading.
inline std::string familyOf(const std::string& name) {
    return name.substr(0, name.find('/'));
}

} // namespace bench
