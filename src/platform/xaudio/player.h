#pragma once
// One player of the library: a queue of commands and the thread that carries
// them out. The thread opens the input and the output, plays the one into the
// other through a PlaybackTransport, and tells the notification target what
// happens in the order the library has always told it: the transport's state
// is announced by the player at fixed points around each command's answer.

#include "platform/audio/audiodecoder.h"
#include "platform/audio/audiooutput.h"
#include "platform/audio/playbacktransport.h"
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

class Player final : private audio::PlaybackListener
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
    // Carries out one command.
    void execute(const Command& command);
    // One step of playing, then the position; returns how long the thread
    // may wait before the next step (0: at once, -1: until a command comes).
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
    // Takes a new output; the transport plays into it.
    void attachOutput(std::unique_ptr<audio::AudioOutput> output, OutputKind kind);
    // Completes and releases the output.
    void releaseOutput();

    // The stream was played out, or could not go on (the play command is then
    // refused after the fact).
    void playbackEnded() override;
    void playbackFailed(audio::AudioError error) override;

    // Announces the transport's state when it differs from the last one announced.
    void announceState();
    // Tells the stream's length (in milliseconds) as the decoder now knows it.
    void announceDuration();
    void setState(int state);
    void reportPosition(bool always);
    void notify(std::unique_ptr<Notification> notification);
    void ack(int command);
    // With a reason, the system's, an error notification goes first.
    void nack(int command, int error, const QString& reason = {});
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
    QString m_outputReason;         // and the system's reason, when it gave one
    audio::PlaybackTransport m_transport{this};
    int m_state = XA_PLAYER_STATE_STOPPED; // the state last announced
    uint32_t m_range = XA_POSITION_RANGE;
    int64_t m_lastOffset = -1;
    int64_t m_durationFrames = -1; // the length last announced
};

} // namespace audrel::xaudio
