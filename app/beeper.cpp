#include "app/beeper.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace {

class SoundEffectBeeper : public TBeeper {
public:
    bool load(const QString& path) override
    {
        const QFileInfo info(path);
        if (!info.isFile() || !info.isReadable())
            return false;
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
        return true;
    }

    void play() override
    {
        // Never wait on the effect's state: without a sound server it may
        // report "playing" forever. A failed load just stays silent.
        if (m_effect && m_effect->status() != QSoundEffect::Error)
            m_effect->play();
    }

private:
    std::unique_ptr<QSoundEffect> m_effect;
};

}  // namespace

std::unique_ptr<TBeeper> createSystemBeeper()
{
    return std::make_unique<SoundEffectBeeper>();
}
