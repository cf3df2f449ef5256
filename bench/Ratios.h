// Speed goals: a benchmark and the reference it is held against in one run.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct Goal {
    std::string measured;
    std::string reference;
    double limit; // measured / reference must not exceed this
};

inline const std::vector<Goal>& goals() {
    static const std::vector<Goal> all{
        {"BM_TableExists/1000", "BM_TableExists/10", 1.5},
        {"BM_OpenSensorData/100000", "BM_BareStepLoop/100000", 3.0},
        {"BM_RowSetFind/100000", "BM_RowSetFind/100", 3.0},
        {"BM_StartUp/1000", "BM_StartUp/1", 2.0},
        {"BM_CompactDB/100", "BM_FileCopy/100", 5.0},
        {"BM_NextSensor/1000", "BM_NextSensor/10", 2.0},
        {"BM_SelectSensor/1000", "BM_SelectSensor/10", 2.0},
        {"BM_ApplyFilter/1000", "BM_ApplyFilter/10", 2.0},
        {"BM_EnterReadingsTab/100000", "BM_EnterReadingsTab/100", 3.0},
        {"BM_StepReading/100000", "BM_StepReading/100", 3.0},
        {"BM_AddReading/100000/iterations:500", "BM_AddReading/100/iterations:500", 3.0},
        {"BM_CheckDateTime/100000", "BM_CheckDateTime/100", 3.0},
        {"BM_BatchDelete/50000/iterations:5", "BM_BareDelete/50000/iterations:5", 3.0},
        {"BM_Backup/100", "BM_FileCopy/100", 5.0},
        {"BM_PrepareTimeGraph/100000", "BM_BareUpdate/100000", 3.0},
        {"BM_DrawTimeGraph/100000", "BM_BareReplot/100000", 2.0},
        {"BM_OpenLoggerFile/100000", "BM_BareCsvRead/100000", 3.0},
        {"BM_AppendImport/100000", "BM_BareInsert/100000", 3.0},
        {"BM_OpenDatasheet/100000", "BM_OpenDatasheet/100", 3.0},
        {"BM_ExportWorkbook/100000/iterations:3", "BM_BareXlsx/100000/iterations:3", 3.0},
    };
    return all;
}

} // namespace bench
