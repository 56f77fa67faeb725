#include "app/beeper.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// The program finds its sound module beside itself, under the name and
// factory the beeper asks for.
TEST(Beeper, SoundModuleBesideTheProgramMakesABeeper)
{
    QLibrary module(QDir(QStringLiteral(PYLONIX_PROGRAM_DIR)).filePath(QStringLiteral("pylonix_sound")));
    ASSERT_TRUE(module.load()) << module.errorString().toStdString();
    using Factory = TBeeper* (*)();
    auto factory = reinterpret_cast<Factory>(module.resolve("pylonixCreateSoundEffectBeeper"));
    ASSERT_NE(factory, nullptr);
    std::unique_ptr<TBeeper> beeper(factory());
    EXPECT_NE(beeper, nullptr);
}

TEST(Beeper, LoadRefusesWhatIsNotAReadableFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto beeper = createSystemBeeper();
    EXPECT_FALSE(beeper->load(dir.filePath(QStringLiteral("missing.wav"))));
    EXPECT_FALSE(beeper->load(dir.path()));
    const QString wav = dir.filePath(QStringLiteral("ZEIT.wav"));
    ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(PYLONIX_PROGRAM_DIR)).filePath(QStringLiteral("ZEIT.wav")), wav));
    EXPECT_TRUE(beeper->load(wav));
    // A beep before the delayed preparation prepares at once and returns.
    beeper->play();
    beeper->play();
    // The audio stack reads the sound on a thread of its own, and Qt's
    // sample cache does not survive the application ending under a read.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !beeper->busy(); }, 5000));
}
