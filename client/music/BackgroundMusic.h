#pragma once

// The client's background-music controller as the screens see it: the song
// book, the setup dialogs and playback ask for tunes by index into the
// controller's song table and never talk to the loader library themselves.
// Every call returns at once while the controller is off (the BgmOff setting).
namespace kiro::music {

class BackgroundMusic {
public:
    virtual ~BackgroundMusic() = default;

    // Opens the player; a negative index only opens (returns the open result).
    virtual int openAndPlay(int index) = 0;
    // Plays song `index`; a negative index or the song already current does nothing.
    virtual void play(int index) = 0;
    virtual void close() = 0;
    // Closes the engine for another program; plays `index` afterwards when >= 0.
    virtual void suspend(int index) = 0;
    // Reopens and restarts the suspended song from its start.
    virtual void resume() = 0;
    // 0 = the standard engine, 1 = the software synthesizer (registry values).
    virtual void selectEngine(int kind) = 0;
    // The sound test clears the switch for its own tune and restores it.
    virtual bool off() const = 0;
    virtual void setOff(bool off) = 0;
    // True while the engine reports that it is playing.
    virtual bool isPlaying() = 0;
    // The tune last asked for, or -1.
    virtual int current() const = 0;
};

// Stands in where no music library is present: nothing plays.
class SilentMusic final : public BackgroundMusic {
public:
    int openAndPlay(int) override { return 0; }
    void play(int) override { }
    void close() override { }
    void suspend(int) override { }
    void resume() override { }
    void selectEngine(int) override { }
    bool off() const override { return m_off; }
    void setOff(bool off) override { m_off = off; }
    bool isPlaying() override { return false; }
    int current() const override { return -1; }

private:
    bool m_off = true;
};

} // namespace kiro::music
