// Random files thrown at the reader and the writer: nothing crashes, a written value reads
// back, and every line the write did not touch stays byte for byte.
// KALVOR_FUZZ_ROUNDS and KALVOR_FUZZ_SEED make longer or other runs.
#include "settings/IniText.h"

#include <QRandomGenerator>
#include <QTest>
#include <vector>

namespace {

const char *const Tokens[] = {"[",        "]",
                              "=",        ";",
                              "\"",       "'",
                              " ",        "\t",
                              "\r",       "\n",
                              "\r\n",     "Output",
                              "output",   "OUTPUT",
                              "Position", "Type",
                              "type",     "UpperCase",
                              "Left",     "x",
                              "1",        "-7",
                              "\xff",     "[Output]\n",
                              "Type=1\n", "[Position]\r\n"};
const char *const Sections[] = {"Output", "Position", "other", " Output "};
const char *const Keys[] = {"Type", "UpperCase", "Left", "k", " type"};

std::vector<QByteArray> Lines(const QByteArray &file) {
    std::vector<QByteArray> lines;
    qsizetype at = 0;
    while (at < file.size()) {
        qsizetype end = at;
        while (end < file.size() && file[end] != '\r' && file[end] != '\n')
            ++end;
        if (end < file.size())
            end += (file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n') ? 2 : 1;
        lines.push_back(file.sliced(at, end - at));
        at = end;
    }
    return lines;
}

} // namespace

class IniFuzzTest : public QObject {
    Q_OBJECT
  private slots:
    void randomFiles() {
        const int rounds = qEnvironmentVariableIntValue("KALVOR_FUZZ_ROUNDS") > 0
                               ? qEnvironmentVariableIntValue("KALVOR_FUZZ_ROUNDS")
                               : 20000;
        const quint32 seed = qEnvironmentVariableIsSet("KALVOR_FUZZ_SEED")
                                 ? qEnvironmentVariableIntValue("KALVOR_FUZZ_SEED")
                                 : 20261207u;
        QRandomGenerator random(seed);
        for (int round = 0; round < rounds; ++round) {
            QByteArray file;
            const int tokens = random.bounded(40);
            for (int i = 0; i < tokens; ++i)
                file += random.bounded(20) == 0
                            ? QByteArray(1, '\0')
                            : QByteArray(Tokens[random.bounded(int(std::size(Tokens)))]);
            const QByteArray section = Sections[random.bounded(int(std::size(Sections)))];
            const QByteArray key = Keys[random.bounded(int(std::size(Keys)))];
            const QByteArray value = QByteArray::number(random.bounded(-40000, 40000));
            const QString where =
                QStringLiteral("seed %1 round %2 [%3] %4=%5 in %6")
                    .arg(seed)
                    .arg(round)
                    .arg(QString::fromLatin1(section), QString::fromLatin1(key),
                         QString::fromLatin1(value), QString::fromLatin1(file.toPercentEncoding()));

            (void)LookupValue(file, section, key);
            const auto written = SetValue(file, section, key, value);
            QVERIFY2(written.has_value(), qPrintable(where));
            QVERIFY2(LookupValue(*written, section, key) == value, qPrintable(where));

            // Old and new differ in one stretch: at most one old line, at most three new ones.
            const std::vector<QByteArray> before = Lines(file);
            const std::vector<QByteArray> after = Lines(*written);
            size_t head = 0;
            while (head < before.size() && head < after.size() && before[head] == after[head])
                ++head;
            size_t tail = 0;
            while (tail < before.size() - head && tail < after.size() - head &&
                   before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
                ++tail;
            const size_t oldMiddle = before.size() - head - tail;
            const size_t newMiddle = after.size() - head - tail;
            QVERIFY2(oldMiddle <= 1 && newMiddle <= 3 && newMiddle >= 1, qPrintable(where));
            if (oldMiddle == 1 && !LookupValue(before[head].trimmed().prepend("[s]\n"), "s", key)) {
                // Not the key's own line: only a missing line end may have been added to it.
                QVERIFY2(after[head].startsWith(before[head]) &&
                             after[head].size() - before[head].size() <= 2,
                         qPrintable(where));
            }
        }
    }
};

QTEST_GUILESS_MAIN(IniFuzzTest)
#include "tst_ini_fuzz.moc"
