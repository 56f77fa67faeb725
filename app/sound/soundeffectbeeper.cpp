// The beep through Qt Multimedia, built as a module of its own: Qt Multimedia
// brings the sound server's client and a dozen codec libraries with it, and
// the program loads them only when the beep is prepared, after the window is
// up, instead of at every start.
#include "app/beeper.h"

#include <QSoundEffect>
#include <QUrl>

namespace {

class SoundEffectBeeper : public TBeeper {
public:
    bool load(const QString& path) override
    {
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl::fromLocalFile(path));
        return true;
    }

    void play() override
    {
        // Never wait on the effect's state: without a sound server it may
        // report "playing" forever. A failed load just stays silent.
        if (m_effect && m_effect->status() != QSoundEffect::Error)
            m_effect->play();
    }

    bool busy() const override { return m_effect && m_effect->status() == QSoundEffect::Loading; }

private:
    std::unique_ptr<QSoundEffect> m_effect;
};

}  // namespace

extern "C" Q_DECL_EXPORT TBeeper* pylonixCreateSoundEffectBeeper()
{
    return new SoundEffectBeeper;
}
