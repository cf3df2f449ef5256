// The copy step of a migration on the largest Jet test file (mdbtools'
// nwind.mdb, fetched by scripts/fetch-test-databases), held against mdbtools'
// own mdb-export writing every table of the same file as CSV, run as the
// processes a user would run.
#include "migration/Copy.h"
#include "migration/JetFile.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

QString largestJetFile() {
    QString folder = qEnvironmentVariable("TOLVANE_JET_TEST_DATA");
    if (folder.isEmpty()) folder = QStringLiteral(TOLVANE_JET_TEST_DATA);
    const QString path = QDir(folder).filePath(QStringLiteral("nwind.mdb"));
    return QFileInfo(path).isFile() ? path : QString();
}

void BM_MdbCopy(benchmark::State& st) {
    const QString file = largestJetFile();
    if (file.isEmpty()) {
        st.SkipWithError("nwind.mdb is absent: run scripts/fetch-test-databases build-release");
        return;
    }
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("copy.sqlite"));
    qint64 rows = 0;
    for (auto _ : st) {
        st.PauseTiming();
        QFile::remove(out);
        st.ResumeTiming();
        auto jet = migration::JetFile::open(file);
        for (const migration::CopiedTable& t : migration::copyJetFile(*jet, out))
            rows += t.rows;
    }
    st.counters["rows"] = benchmark::Counter(double(rows), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_MdbCopy)->Unit(benchmark::kMillisecond);

void BM_MdbExportCsv(benchmark::State& st) {
    const QString file = largestJetFile();
    const QString exporter = QStandardPaths::findExecutable(QStringLiteral("mdb-export"));
    const QString lister = QStandardPaths::findExecutable(QStringLiteral("mdb-tables"));
    if (file.isEmpty() || exporter.isEmpty() || lister.isEmpty()) {
        st.SkipWithError("nwind.mdb or mdbtools' programs are absent");
        return;
    }
    QProcess list;
    list.start(lister, {QStringLiteral("-1"), file});
    list.waitForFinished();
    const QStringList tables = QString::fromUtf8(list.readAllStandardOutput())
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QTemporaryDir dir;
    for (auto _ : st) {
        for (qsizetype i = 0; i < tables.size(); ++i) {
            QProcess p;
            p.setStandardOutputFile(dir.filePath(QStringLiteral("%1.csv").arg(i)));
            p.start(exporter, {file, tables[i]});
            if (!p.waitForFinished(60000) || p.exitCode() != 0)
                st.SkipWithError("mdb-export failed");
        }
    }
}
BENCHMARK(BM_MdbExportCsv)->Unit(benchmark::kMillisecond);

} // namespace
