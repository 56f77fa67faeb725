#include "app/beeper.h"

#include "app/modules.h"

#include <QFileInfo>
#include <QTimer>

namespace {

constexpr char kSoundModule[] = "pylonix_sound";
constexpr char kSoundFactory[] = "pylonixCreateSoundEffectBeeper";

std::unique_ptr<TBeeper> loadSoundModule()
{
    using Factory = TBeeper* (*)();
    if (auto factory = reinterpret_cast<Factory>(resolveModuleFunction(kSoundModule, kSoundFactory)))
        return std::unique_ptr<TBeeper>(factory());
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

    bool busy() const override { return m_effect && m_effect->busy(); }

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
