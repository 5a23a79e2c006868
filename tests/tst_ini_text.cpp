// The settings file's layout, byte for byte: what a read finds and what a write leaves.
#include "settings/IniText.h"

#include <QTest>

class IniTextTest : public QObject {
    Q_OBJECT
  private slots:
    void lookup_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QByteArray>("value");
        const QByteArray plain = "[Position]\r\nLeft=900\r\nTop=-45\r\n[Output]\r\nUpperCase=1\r\n"
                                 "Type=2\r\n";
        // missing pieces
        QTest::newRow("empty file") << QByteArray() << "Output"
                                    << "Type" << false << QByteArray();
        QTest::newRow("no such section") << plain << "Other"
                                         << "Type" << false << QByteArray();
        QTest::newRow("no such key") << plain << "Output"
                                     << "Left" << false << QByteArray();
        QTest::newRow("key outside any section") << QByteArray("Type=1\r\n[Output]\r\n") << "Output"
                                                 << "Type" << false << QByteArray();
        QTest::newRow("key without =") << QByteArray("[Output]\nType\n") << "Output"
                                       << "Type" << false << QByteArray();
        // plain reads
        QTest::newRow("first section") << plain << "Position"
                                       << "Top" << true << QByteArray("-45");
        QTest::newRow("second section") << plain << "Output"
                                        << "Type" << true << QByteArray("2");
        QTest::newRow("present but empty") << QByteArray("[Position]\nLeft=\n") << "Position"
                                           << "Left" << true << QByteArray("");
        // names
        QTest::newRow("case of names") << plain << "oUTPUT"
                                       << "uppercase" << true << QByteArray("1");
        QTest::newRow("blanks around names")
            << QByteArray("  [ Output ]  \n\t Type \t=\t 1 \n") << " Output"
            << "Type " << true << QByteArray("1");
        QTest::newRow("first section wins")
            << QByteArray("[Output]\nType=1\n[output]\nType=2\nUpperCase=0\n") << "Output"
            << "UpperCase" << false << QByteArray();
        QTest::newRow("first key wins") << QByteArray("[Output]\nType=1\nTYPE=2\n") << "Output"
                                        << "Type" << true << QByteArray("1");
        // values
        QTest::newRow("inner blanks stay") << QByteArray("[S]\nk = a  b \n") << "S"
                                           << "k" << true << QByteArray("a  b");
        QTest::newRow("double quotes") << QByteArray("[S]\nk=\" 7 \"\n") << "S"
                                       << "k" << true << QByteArray(" 7 ");
        QTest::newRow("single quotes") << QByteArray("[S]\nk='7'\n") << "S"
                                       << "k" << true << QByteArray("7");
        QTest::newRow("unmatched quotes stay") << QByteArray("[S]\nk=\"7'\n") << "S"
                                               << "k" << true << QByteArray("\"7'");
        QTest::newRow("no inline comment") << QByteArray("[S]\nk=1 ;x\n") << "S"
                                           << "k" << true << QByteArray("1 ;x");
        QTest::newRow("comment line") << QByteArray("[S]\n;k=1\n  ; k=2\nk=3\n") << "S"
                                      << "k" << true << QByteArray("3");
        QTest::newRow("= in value") << QByteArray("[S]\nk=a=b\n") << "S"
                                    << "k" << true << QByteArray("a=b");
        // line ends
        QTest::newRow("CR only") << QByteArray("[S]\rk=1\rj=2\r") << "S"
                                 << "j" << true << QByteArray("2");
        QTest::newRow("mixed") << QByteArray("[S]\r\nk=1\nj=2\rl=3") << "S"
                               << "l" << true << QByteArray("3");
        QTest::newRow("no final line end") << QByteArray("[S]\nk=1") << "S"
                                           << "k" << true << QByteArray("1");
        QTest::newRow("NUL bytes kept") << QByteArray("[S]\nk=1\0002\n", 10) << "S"
                                        << "k" << true << QByteArray("1\0002", 3);
        QTest::newRow("section without ]") << QByteArray("[S\nk=1\n") << "S"
                                           << "k" << true << QByteArray("1");
    }

    void lookup() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(bool, found);
        QFETCH(QByteArray, value);
        const auto got = LookupValue(file, section.toLatin1(), key.toLatin1());
        QCOMPARE(got.has_value(), found);
        if (found)
            QCOMPARE(*got, value);
    }

    void write_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        // creation
        QTest::newRow("new file") << QByteArray() << "Output"
                                  << "Type"
                                  << "0" << QByteArray("[Output]\r\nType=0\r\n");
        QTest::newRow("new section at the end, no blank line")
            << QByteArray("[Position]\r\nLeft=900\r\n") << "Output"
            << "Type"
            << "1" << QByteArray("[Position]\r\nLeft=900\r\n[Output]\r\nType=1\r\n");
        QTest::newRow("new section after a last line without line end")
            << QByteArray("[Position]\nLeft=900") << "Output"
            << "Type"
            << "1" << QByteArray("[Position]\nLeft=900\n[Output]\nType=1\n");
        QTest::newRow("new key at the end of its section")
            << QByteArray("[Position]\r\nLeft=900\r\n[Output]\r\nType=1\r\n") << "Position"
            << "Top"
            << "-45" << QByteArray("[Position]\r\nLeft=900\r\nTop=-45\r\n[Output]\r\nType=1\r\n");
        QTest::newRow("new key before the section's trailing blank lines")
            << QByteArray("[A]\nx=1\n\n\n[B]\n") << "a"
            << "y"
            << "2" << QByteArray("[A]\nx=1\ny=2\n\n\n[B]\n");
        QTest::newRow("new key in an empty last section without line end")
            << QByteArray("[A]") << "A"
            << "y"
            << "2" << QByteArray("[A]\r\ny=2\r\n");
        QTest::newRow("new key follows a CR-only file") << QByteArray("[A]\rx=1\r") << "A"
                                                        << "y"
                                                        << "2" << QByteArray("[A]\rx=1\ry=2\r");
        QTest::newRow("new key takes the line end of the line above it")
            << QByteArray("x\r[A]\n\n[B]\r") << "A"
            << "y"
            << "2" << QByteArray("x\r[A]\ny=2\n\n[B]\r");
        // replacement
        QTest::newRow("value replaced in its line")
            << QByteArray("; mine\r\n[Output]\r\nUpperCase=1\r\nType=2\r\n") << "output"
            << "TYPE"
            << "-1" << QByteArray("; mine\r\n[Output]\r\nUpperCase=1\r\nType=-1\r\n");
        QTest::newRow("indentation and key spelling stay")
            << QByteArray("[S]\n  kEy = old value \nz=1\n") << "S"
            << "key"
            << "new" << QByteArray("[S]\n  kEy=new\nz=1\n");
        QTest::newRow("only the first duplicate changes")
            << QByteArray("[S]\nk=1\n[s]\nk=2\nk=3\n") << "S"
            << "k"
            << "9" << QByteArray("[S]\nk=9\n[s]\nk=2\nk=3\n");
        QTest::newRow("unknown bytes around stay")
            << QByteArray("\xff\xfe junk\n[S]\nk=1\n\0\x01\n", 20) << "S"
            << "k"
            << "2" << QByteArray("\xff\xfe junk\n[S]\nk=2\n\0\x01\n", 20);
        QTest::newRow("empty value") << QByteArray("[S]\nk=1\n") << "S"
                                     << "k"
                                     << "" << QByteArray("[S]\nk=\n");
    }

    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const auto got = SetValue(before, section.toLatin1(), key.toLatin1(), value.toLatin1());
        QVERIFY(got.has_value());
        QCOMPARE(*got, after);
        QCOMPARE(LookupValue(*got, section.toLatin1(), key.toLatin1()).value_or("<missing>"),
                 value.toLatin1());
    }

    void writesThatWouldBreakTheLayoutAreRefused_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("line break in value")
            << QByteArray("S") << QByteArray("k") << QByteArray("1\r\n[Evil]");
        QTest::newRow("CR in key") << QByteArray("S") << QByteArray("k\r") << QByteArray("1");
        QTest::newRow("NUL in value")
            << QByteArray("S") << QByteArray("k") << QByteArray("1\0002", 3);
        QTest::newRow("= in key") << QByteArray("S") << QByteArray("a=b") << QByteArray("1");
        QTest::newRow("] in section") << QByteArray("S]x") << QByteArray("k") << QByteArray("1");
        QTest::newRow("empty section") << QByteArray(" ") << QByteArray("k") << QByteArray("1");
        QTest::newRow("comment as key") << QByteArray("S") << QByteArray(";k") << QByteArray("1");
    }

    void writesThatWouldBreakTheLayoutAreRefused() {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QVERIFY(!SetValue("[S]\nk=1\n", section, key, value).has_value());
    }

    void longLinesAndLargeFiles() {
        const QByteArray longLine = "; " + QByteArray(100000, 'x') + "\n";
        QByteArray file = longLine + "[Output]\nType=1\n" + longLine;
        QCOMPARE(LookupValue(file, "Output", "Type").value_or(""), QByteArray("1"));
        const auto updated = SetValue(file, "Output", "Type", "2");
        QVERIFY(updated.has_value());
        QCOMPARE(*updated, longLine + "[Output]\nType=2\n" + longLine);
        const QByteArray longValue = "[S]\nk=" + QByteArray(300, 'v') + "\n";
        QCOMPARE(LookupValue(longValue, "S", "k")->size(), 300); // cut by the reader, not here
    }
};

QTEST_GUILESS_MAIN(IniTextTest)
#include "tst_ini_text.moc"
