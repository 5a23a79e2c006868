// A write onto a full disk leaves the settings file as it was. Runs on a small tmpfs that
// tests/on-small-disk.sh mounts and names in KALVOR_SMALL_DISK.
#include "settings/IniMod.h"

#include <QDir>
#include <QFile>
#include <QTest>

class IniFullDiskTest : public QObject {
    Q_OBJECT
  private slots:
    void aFullDiskLosesNothing() {
        const QString disk = qEnvironmentVariable("KALVOR_SMALL_DISK");
        QVERIFY2(!disk.isEmpty() && QDir(disk).exists(), "run through tests/on-small-disk.sh");
        const QString path = QDir(disk).filePath("Kalvor.ini");
        QByteArray bytes = "[Output]\r\nType=1\r\n";
        for (int i = 0; i < 400; ++i)
            bytes += "; a comment line that makes the file need more than one block " +
                     QByteArray::number(i) + "\r\n";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(bytes), bytes.size());
        }
        QFile filler(QDir(disk).filePath("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();

        IniMod::SetIniPath(path);
        IniMod::WriteIni("Output", "Type", "2");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(IniMod::ReadIni("Output", "Type", "0"), QStringLiteral("1"));
        QCOMPARE(QDir(disk).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"filler", "Kalvor.ini"})); // no temporary left behind

        QVERIFY(QFile::remove(filler.fileName()));
        IniMod::WriteIni("Output", "Type", "2");
        QCOMPARE(IniMod::ReadIni("Output", "Type", "0"), QStringLiteral("2"));
    }
};

QTEST_GUILESS_MAIN(IniFullDiskTest)
#include "tst_ini_full_disk.moc"
