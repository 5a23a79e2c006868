// The settings file on disk: defaults, limits, odd files, and writes that never lose a line.
#include "settings/IniLocation.h"
#include "settings/IniMod.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace IniMod;
using files::Contents;
using files::Put;

class IniFileTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir;
    QString path;

  private slots:
    void init() {
        path = dir.filePath("Kalvor.ini");
        QFile::remove(path);
        QDir(path).removeRecursively();
        SetIniPath(path);
    }

    void missingFileGivesDefaultsAndStaysMissing() {
        QCOMPARE(ReadIni("Output", "Type", "0"), QStringLiteral("0"));
        QCOMPARE(ReadIni("Position", "Left", "900  "), QStringLiteral("900"));
        QVERIFY(!QFile::exists(path));
    }

    void readsNeverChangeTheFile() {
        const QByteArray bytes("[Output]\nType=1\n; note\n");
        QVERIFY(Put(path, bytes));
        QCOMPARE(ReadIni("Output", "Type", "0"), QStringLiteral("1"));
        QCOMPARE(ReadIni("Position", "Left", "15"), QStringLiteral("15"));
        QCOMPARE(Contents(path), bytes);
    }

    void valuesAreCutAt254BytesAndAtNul() {
        QVERIFY(Put(path, "[S]\nlong=" + QByteArray(300, '7') +
                              QByteArray("\nnul=12\0"
                                         "34\nempty=\n",
                                         18)));
        QCOMPARE(ReadIni("S", "long", "d").size(), 254);
        QCOMPARE(ReadIni("S", "nul", "d"), QStringLiteral("12"));
        QCOMPARE(ReadIni("S", "empty", "d"), QString());
    }

    void firstWriteCreatesTheFileInCallOrder() {
        WriteIni("Position", "Left", "900");
        WriteIni("Position", "Top", "-45");
        WriteIni("Output", "UpperCase", "1");
        WriteIni("Output", "Type", "0");
        QCOMPARE(Contents(path),
                 QByteArray("[Position]\r\nLeft=900\r\nTop=-45\r\n[Output]\r\nUpperCase=1\r\n"
                            "Type=0\r\n"));
        WriteIni("Output", "Type", "2");
        QCOMPARE(ReadIni("Output", "Type", "0"), QStringLiteral("2"));
    }

    void writesKeepEveryOtherLineAndTheFileMode() {
        const QByteArray bytes("; kept\r\n[Other]\nx = 1\r[Output]\r\nType=1\r\n\r\n[Tail]\n"
                               "y=\0z\n",
                               48);
        QVERIFY(Put(path, bytes));
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        WriteIni("Output", "Type", "2");
        QByteArray expected = bytes;
        expected.replace("Type=1", "Type=2");
        QCOMPARE(Contents(path), expected);
        QCOMPARE(QFile::permissions(path) & 0x7077,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    }

    void aLinkedFileIsWrittenThroughTheLink() {
        const QString target = dir.filePath("elsewhere.ini");
        QVERIFY(Put(target, "[Output]\nType=1\n"));
        QVERIFY(QFile::link(target, path));
        WriteIni("Output", "Type", "2");
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(Contents(target), QByteArray("[Output]\nType=2\n"));
        QFile::remove(target);
    }

    void aDirectoryInThePlaceOfTheFile() {
        QVERIFY(QDir().mkpath(path));
        QCOMPARE(ReadIni("Output", "Type", "0"), QStringLiteral("0"));
        WriteIni("Output", "Type", "2");
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(ReadIni("Output", "Type", "0"), QStringLiteral("0"));
    }

    void aReadOnlyFileIsLeftAlone() {
        const QByteArray bytes("[Output]\nType=1\n");
        QVERIFY(Put(path, bytes));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        WriteIni("Output", "Type", "2");
        WriteIni("Output", "UpperCase", "0");
        QCOMPARE(Contents(path), bytes);
        QCOMPARE(ReadIni("Output", "Type", "0"), QStringLiteral("1"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    void anUnreadableFileLosesNothing() {
        const QByteArray bytes("[Mine]\nsecret=1\n[Output]\nType=1\n");
        QVERIFY(Put(path, bytes));
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        const bool readable = ::access(QFile::encodeName(path).constData(), R_OK) == 0;
        WriteIni("Output", "Type", "2");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        const QByteArray after = Contents(path);
        if (readable) // root reads it all the same: then the write must keep every line
            QCOMPARE(after, QByteArray("[Mine]\nsecret=1\n[Output]\nType=2\n"));
        else
            QCOMPARE(after, bytes);
    }

    void aWriteToAnUnusablePathFailsQuietly() {
        QVERIFY(Put(dir.filePath("plain"), "x"));
        SetIniPath(dir.filePath("plain/Kalvor.ini"));
        WriteIni("Output", "Type", "2");
        QCOMPARE(ReadIni("Output", "Type", "0"), QStringLiteral("0"));
        SetIniPath(QString());
        WriteIni("Output", "Type", "2");
        QCOMPARE(ReadIni("Output", "Type", "7"), QStringLiteral("7"));
    }

    void aFiftyMegabyteFileWithLongLines() {
        QByteArray bytes;
        bytes.reserve(52 * 1024 * 1024);
        const QByteArray filler = "; " + QByteArray(100000, 'x') + "\r\n";
        for (int i = 0; i < 250; ++i)
            bytes += filler;
        bytes += "[Output]\r\nType=1\r\n";
        for (int i = 0; i < 250; ++i)
            bytes += filler;
        QVERIFY(bytes.size() > 50'000'000);
        QVERIFY(Put(path, bytes));
        QCOMPARE(ReadIni("Output", "Type", "0"), QStringLiteral("1"));
        WriteIni("Output", "Type", "2");
        const QByteArray after = Contents(path);
        QCOMPARE(after.size(), bytes.size());
        QVERIFY(after == QByteArray(bytes).replace("Type=1", "Type=2"));
    }

    void theFileLivesBesideAWritableProgram() {
        QCOMPARE(SettingsFilePath(dir.path()), QDir(dir.path()).filePath("Kalvor.ini"));
    }

    void anInstalledCopyNeverWritesBesideItself() {
        // Installed: bin/ beside share/applications/ with the desktop entry, writable or not.
        QTemporaryDir prefix;
        QVERIFY(QDir().mkpath(prefix.filePath("bin")));
        QVERIFY(QDir().mkpath(prefix.filePath("share/applications")));
        QVERIFY(Put(prefix.filePath("share/applications/org.kalvor.Kalvor.desktop"), ""));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
        QCOMPARE(SettingsFilePath(prefix.filePath("bin")),
                 dir.filePath("config/kalvor/Kalvor.ini"));
        QVERIFY(QFile::remove(prefix.filePath("share/applications/org.kalvor.Kalvor.desktop")));
        QCOMPARE(SettingsFilePath(prefix.filePath("bin")),
                 QDir(prefix.filePath("bin")).filePath("Kalvor.ini"));
        qunsetenv("XDG_CONFIG_HOME");
    }

    void anInstalledProgramKeepsItsFileInTheUserConfiguration() {
        // A directory nobody may write to, like /usr/bin; root may all the same, so look
        // through the same test the program uses.
        QTemporaryDir installed;
        QVERIFY(QFile::setPermissions(installed.path(),
                                      QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther));
        const bool writable = QFileInfo(installed.path()).isWritable();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
        const QString chosen = SettingsFilePath(installed.path());
        if (writable) {
            QCOMPARE(chosen, QDir(installed.path()).filePath("Kalvor.ini"));
        } else {
            QCOMPARE(chosen, dir.filePath("config/kalvor/Kalvor.ini"));
            SetIniPath(chosen);
            WriteIni("Output", "Type", "1"); // creates the kalvor directory
            QCOMPARE(Contents(chosen), QByteArray("[Output]\r\nType=1\r\n"));
        }
        // A portable copy's existing file wins even in a directory it cannot write.
        QVERIFY(QFile::setPermissions(installed.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(Put(QDir(installed.path()).filePath("Kalvor.ini"), "[Output]\n"));
        QVERIFY(QFile::setPermissions(installed.path(), QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(SettingsFilePath(installed.path()), QDir(installed.path()).filePath("Kalvor.ini"));
        QFile::setPermissions(installed.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(SettingsFilePath("/nonexistent-dir-for-kalvor"),
                 QDir::homePath() + "/.config/kalvor/Kalvor.ini");
    }
};

QTEST_GUILESS_MAIN(IniFileTest)
#include "tst_ini_file.moc"
