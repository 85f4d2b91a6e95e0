// The text conventions of the game's files: numbers, Booleans, lines, the code page, and the
// safe replacement of a file.
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>
#include <optional>

#include "scoring/textfile.h"

using namespace talomir;
using std::nullopt;

class TestTextFile : public QObject {
    Q_OBJECT

private slots:
    void printedNumbersReadBack() {
        const struct {
            double value;
            const char* printed;
        } rows[] = {{1234.0, " 1234 "}, {-0.0, " 0 "},     {-5.0, "-5 "},
                    {2.5, " 2.5 "},     {1e20, " 1e+20 "}, {std::nan(""), " 0 "}};
        for (const auto& r : rows) {
            QCOMPARE(textfile::printNumber(r.value), QString::fromLatin1(r.printed));
            QCOMPARE(textfile::plainNumber(r.value), QString::fromLatin1(r.printed).trimmed());
        }
        QCOMPARE(textfile::printInteger(std::numeric_limits<std::int32_t>::min()),
                 QStringLiteral("-2147483648 "));
        for (double v :
             {-1.0, 1.0 / 3.0, 1.5e15, -7.25e-5, 4e-320, std::numeric_limits<double>::max()}) {
            const QString printed = textfile::printNumber(v);
            QCOMPARE(textfile::lenientNumber(printed), v);
            QCOMPARE(textfile::strictNumber(printed), std::optional<double>(v));
        }
        // The file never receives something unreadable, even for an infinity.
        const double inf = std::numeric_limits<double>::infinity();
        QCOMPARE(textfile::lenientNumber(textfile::printNumber(-inf)),
                 -std::numeric_limits<double>::max());
        for (bool b : {true, false})
            QCOMPARE(textfile::readBoolean(textfile::printBoolean(b)), std::optional<bool>(b));
    }

    // Lenient reading takes the leading number (0 when there is none); strict reading wants the
    // whole line to be one number.
    void readingNumbers() {
        const double max = std::numeric_limits<double>::max();
        const struct {
            const char* text;
            double lenient;
            std::optional<double> strict;
        } rows[] = {{"-2500 ", -2500, -2500},  {" 120 ", 120, 120},
                    {".5", 0.5, 0.5},          {"12,5", 12, 12.5},
                    {"12abc", 12, nullopt},    {"1.2.3", 1.2, nullopt},
                    {"1.5e3x", 1500, nullopt}, {"1D2", 100, 100},
                    {"1e", 1, nullopt},        {" \t\n 42", 42, nullopt},
                    {"abc", 0, nullopt},       {"", 0, nullopt},
                    {"e5", 0, nullopt},        {"1e400", max, nullopt},
                    {"1e-400", 0, 0},          {"1e99999999999999999999", max, nullopt}};
        for (const auto& r : rows) {
            const QString text = QString::fromLatin1(r.text);
            QVERIFY2(textfile::lenientNumber(text) == r.lenient, r.text);
            QVERIFY2(textfile::strictNumber(text) == r.strict, r.text);
        }
    }

    void booleansAndIntegers() {
        const struct {
            const char* text;
            std::optional<bool> value;
        } booleans[] = {{"TRUE", true}, {"#False#", false}, {" 0 ", false},
                        {"", nullopt},  {"12abc", nullopt}, {"#TRUE", nullopt}};
        for (const auto& r : booleans)
            QVERIFY2(textfile::readBoolean(QString::fromLatin1(r.text)) == r.value, r.text);
        using I16 = std::optional<std::int16_t>;
        const std::pair<double, I16> rounding[] = {
            {2.5, 2},      {3.5, 4},           {-2.5, -2},     {32767.4, 32767},
            {32767.5, {}}, {-32768.5, -32768}, {-32769.0, {}}, {INFINITY, {}}};
        for (const auto& [v, want] : rounding) QCOMPARE(textfile::roundToInt16(v), want);
        using I32 = std::optional<std::int32_t>;
        QCOMPARE(textfile::roundToInt32(2147483647.5), I32());
        const std::pair<const char*, I16> reading[] = {
            {"abc", 0}, {"3.5 ", 4}, {"1000xyz", 1000}, {"40000", {}}};
        for (const auto& [text, want] : reading)
            QCOMPARE(textfile::readInteger16(QString::fromLatin1(text)), want);
    }

    void linesAndCodePage() {
        const std::pair<const char*, QStringList> rows[] = {
            {"a\r\nb\r\n", {"a", "b"}}, {"a\rb\r", {"a", "b"}},         {"a\nb\n", {"a\nb\n"}},
            {"a\n\r\nb", {"a\n", "b"}}, {"a\r\n\nb\r\n", {"a", "\nb"}}, {"\r\n\r\n", {"", ""}}};
        for (const auto& [text, lines] : rows)
            QCOMPARE(textfile::splitLines(QString::fromLatin1(text)), lines);
        const QString ivan = QString::fromUtf8("Иван Пётр №1");
        const QByteArray bytes(
            "\xC8\xE2\xE0\xED \xCF\xB8\xF2\xF0 \xB9"
            "1");
        QCOMPARE(textfile::encode(ivan), bytes);
        QCOMPARE(textfile::decode(bytes), ivan);
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
        QCOMPARE(textfile::decode(all).size(), 256);
        QCOMPARE(textfile::encode(textfile::decode(all)), all);
        // Characters outside the code page become one "?" each, never the SUB byte.
        QCOMPARE(textfile::encode(QString::fromUtf8("a\u4e2db\U0001F600c")), QByteArray("a?b?c"));
        QCOMPARE(textfile::encodeLines({"Zarno", ""}), QByteArray("Zarno\r\n\r\n"));
    }

    // A replaced file keeps its permissions and leaves nothing beside it.
    void replacingAFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.txt");
        QVERIFY(textfile::writeLines(path, {"a", " 1 "}));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6640)));
        QVERIFY(textfile::writeLines(path, {"new"}));
        QCOMPARE(textfile::readLines(path).lines, QStringList{"new"});
        QCOMPARE(int(QFileInfo(path).permissions() & 0x0777), 0x0640);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"t.txt"});
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "test_textfile.moc"
