#pragma once

namespace swf {

// Where the main timeline stands and whether it moves. It counts frames
// only; the player tells it how many exist and how many have arrived.
class Timeline {
public:
    int currentFrame() const { return m_current; }
    bool isPlaying() const { return m_playing; }
    bool loops() const { return m_loop; }

    void play() { m_playing = true; }
    void stop() { m_playing = false; }
    void setLoop(bool loop) { m_loop = loop; }

    // A new movie starts at its first frame, playing; looping is the
    // viewer's choice and carries over.
    void restart();
    // One tick: onward if the next frame has arrived, else wait; past the
    // last frame wrap when looping, else stop.
    void advance(int frameCount, int framesLoaded);
    // Jumps to `frame`, held within the frames that have arrived.
    void gotoFrame(int frame, int framesLoaded);

private:
    int m_current = 0;
    bool m_playing = true;
    bool m_loop = true;
};

} // namespace swf
