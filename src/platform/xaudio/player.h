#pragma once
// One player of the library: a queue of commands and the thread that carries
// them out, decoding the open input into the open output and telling the
// notification target what happens.

#include "platform/audio/audiodecoder.h"
#include "platform/audio/audiooutput.h"
#include "platform/xaudio/command.h"
#include "platform/xaudio/xaudio.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

class QThread;

namespace audrel::xaudio {

struct Notification;

class Player
{
public:
    explicit Player(const XA_NotifyTarget& target);
    ~Player(); // asks the thread to finish and waits for it
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Starts the player thread; an error code when it cannot.
    int start();
    // Queues a command for the player thread.
    int send(Command command);

    int priority() const { return m_priority; }
    int setPriority(int priority);

    // The text of an error code.
    static const char* errorString(int code);

private:
    enum class OutputKind
    {
        None,
        Device,
        Silent,
        WavFile
    };

    void run();
    // Carries out one command; false when the thread is to end.
    void execute(const Command& command);
    // Moves audio from the decoder to the output; returns how long the thread
    // may wait before the next call (0: at once).
    int pump();

    void play();
    void pause();
    void stop();
    void seek(int offset, int range);
    void openInput(const std::string& name);
    void closeInput();
    void openOutput(const std::string& name);
    // Stops what plays into the output, then releases it.
    void closeOutput();
    // Completes and releases the output.
    void releaseOutput();
    void endOfStream();
    // The stream cannot go on: the play command is refused after the fact.
    void failPlaying(int error);
    void rewindStream(int64_t frame);

    void setState(int state);
    void reportPosition(bool always);
    void notify(std::unique_ptr<Notification> notification);
    void ack(int command);
    void nack(int command, int error);
    bool sameFileAsInput(const std::string& path) const;

    static int errorCode(audio::AudioError error);

    XA_NotifyTarget m_target;
    std::unique_ptr<QThread> m_thread;
    int m_priority = XA_CONTROL_PRIORITY_NORMAL;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Command> m_queue; // guarded by m_mutex
    bool m_exit = false;         // guarded by m_mutex

    // Owned by the player thread from here on.
    std::unique_ptr<audio::AudioDecoder> m_decoder;
    std::string m_inputName;
    std::unique_ptr<audio::AudioOutput> m_output;
    OutputKind m_outputKind = OutputKind::None;
    std::string m_outputPath;
    int m_outputError = XA_SUCCESS; // why the last output that was asked for could not open
    int m_state = XA_PLAYER_STATE_STOPPED;
    uint32_t m_range = XA_POSITION_RANGE;
    const int16_t* m_pending = nullptr; // decoded and not yet taken by the output
    int64_t m_pendingFrames = 0;
    bool m_decodeDone = false;
    bool m_atEnd = false;
    int64_t m_drainDeadline = 0; // when waiting for a device to play out gives up
    int64_t m_lastOffset = -1;
};

} // namespace audrel::xaudio
