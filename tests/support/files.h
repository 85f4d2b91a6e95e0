#pragma once
// Whole-file reads and writes for tests that check bytes on disk.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

namespace talomir::testing {

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return f.readAll();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

}  // namespace talomir::testing
