// The site's database written before schema versions were recorded, brought
// up to date as its first opening for writing does it (a checked backup, then
// the steps in one transaction), held against a plain copy of the same file
// plus the check the backup makes of its copy.
#include "DataSet.h"
#include "Windows.h"

#include "maintenance/Backup.h"
#include "maintenance/Upgrade.h"
#include "store/SchemaVersion.h"

#include <benchmark/benchmark.h>

#include <QFile>

namespace {

// The site's data set as the release before versions wrote it.
QString versionOneSite() {
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString made = folder.filePath(QStringLiteral("version1.mdb"));
        QFile::copy(bench::siteDataSet(), made);
        QFile::setPermissions(made, QFile::ReadOwner | QFile::WriteOwner);
        auto db = store::Database::open(made);
        // Every table a later version brought, so that all the steps run.
        for (const char* table :
             {"Settings", "ReadingQuality", "ZeroReadings", "RecycledReadings", "RecycledSensors",
              "AuditTrail", "SensorThresholds", "SensorTriggers", "TriggerLevels",
              "LoggerMappings", "Calibrations", "SensorVersions"})
            db->execute(QStringLiteral("DROP TABLE ") + QString::fromLatin1(table));
        store::setSchemaVersion(*db, 0);
        db->execute(QStringLiteral("VACUUM"));
        return made;
    }();
    return path;
}

void BM_UpgradeSchema(benchmark::State& st) {
    bench::Documents documents(versionOneSite());
    const QDate today(2026, 12, 7);
    for (auto _ : st) {
        st.PauseTiming();
        QFile::remove(documents.database);
        QFile::copy(versionOneSite(), documents.database);
        st.ResumeTiming();
        auto db = store::Database::open(documents.database);
        const auto done =
            maintenance::upgradeDatabase(*db, documents.dataFolder, documents.database, today);
        if (!done || done->to != store::currentSchemaVersion())
            st.SkipWithError("not brought up to date");
    }
}
BENCHMARK(BM_UpgradeSchema)->Unit(benchmark::kMillisecond);

// The check a backup makes of its copy, on a copy of the same file.
void BM_BackupCheck(benchmark::State& st) {
    bench::Documents documents(versionOneSite());
    for (auto _ : st)
        maintenance::checkOurDatabase(documents.database, maintenance::Check::Pages);
}
BENCHMARK(BM_BackupCheck)->Unit(benchmark::kMillisecond);

} // namespace
