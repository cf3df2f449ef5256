// Where the tests find the Jet files others wrote (mdbtools' test databases,
// which carry no licence that lets us keep them here): TOLVANE_JET_TEST_DATA
// in the environment, else the build folder's mdbtestdata/ that
// scripts/fetch-test-databases fills.
#pragma once

#include <QDir>
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
