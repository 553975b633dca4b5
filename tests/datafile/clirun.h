// Runs the kvr-cli built with the tests (KVR_CLI, set by the test target).
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace fixtures {

struct Run {
    int code = -1; // -1: did not finish, -2: crashed
    QByteArray out;
    QString err;
};

// `prefix` runs kvr-cli under another program (for instance setpriv).
inline Run runCli(const QStringList &args, const QString &cwd, const QStringList &prefix = QStringList())
{
    QProcess p;
    p.setWorkingDirectory(cwd);
    if (prefix.isEmpty())
        p.start(QStringLiteral(KVR_CLI), args);
    else
        p.start(prefix.first(), prefix.mid(1) << QStringLiteral(KVR_CLI) << args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace fixtures
