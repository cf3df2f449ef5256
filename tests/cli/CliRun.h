// tolvane-cli run as a process on a documents folder, as a script runs it.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

namespace testing_support {

struct CliResult {
    int status = -1;
    QString out, err;
};

// environment, when given, replaces the test's own for the process.
inline CliResult runCli(const QString& documents, QStringList arguments,
                        const QProcessEnvironment& environment = {}) {
    QProcess p;
    p.setProgram(QStringLiteral(TOLVANE_CLI));
    if (!environment.isEmpty()) p.setProcessEnvironment(environment);
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
