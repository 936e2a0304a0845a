// The tests' own servers: one that ends while coming up is reported with how it ended and what
// it printed last, at once rather than at the end of the wait; and a real one comes up whatever
// the length of its name.
#include "support/ServerStart.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lumivox::test;

namespace {

// Puts `folder` first on PATH while it lives.
class PathFirst {
public:
    explicit PathFirst(const QString& folder) : Previous(qgetenv("PATH")) {
        qputenv("PATH", QFile::encodeName(folder) + ':' + Previous);
    }
    ~PathFirst() { qputenv("PATH", Previous); }
    PathFirst(const PathFirst&) = delete;
    PathFirst& operator=(const PathFirst&) = delete;

private:
    QByteArray Previous;
};

} // namespace

TEST(ServerStart, AJackServerThatEndsIsReportedWithItsExitStatusAndItsLastLines) {
    // A "jackd" that prints a dozen lines and gives up.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile fake(folder.filePath(QStringLiteral("jackd")));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("#!/bin/sh\n"
               "for i in 1 2 3 4 5 6 7 8 9 10 11; do echo \"line $i\"; done\n"
               "echo 'cannot open the dummy driver'\n"
               "exit 3\n");
    fake.close();
    fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const PathFirst first(folder.path());

    QProcess server;
    const QString why = StartJackDummyServer(server, QStringLiteral("lumivox-test-fake"), 44100);
    EXPECT_TRUE(why.contains(QStringLiteral("lumivox-test-fake did not come up")))
        << why.toStdString();
    EXPECT_TRUE(why.contains(QStringLiteral("it exited with status 3"))) << why.toStdString();
    EXPECT_TRUE(why.contains(QStringLiteral("cannot open the dummy driver"))) << why.toStdString();
    // Only the last lines.
    EXPECT_TRUE(why.contains(QStringLiteral("line 11"))) << why.toStdString();
    EXPECT_FALSE(why.contains(QStringLiteral("line 3\n"))) << why.toStdString();
    EXPECT_EQ(server.state(), QProcess::NotRunning);
}

TEST(ServerStart, AJackServerComesUpWhateverTheLengthOfItsName) {
    // jack_lsp -s crashes on a name of 24 characters; the wait must not ask it so.
    for (const int length : {23, 24, 25}) {
        QString name = QStringLiteral("lumivox-n-%1-").arg(QCoreApplication::applicationPid());
        name = name.leftJustified(length, QLatin1Char('x'), true);
        QProcess server;
        const QString why = StartJackDummyServer(server, name, 44100);
        EXPECT_TRUE(why.isEmpty()) << why.toStdString();
        StopServer(server);
    }
}
