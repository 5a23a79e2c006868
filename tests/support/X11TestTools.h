#pragma once

// Small drivers for end-to-end tests against a live X server: external X clients run as
// processes while this process keeps its event loop turning (the clipboard lives in it).

#include <QProcess>
#include <QTest>

namespace x11test {

inline bool Run(const QString &program, const QStringList &arguments) {
    return QProcess::execute(program, arguments) == 0;
}

// Runs a command to its end while serving our own events; its standard output, or a null
// array when it failed or hung.
inline QByteArray Output(const QString &program, const QStringList &arguments,
                         int timeoutMs = 5000) {
    QProcess process;
    process.start(program, arguments);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    QByteArray out = process.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

// The program's window once it shows, as xdotool names it; empty when none came.
inline QString KalvorWindow() {
    return QString::fromLatin1(Output("xdotool",
                                      {"search", "--sync", "--onlyvisible", "--name", "^Kalvor$"},
                                      10000))
        .split('\n')
        .first();
}

// A server of its own, 320x240; its display name, or an empty one when it did not come up.
// -noreset: a server that resets as the program's connection probe leaves refuses the window's
// own connection for a moment.
inline QString StartXvfb(QProcess &server) {
    server.start("Xvfb",
                 {"-displayfd", "1", "-screen", "0", "320x240x24", "-nolisten", "tcp", "-noreset"});
    if (!server.waitForStarted() || !QTest::qWaitFor([&] { return server.canReadLine(); }, 10000))
        return {};
    return ":" + QString::fromLatin1(server.readLine()).trimmed();
}

inline QByteArray Clipboard(const QString &target) {
    return Output("xclip", {"-selection", "clipboard", "-o", "-t", target});
}

// Another client's window that holds the keyboard focus while it lives.
class FocusedClient {
  public:
    bool Start() {
        process_.start("xclock", {"-geometry", "120x120+400+300", "-title", "other-client"});
        if (!process_.waitForStarted())
            return false;
        const QString id =
            QString::fromLatin1(
                Output("xdotool", {"search", "--sync", "--name", "other-client"}, 10000))
                .split('\n')
                .first();
        return !id.isEmpty() && Run("xdotool", {"windowfocus", "--sync", id});
    }
    ~FocusedClient() {
        process_.kill();
        process_.waitForFinished();
    }

  private:
    QProcess process_;
};

} // namespace x11test
