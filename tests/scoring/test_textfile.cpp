#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>
#include <optional>

#include "scoring/textfile.h"
#include "tests/support/files.h"
#include "tests/support/users.h"

using namespace talomir;

namespace {

using testing::readBytes;
using testing::writeBytes;

}  // namespace

class TestTextFile : public QObject {
    Q_OBJECT

private slots:
    void printing() {
        const struct {
            double value;
            const char* printed;
            const char* plain;
        } rows[] = {{1234.0, " 1234 ", "1234"}, {-0.0, " 0 ", "0"},
                    {-5.0, "-5 ", "-5"},        {2.5, " 2.5 ", "2.5"},
                    {1e20, " 1e+20 ", "1e+20"}, {std::nan(""), " 0 ", "0"}};
        for (const auto& r : rows) {
            QCOMPARE(textfile::printNumber(r.value), QString::fromLatin1(r.printed));
            QCOMPARE(textfile::plainNumber(r.value), QString::fromLatin1(r.plain));
        }
        QCOMPARE(textfile::printInteger(std::numeric_limits<std::int32_t>::min()),
                 QStringLiteral("-2147483648 "));
        QCOMPARE(textfile::printBoolean(false), QStringLiteral("False"));
    }

    void printedNumbersReadBack() {
        for (double v :
             {-1.0, 1.0 / 3.0, 1.5e15, -7.25e-5, 4e-320, std::numeric_limits<double>::max()}) {
            const QString printed = textfile::printNumber(v);
            QCOMPARE(textfile::lenientNumber(printed), v);
            const std::optional<double> strict = textfile::strictNumber(printed);
            QVERIFY2(strict.has_value(), qPrintable(printed));
            QCOMPARE(*strict, v);
        }
        // The file never receives something unreadable, even for an infinity.
        const double inf = std::numeric_limits<double>::infinity();
        QCOMPARE(textfile::lenientNumber(textfile::printNumber(-inf)),
                 -std::numeric_limits<double>::max());
        for (bool b : {true, false})
            QCOMPARE(textfile::readBoolean(textfile::printBoolean(b)), std::optional<bool>(b));
    }

    void lenientReading() {
        const double max = std::numeric_limits<double>::max();
        const struct {
            const char* text;
            double value;
        } rows[] = {{"-2500 ", -2500},
                    {"+7", 7},
                    {"12abc", 12},
                    {"12 34", 12},
                    {".5", 0.5},
                    {"1,5", 1},  // comma is no point
                    {"1.2.3", 1.2},
                    {"1.5e3x", 1500},
                    {"1D2", 100},
                    {"1e", 1},
                    {" \t\n 42", 42},
                    {"abc", 0},
                    {"", 0},
                    {"-", 0},
                    {"e5", 0},
                    {"1e400", max},
                    {"-99e999", -max},
                    {"1e-400", 0},
                    {"1e99999999999999999999", max}};
        for (const auto& r : rows)
            QVERIFY2(textfile::lenientNumber(QString::fromLatin1(r.text)) == r.value, r.text);
    }

    void strictReading() {
        const struct {
            const char* text;
            std::optional<double> value;
        } rows[] = {{" 120 ", 120.0},        {"12,5", 12.5},          {"1e3", 1000.0},
                    {"", std::nullopt},      {"12abc", std::nullopt}, {"1 2", std::nullopt},
                    {"1.2.3", std::nullopt}, {"1e", std::nullopt},    {"1e400", std::nullopt}};
        for (const auto& r : rows)
            QVERIFY2(textfile::strictNumber(QString::fromLatin1(r.text)) == r.value, r.text);
    }

    void booleans() {
        const struct {
            const char* text;
            std::optional<bool> value;
        } rows[] = {{"TRUE", true},          {"#False#", false},     {" 0 ", false},
                    {" 2.5 ", true},         {"", std::nullopt},     {"12abc", std::nullopt},
                    {"Truex", std::nullopt}, {"#TRUE", std::nullopt}};
        for (const auto& r : rows)
            QVERIFY2(textfile::readBoolean(QString::fromLatin1(r.text)) == r.value, r.text);
    }

    void integerConversions() {
        using I16 = std::optional<std::int16_t>;
        const std::pair<double, I16> rounding[] = {
            {2.5, 2},       {3.5, 4},
            {-2.5, -2},     {32767.4, 32767},
            {32767.5, {}},  {-32768.5, -32768},
            {-32769.0, {}}, {std::numeric_limits<double>::infinity(), {}}};
        for (const auto& [v, want] : rounding) QCOMPARE(textfile::roundToInt16(v), want);
        using I32 = std::optional<std::int32_t>;
        QCOMPARE(textfile::roundToInt32(2147483647.5), I32());
        QCOMPARE(textfile::roundToInt32(-2147483648.0), I32(-2147483647 - 1));
        QCOMPARE(textfile::roundToInt32(-2147483649.0), I32());
        const std::pair<const char*, I16> reading[] = {{"-2500 ", -2500}, {"abc", 0},
                                                       {"3.5 ", 4},       {"1000xyz", 1000},
                                                       {"40000", {}},     {"1e400", {}}};
        for (const auto& [text, want] : reading)
            QCOMPARE(textfile::readInteger16(QString::fromLatin1(text)), want);
    }

    void lineSplitting_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("CR only") << "a\rb\r" << QStringList{"a", "b"};
        QTest::newRow("LF only is one line") << "a\nb\n" << QStringList{"a\nb\n"};
        QTest::newRow("LF before CR LF") << "a\n\r\nb" << QStringList{"a\n", "b"};
        QTest::newRow("CR CR LF") << "a\r\r\nb" << QStringList{"a", "", "b"};
        QTest::newRow("LF after CR LF") << "a\r\n\nb\r\n" << QStringList{"a", "\nb"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("empty lines") << "\r\n\r\n" << QStringList{"", ""};
    }

    void lineSplitting() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(textfile::splitLines(text), lines);
    }

    void codePage() {
        // Cyrillic names as Windows-1251 writes them.
        const QString ivan = QString::fromUtf8("Иван Пётр №1");
        const QByteArray bytes(
            "\xC8\xE2\xE0\xED \xCF\xB8\xF2\xF0 \xB9"
            "1");
        QCOMPARE(textfile::encode(ivan), bytes);
        QCOMPARE(textfile::decode(bytes), ivan);

        // Every byte survives a read and a write unchanged.
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
        const QString decoded = textfile::decode(all);
        QCOMPARE(decoded.size(), 256);
        QCOMPARE(textfile::encode(decoded), all);

        // Characters outside the code page become one "?" each, never the SUB byte.
        QCOMPARE(textfile::encode(QString::fromUtf8("a\u4e2db\U0001F600c")), QByteArray("a?b?c"));

        QCOMPARE(textfile::encodeLines({"Zarno", "0"}), QByteArray("Zarno\r\n0\r\n"));
        QCOMPARE(textfile::encodeLines({""}), QByteArray("\r\n"));
    }

    void readingFiles() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());

        const textfile::ReadResult missing = textfile::readLines(dir.filePath("none.txt"));
        QCOMPARE(missing.status, textfile::ReadStatus::Missing);
        QVERIFY(missing.lines.isEmpty());

        const QString path = dir.filePath("t.txt");
        writeBytes(path, "\xC8\xE2\xE0\xED\r\n 5 \r\nlast");
        const textfile::ReadResult read = textfile::readLines(path);
        QCOMPARE(read.status, textfile::ReadStatus::Read);
        QCOMPARE(read.lines, (QStringList{QString::fromUtf8("Иван"), " 5 ", "last"}));

        writeBytes(path, "");
        QCOMPARE(textfile::readLines(path).status, textfile::ReadStatus::Read);
        QVERIFY(textfile::readLines(path).lines.isEmpty());

        // A folder where the file should be: something is there, but it is no readable file.
        QVERIFY(QDir(dir.path()).mkdir("folder.txt"));
        const textfile::ReadResult folder = textfile::readLines(dir.filePath("folder.txt"));
        QCOMPARE(folder.status, textfile::ReadStatus::Unreadable);
        QVERIFY(!folder.error.isEmpty());

        // A dangling link counts as something there.
        QVERIFY(QFile::link(dir.filePath("nowhere"), dir.filePath("link.txt")));
        QCOMPARE(textfile::readLines(dir.filePath("link.txt")).status,
                 textfile::ReadStatus::Unreadable);
    }

    void writingFiles() {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.txt");
        QString error;
        QVERIFY(textfile::writeLines(path, {"a", " 1 "}, &error));
        QCOMPARE(readBytes(path), QByteArray("a\r\n 1 \r\n"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6640)));
        QVERIFY(textfile::writeLines(path, {"new"}, &error));
        QCOMPARE(readBytes(path), QByteArray("new\r\n"));
        QCOMPARE(int(QFileInfo(path).permissions() & 0x0777), 0x0640);  // kept
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"t.txt"});

        // A new file in a folder that others may write is theirs to write too.
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        QVERIFY(textfile::writeLines(dir.filePath("shared.txt"), {"x"}, &error));
        QVERIFY(QFileInfo(dir.filePath("shared.txt"))
                    .permissions()
                    .testFlags(QFileDevice::WriteGroup | QFileDevice::WriteOther |
                               QFileDevice::ReadOther));

        // A missing folder, or a folder where the file should be: a clean failure with a reason.
        QVERIFY(QDir(dir.path()).mkdir("folder.txt"));
        for (const char* name : {"no/such/t.txt", "folder.txt"}) {
            error.clear();
            QVERIFY(!textfile::writeLines(dir.filePath(name), {"x"}, &error));
            QVERIFY(!error.isEmpty());
        }
        QVERIFY(QFileInfo(dir.filePath("folder.txt")).isDir());
    }

    void permissionsAsAPlayerMeetsThem() {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        testing::AsUser player;
        if (!player.ok()) QSKIP("needs to play an unprivileged user");
        const QString sub = dir.filePath("ro"), path = sub + "/t.txt";
        QVERIFY(QDir().mkdir(sub));
        writeBytes(path, "old\r\n");
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        QCOMPARE(textfile::readLines(path).status, textfile::ReadStatus::Unreadable);
        // Neither a read-only file in a writable folder nor a file in a read-only folder is
        // replaced.
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        QVERIFY(!textfile::writeLines(path, {"new"}));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6600)));
        QVERIFY(QFile::setPermissions(sub, QFileDevice::Permissions(0x5500)));
        QVERIFY(!textfile::writeLines(path, {"new"}));
        QCOMPARE(readBytes(path), QByteArray("old\r\n"));
        QVERIFY(QFile::setPermissions(sub, QFileDevice::Permissions(0x7700)));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "test_textfile.moc"
