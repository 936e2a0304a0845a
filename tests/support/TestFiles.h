#pragma once
// Reading and writing whole files in tests, where a file that cannot be opened fails the test.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace lumivox::test {

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

inline void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

} // namespace lumivox::test
