#include "core/ProgramEntry.h"

#include "TestSupport.h"
#include "core/CmdParam.h"
#include "platform/Services.h"
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace muralto {
namespace {

class SingleInstanceTest : public test::ProgramTest {
protected:
    RecordingPrompt& Prompts() { return static_cast<RecordingPrompt&>(*Platform().prompt); }
};

TEST_F(SingleInstanceTest, FirstStartMakesTheMarkerAndReleasesIt) {
    ASSERT_TRUE(CheckSingleInstance());
    EXPECT_TRUE(InstanceMarker().Exists());
    ReleaseSingleInstance();
    EXPECT_FALSE(InstanceMarker().Exists());
}

TEST_F(SingleInstanceTest, StaleMarkerAsksAndNoEndsTheStart) {
    test::WriteFile(InstanceMarker().Path(), "999999999\n"); // a process that is gone
    Prompts().answer = false;
    EXPECT_FALSE(CheckSingleInstance());
    ASSERT_EQ(Prompts().shown.size(), 1u);
    EXPECT_EQ(Prompts().shown[0].kind, "question");
    EXPECT_NE(Prompts().shown[0].text.find("異常終了させられた可能性があります。"),
              std::string::npos);
    Prompts().answer = true;
    EXPECT_TRUE(CheckSingleInstance());
    EXPECT_EQ(InstanceMarker().OwnerProcess(), long(getpid()));
    ReleaseSingleInstance();
}

TEST_F(SingleInstanceTest, SkipCheckOptionNeverAsks) {
    test::WriteFile(InstanceMarker().Path(), "999999999\n");
    ParamOption().AddParam("/DA");
    EXPECT_TRUE(CheckSingleInstance());
    EXPECT_TRUE(Prompts().shown.empty());
}

// Two real starts: the second finds the first's window and ends; with "/DA" both run.
TEST_F(SingleInstanceTest, SecondStartLeavesOneRunning) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("MURALTO_HOME", QString::fromStdString(home.Path()));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home / "runtime"));
    const QString program = QString(MURALTO_PROGRAM_DIR) + "/muralto";
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, {"/NS"});
    ASSERT_TRUE(first.waitForStarted());
    // Wait until the first one's window answers.
    QElapsedTimer timer;
    timer.start();
    while (!SignalRunningInstance(100) && timer.elapsed() < 20000)
        QThread::msleep(50);
    ASSERT_TRUE(SignalRunningInstance(1000));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {"/NS"});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    QProcess third;
    third.setProcessEnvironment(env);
    third.start(program, {"/NS", "/DA"});
    EXPECT_FALSE(third.waitForFinished(1500)); // still running beside the first
    third.terminate();
    EXPECT_TRUE(third.waitForFinished(20000));

    first.terminate(); // an orderly end: the data files are saved
    ASSERT_TRUE(first.waitForFinished(20000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(home / "Data/Default/BUFFERS.MWF"));
    EXPECT_FALSE(InstanceMarker().Exists());
}

} // namespace
} // namespace muralto
