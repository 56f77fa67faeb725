#include "app/beeper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QTimer>

namespace {

constexpr char kSoundModule[] = "pylonix_sound";
constexpr char kSoundFactory[] = "pylonixCreateSoundEffectBeeper";

// Beside the program first; a test or benchmark program in a folder of its
// own finds the module where the build put it.
std::unique_ptr<TBeeper> loadSoundModule()
{
    using Factory = TBeeper* (*)();
    QStringList folders{QCoreApplication::applicationDirPath()};
#ifdef PYLONIX_MODULE_DIR
    folders << QStringLiteral(PYLONIX_MODULE_DIR);
#endif
    for (const QString& folder : folders) {
        QLibrary module(QDir(folder).filePath(QLatin1String(kSoundModule)));
        if (!module.load())
            continue;
        if (auto factory = reinterpret_cast<Factory>(module.resolve(kSoundFactory)))
            return std::unique_ptr<TBeeper>(factory());
    }
    return nullptr;
}

class LazySoundBeeper : public TBeeper {
public:
    bool load(const QString& path) override
    {
        const QFileInfo info(path);
        if (!info.isFile() || !info.isReadable())
            return false;
        m_path = info.absoluteFilePath();
        m_effect.reset();
        m_prepared = false;
        // The audio back end loads its libraries, connects to the sound
        // server and reads the sample on threads of its own: milliseconds the
        // window's first paint need not wait for. The beep is ready long
        // before a race.
        QTimer::singleShot(kPrepareDelayMs, &m_context, [this] { prepare(); });
        return true;
    }

    void play() override
    {
        prepare();
        if (m_effect)
            m_effect->play();
    }

private:
    static constexpr int kPrepareDelayMs = 300;

    void prepare()
    {
        if (m_prepared || m_path.isEmpty())
            return;
        m_prepared = true;
        m_effect = loadSoundModule();
        if (m_effect && !m_effect->load(m_path))
            m_effect.reset();
    }

    QObject m_context;  // ends a pending preparation with the beeper
    QString m_path;
    bool m_prepared = false;
    std::unique_ptr<TBeeper> m_effect;
};

}  // namespace

std::unique_ptr<TBeeper> createSystemBeeper()
{
    return std::make_unique<LazySoundBeeper>();
}
