#pragma once

#include <QProcess>
#include <QTest>

// An X server of the test's own. Xvfb picks a free display itself and says
// which (-displayfd), so a number chosen here can never be another
// server's. DISPLAY points at it while it lives. It never resets: by
// default it does when its last client leaves, and a file manager started
// right after the previous one quit could not connect meanwhile.
class XvfbDisplay final
{
public:
    // Starts the server; false when it does not take a client in time.
    bool start(const QString &screen)
    {
        m_server.start("Xvfb", {"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"});
        if (!m_server.waitForStarted() || !QTest::qWaitFor([&] { return m_server.canReadLine(); }, 20000))
            return false;
        m_name = ":" + m_server.readLine().trimmed();
        qputenv("DISPLAY", m_name);
        return QTest::qWaitFor(
            [&] {
                QProcess probe;
                probe.setStandardOutputFile(QProcess::nullDevice());
                probe.setStandardErrorFile(QProcess::nullDevice());
                probe.start("xdpyinfo", {"-display", QString::fromLatin1(m_name)});
                return probe.waitForFinished(5000) && probe.exitCode() == 0;
            },
            10000);
    }
    ~XvfbDisplay()
    {
        m_server.terminate();
        m_server.waitForFinished();
    }

    const QByteArray &name() const { return m_name; }

private:
    QProcess m_server;
    QByteArray m_name;
};
