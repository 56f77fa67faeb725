#pragma once

#include <QString>
#include <memory>

// Plays the time beep. play() must return at once: a taken time never waits
// for sound.
class TBeeper {
public:
    virtual ~TBeeper() = default;
    // Prepares the sound; false when the file cannot be used.
    virtual bool load(const QString& path) = 0;
    virtual void play() = 0;
    // True while the sound is still being read: a program that ends then
    // may leave the reading thread of the audio stack working.
    virtual bool busy() const { return false; }
};

// The desktop's audio output through Qt Multimedia, in the pylonix_sound
// module beside the program, loaded shortly after start-up or at the first
// beep. With no module, audio device or sound server the beep is simply not
// heard.
std::unique_ptr<TBeeper> createSystemBeeper();
