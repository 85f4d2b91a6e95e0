#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>
#include <optional>

#include "scoring/textfile.h"

using namespace talomir;

namespace {

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

bool runningAsRoot() {
    return geteuid() == 0;
}

}  // namespace

class TestTextFile : public QObject {
    Q_OBJECT

private slots:
    void printing_data();
    void printing();
    void printedNumbersReadBack();
    void lenientReading_data();
    void lenientReading();
    void strictReading_data();
    void strictReading();
    void booleans();
    void integerConversions();
    void lineSplitting_data();
    void lineSplitting();
    void codePage();
    void readingFiles();
    void unreadableFileAsNonRoot();
    void atomicWriting();
    void atomicWriteIntoReadOnlyFolder();
};

void TestTextFile::printing_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<QString>("plain");
    QTest::newRow("whole") << 1234.0 << " 1234 "
                           << "1234";
    QTest::newRow("negative zero") << -0.0 << " 0 "
                                   << "0";
    QTest::newRow("negative") << -5.0 << "-5 "
                              << "-5";
    QTest::newRow("half") << 2.5 << " 2.5 "
                          << "2.5";
    QTest::newRow("Long maximum") << 2147483647.0 << " 2147483647 "
                                  << "2147483647";
    QTest::newRow("huge") << 1e20 << " 1e+20 "
                          << "1e+20";
    QTest::newRow("not a number") << std::nan("") << " 0 "
                                  << "0";
}

void TestTextFile::printing() {
    QFETCH(double, value);
    QFETCH(QString, printed);
    QFETCH(QString, plain);
    QCOMPARE(textfile::printNumber(value), printed);
    QCOMPARE(textfile::plainNumber(value), plain);
}

void TestTextFile::printedNumbersReadBack() {
    QCOMPARE(textfile::printInteger(120), QStringLiteral(" 120 "));
    QCOMPARE(textfile::printInteger(-2500), QStringLiteral("-2500 "));
    QCOMPARE(textfile::printInteger(std::numeric_limits<std::int32_t>::min()),
             QStringLiteral("-2147483648 "));

    const double values[] = {0.0,    -1.0,   0.1,  1.0 / 3.0, 1e-7, 1e15, 1.5e15, -7.25e-5,
                             4e-320, 1e300, std::numeric_limits<double>::max()};
    for (double v : values) {
        const QString printed = textfile::printNumber(v);
        QCOMPARE(textfile::lenientNumber(printed), v);
        const std::optional<double> strict = textfile::strictNumber(printed);
        QVERIFY2(strict.has_value(), qPrintable(printed));
        QCOMPARE(*strict, v);
    }
    // The file never receives something unreadable, even for an infinity.
    const double inf = std::numeric_limits<double>::infinity();
    QCOMPARE(textfile::lenientNumber(textfile::printNumber(inf)),
             std::numeric_limits<double>::max());
    QCOMPARE(textfile::lenientNumber(textfile::printNumber(-inf)),
             -std::numeric_limits<double>::max());

    QCOMPARE(textfile::printBoolean(true), QStringLiteral("True"));
    QCOMPARE(textfile::printBoolean(false), QStringLiteral("False"));
}

void TestTextFile::lenientReading_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("printed") << " 1234 " << 1234.0;
    QTest::newRow("negative with blank") << "-2500 " << -2500.0;
    QTest::newRow("plus") << "+7" << 7.0;
    QTest::newRow("trailing letters") << "12abc" << 12.0;
    QTest::newRow("inner blank ends it") << "12 34" << 12.0;
    QTest::newRow("fraction") << " 2.5 " << 2.5;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("comma is no point") << "1,5" << 1.0;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    QTest::newRow("exponent") << "1.5e3x" << 1500.0;
    QTest::newRow("exponent D") << "1D2" << 100.0;
    QTest::newRow("exponent without digits") << "1e" << 1.0;
    QTest::newRow("tabs and line feed") << " \t\n 42" << 42.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("exponent alone") << "e5" << 0.0;
    QTest::newRow("overflow") << "1e400" << std::numeric_limits<double>::max();
    QTest::newRow("negative overflow") << "-99e999" << -std::numeric_limits<double>::max();
    QTest::newRow("underflow") << "1e-400" << 0.0;
    QTest::newRow("huge exponent")
        << "1e99999999999999999999" << std::numeric_limits<double>::max();
}

void TestTextFile::lenientReading() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(textfile::lenientNumber(text), value);
}

void TestTextFile::strictReading_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("printed") << " 120 " << true << 120.0;
    QTest::newRow("point") << " 12.5 " << true << 12.5;
    QTest::newRow("comma") << "12,5" << true << 12.5;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("trailing letters") << "12abc" << false << 0.0;
    QTest::newRow("two numbers") << "1 2" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("half exponent") << "1e" << false << 0.0;
    QTest::newRow("overflow") << "1e400" << false << 0.0;
}

void TestTextFile::strictReading() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const std::optional<double> result = textfile::strictNumber(text);
    QCOMPARE(result.has_value(), valid);
    if (valid) QCOMPARE(*result, value);
}

void TestTextFile::booleans() {
    struct Case {
        const char* text;
        std::optional<bool> value;
    };
    const Case cases[] = {
        {"TRUE", true},       {"false", false},     {" True ", true},      {"#False#", false},
        {" 0 ", false},       {" 2.5 ", true},      {"", std::nullopt},    {"12abc", std::nullopt},
        {"Truex", std::nullopt}, {"#TRUE", std::nullopt},
    };
    for (const Case& c : cases) {
        QCOMPARE(textfile::readBoolean(QString::fromLatin1(c.text)), c.value);
    }
    // What is printed reads back.
    QCOMPARE(textfile::readBoolean(textfile::printBoolean(true)), std::optional<bool>(true));
    QCOMPARE(textfile::readBoolean(textfile::printBoolean(false)), std::optional<bool>(false));
}

void TestTextFile::integerConversions() {
    using I16 = std::optional<std::int16_t>;
    QCOMPARE(textfile::roundToInt16(2.5), I16(2));
    QCOMPARE(textfile::roundToInt16(3.5), I16(4));
    QCOMPARE(textfile::roundToInt16(-2.5), I16(-2));
    QCOMPARE(textfile::roundToInt16(32767.4), I16(32767));
    QCOMPARE(textfile::roundToInt16(32767.5), I16());
    QCOMPARE(textfile::roundToInt16(-32768.5), I16(-32768));
    QCOMPARE(textfile::roundToInt16(-32769.0), I16());
    QCOMPARE(textfile::roundToInt16(std::numeric_limits<double>::infinity()), I16());

    using I32 = std::optional<std::int32_t>;
    QCOMPARE(textfile::roundToInt32(2147483647.0), I32(2147483647));
    QCOMPARE(textfile::roundToInt32(2147483647.5), I32());
    QCOMPARE(textfile::roundToInt32(-2147483648.0), I32(-2147483647 - 1));
    QCOMPARE(textfile::roundToInt32(-2147483649.0), I32());

    QCOMPARE(textfile::readInteger16(QStringLiteral("-2500 ")), I16(-2500));
    QCOMPARE(textfile::readInteger16(QStringLiteral("abc")), I16(0));
    QCOMPARE(textfile::readInteger16(QStringLiteral("3.5 ")), I16(4));
    QCOMPARE(textfile::readInteger16(QStringLiteral("1000xyz")), I16(1000));
    QCOMPARE(textfile::readInteger16(QStringLiteral("40000")), I16());
    QCOMPARE(textfile::readInteger16(QStringLiteral("1e400")), I16());
}

void TestTextFile::lineSplitting_data() {
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

void TestTextFile::lineSplitting() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(textfile::splitLines(text), lines);
}

void TestTextFile::codePage() {
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

void TestTextFile::readingFiles() {
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

void TestTextFile::unreadableFileAsNonRoot() {
    if (runningAsRoot()) QSKIP("permissions do not stop root from reading");
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    writeBytes(path, "a\r\n");
    QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
    QCOMPARE(textfile::readLines(path).status, textfile::ReadStatus::Unreadable);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestTextFile::atomicWriting() {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    QString error;
    QVERIFY(textfile::writeLines(path, {"a", " 1 "}, &error));
    QCOMPARE(readBytes(path), QByteArray("a\r\n 1 \r\n"));
    QVERIFY(textfile::writeFileAtomically(path, "new", &error));
    QCOMPARE(readBytes(path), QByteArray("new"));
    // Nothing is left beside the file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"t.txt"});

    // A folder that does not exist: a clean failure with a reason.
    error.clear();
    QVERIFY(!textfile::writeFileAtomically(dir.filePath("no/such/t.txt"), "x", &error));
    QVERIFY(!error.isEmpty());

    // A folder standing where the file should go is not replaced.
    QVERIFY(QDir(dir.path()).mkdir("folder.txt"));
    QVERIFY(!textfile::writeFileAtomically(dir.filePath("folder.txt"), "x", &error));
    QVERIFY(QFileInfo(dir.filePath("folder.txt")).isDir());
    QVERIFY(!textfile::writeFileAtomically(dir.filePath("folder.txt"), "x"));  // no error text
}

void TestTextFile::atomicWriteIntoReadOnlyFolder() {
    if (runningAsRoot()) QSKIP("permissions do not stop root from writing");
    QTemporaryDir dir;
    const QString sub = dir.filePath("ro");
    QVERIFY(QDir().mkdir(sub));
    const QString path = sub + "/t.txt";
    writeBytes(path, "old\r\n");
    QVERIFY(QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QString error;
    QVERIFY(!textfile::writeFileAtomically(path, "new\r\n", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(path), QByteArray("old\r\n"));
    QFile::setPermissions(sub,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    // A file made read-only in a writable folder is not replaced either.
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    QVERIFY(!textfile::writeFileAtomically(path, "new\r\n", &error));
    QCOMPARE(readBytes(path), QByteArray("old\r\n"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "test_textfile.moc"
