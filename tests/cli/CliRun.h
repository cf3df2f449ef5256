// tolvane-cli run as a process on a documents folder, as a script runs it.
#pragma once

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace testing_support {

struct CliResult {
    int status = -1;
    QString out, err;
};

inline CliResult runCli(const QString& documents, QStringList arguments) {
    QProcess p;
    p.setProgram(QStringLiteral(TOLVANE_CLI));
    arguments.prepend(documents);
    arguments.prepend(QStringLiteral("--documents"));
    p.setArguments(arguments);
    p.start();
    EXPECT_TRUE(p.waitForFinished(60000)) << arguments.join(' ').toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace testing_support
