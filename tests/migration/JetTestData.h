// Where the tests find the Jet files others wrote (mdbtools' test databases,
// which carry no licence that lets us keep them here): TOLVANE_JET_TEST_DATA
// in the environment, else the build folder's mdbtestdata/ that
// scripts/fetch-test-databases fills.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace testing_support {

inline QString jetTestFolder() {
    const QString fromEnvironment = qEnvironmentVariable("TOLVANE_JET_TEST_DATA");
    return fromEnvironment.isEmpty() ? QStringLiteral(TOLVANE_JET_TEST_DATA) : fromEnvironment;
}

// The file's path, or empty when it is not there.
inline QString jetTestFile(const QString& name) {
    const QString path = QDir(jetTestFolder()).filePath(name);
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace testing_support

// Skips the test, saying how to get the file, when it is absent.
#define REQUIRE_JET_FILE(var, name)                                                                \
    const QString var = testing_support::jetTestFile(QStringLiteral(name));                        \
    if (var.isEmpty())                                                                             \
    GTEST_SKIP() << "the Jet test file " name " is not in "                                        \
                 << testing_support::jetTestFolder().toStdString()                                 \
                 << "; run scripts/fetch-test-databases to get mdbtools' test databases"

namespace testing_support {

// nwind.mdb made a file "of ours" by its tables alone: the table Umsätze
// renamed Sensors and its column RequiredDate renamed InstrumentID, byte for
// byte (both names keep their length). No program here writes Jet files; this
// is the nearest to an earlier version's file the tests can have. Empty when
// nwind.mdb is absent.
inline QString oursFromNwind(const QString& folder) {
    const QString nwind = jetTestFile(QStringLiteral("nwind.mdb"));
    if (nwind.isEmpty()) return {};
    QFile in(nwind);
    if (!in.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = in.readAll();
    bytes.replace(QByteArray("Ums\xe4tze"), QByteArray("Sensors"));
    // The column is renamed in Umsätze's definition page alone (page 753).
    const qsizetype column = bytes.indexOf("RequiredDate", 753 * 2048);
    if (column < 0 || column >= 754 * 2048) return {};
    bytes.replace(column, 12, "InstrumentID");
    const QString path = QDir(folder).filePath(QStringLiteral("TolvaneMPBX.mdb"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) return {};
    return path;
}

} // namespace testing_support
