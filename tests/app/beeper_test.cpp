#include "app/beeper.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
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
    QFile wav(dir.filePath(QStringLiteral("ZEIT.wav")));
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write("RIFF");
    wav.close();
    EXPECT_TRUE(beeper->load(wav.fileName()));
    // A beep before the delayed preparation prepares at once and returns.
    beeper->play();
    beeper->play();
}
