#include "platform/xaudio/player.h"

#include "platform/audio/mpg123decoder.h"
#include "platform/audio/silentoutput.h"
#include "platform/audio/wavfileoutput.h"
#include "platform/xaudio/devicemodule.h"
#include "platform/xaudio/notification.h"

#include <QAbstractEventDispatcher>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>

namespace audrel::xaudio {

namespace {

using audio::AudioError;
using audio::PlaybackState;

bool startsWith(const std::string& text, const char* prefix)
{
    const std::string p(prefix);
    if (text.size() < p.size()) return false;
    return std::equal(p.begin(), p.end(), text.begin(),
                      [](char a, char b) { return std::tolower(uchar(a)) == std::tolower(uchar(b)); });
}

// File names travel through the interface in the encoding of the file system.
QString pathName(const std::string& name)
{
    return QFile::decodeName(QByteArray::fromStdString(name));
}

QThread::Priority threadPriority(int priority)
{
    switch (priority) {
    case XA_CONTROL_PRIORITY_LOW:
        return QThread::LowPriority;
    case XA_CONTROL_PRIORITY_HIGH:
        return QThread::HighPriority;
    case XA_CONTROL_PRIORITY_HIGHEST:
        return QThread::TimeCriticalPriority;
    default:
        return QThread::NormalPriority;
    }
}

// The entry points of the device module; null when it could not be loaded.
struct DeviceModule
{
    DeviceAvailableFunction available = nullptr;
    DeviceOutputNewFunction create = nullptr;
};

// Loads the device module from the folder of the file this library was loaded
// from. The library may be reached through a symbolic link; the module lies
// beside the file itself.
DeviceModule loadDeviceModule()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&loadDeviceModule), &info) || !info.dli_fname) return {};
    char* resolved = realpath(info.dli_fname, nullptr);
    if (!resolved) return {};
    std::string path(resolved);
    std::free(resolved);
    path.erase(path.rfind('/') + 1);
    path += kDeviceModuleName;

    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return {};
    DeviceModule module;
    module.available = reinterpret_cast<DeviceAvailableFunction>(dlsym(handle, kDeviceAvailableSymbol));
    module.create = reinterpret_cast<DeviceOutputNewFunction>(dlsym(handle, kDeviceOutputNewSymbol));
    if (!module.available || !module.create) {
        dlclose(handle);
        return {};
    }
    // The module stays loaded for the rest of the process (it is linked -z nodelete).
    return module;
}

// The device module, loaded once per process by whichever player needs it first.
const DeviceModule& deviceModule()
{
    static const DeviceModule module = loadDeviceModule();
    return module;
}

// A new output to the default audio device, or the error code that refuses it.
std::unique_ptr<audio::AudioOutput> newDeviceOutput(int& error)
{
    const DeviceModule& module = deviceModule();
    if (!module.available || !module.available()) {
        error = XA_ERROR_NO_AUDIO_DEVICE;
        return nullptr;
    }
    std::unique_ptr<audio::AudioOutput> output(module.create());
    error = output ? XA_SUCCESS : XA_ERROR_OUT_OF_MEMORY;
    return output;
}

} // namespace

Player::Player(const XA_NotifyTarget& target) : m_target(target) {}

Player::~Player()
{
    {
        std::lock_guard lock(m_mutex);
        m_exit = true;
    }
    m_wake.notify_all();
    if (m_thread) m_thread->wait();
}

int Player::start()
{
    m_thread.reset(QThread::create([this] { run(); }));
    m_thread->start(threadPriority(m_priority));
    if (!m_thread->isRunning() && !m_thread->isFinished()) {
        m_thread.reset();
        return XA_ERROR_THREAD_FAILED;
    }
    return XA_SUCCESS;
}

int Player::send(Command command)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_exit) return XA_FAILURE;
        m_queue.push_back(std::move(command));
    }
    m_wake.notify_one();
    return XA_SUCCESS;
}

int Player::setPriority(int priority)
{
    if (priority < XA_CONTROL_PRIORITY_LOW || priority > XA_CONTROL_PRIORITY_HIGHEST)
        return XA_ERROR_INVALID_PARAMETERS;
    m_priority = priority;
    if (m_thread && m_thread->isRunning()) m_thread->setPriority(threadPriority(priority));
    return XA_SUCCESS;
}

const char* Player::errorString(int code)
{
    switch (code) {
    case XA_SUCCESS:
        return "no error";
    case XA_FAILURE:
        return "failure";
    case XA_ERROR_OUT_OF_MEMORY:
        return "out of memory";
    case XA_ERROR_INVALID_PARAMETERS:
        return "invalid parameters";
    case XA_ERROR_NOT_SUPPORTED:
        return "command not supported";
    case XA_ERROR_NO_SUCH_FILE:
        return "file not found";
    case XA_ERROR_PERMISSION_DENIED:
        return "permission denied";
    case XA_ERROR_OPEN_FAILED:
        return "cannot open file";
    case XA_ERROR_READ_FAILED:
        return "cannot read file";
    case XA_ERROR_NOT_MPEG_AUDIO:
        return "not an MPEG audio stream";
    case XA_ERROR_DECODE_FAILED:
        return "the stream cannot be decoded any further";
    case XA_ERROR_NO_INPUT:
        return "no input is open";
    case XA_ERROR_UNKNOWN_OUTPUT:
        return "unknown output";
    case XA_ERROR_CREATE_FAILED:
        return "cannot create output file";
    case XA_ERROR_WRITE_FAILED:
        return "cannot write output file";
    case XA_ERROR_NO_AUDIO_DEVICE:
        return "no audio device";
    case XA_ERROR_DEVICE_FAILED:
        return "the audio device refused the stream";
    case XA_ERROR_OUTPUT_IS_INPUT:
        return "the output file is the input file";
    case XA_ERROR_FORMAT_CHANGED:
        return "the stream changed its format";
    case XA_ERROR_NO_OUTPUT:
        return "no output is open";
    case XA_ERROR_THREAD_FAILED:
        return "cannot start the player thread";
    default:
        return "unknown error";
    }
}

int Player::errorCode(AudioError error)
{
    switch (error) {
    case AudioError::None:
        return XA_SUCCESS;
    case AudioError::NoSuchFile:
        return XA_ERROR_NO_SUCH_FILE;
    case AudioError::PermissionDenied:
        return XA_ERROR_PERMISSION_DENIED;
    case AudioError::OpenFailed:
        return XA_ERROR_OPEN_FAILED;
    case AudioError::ReadFailed:
        return XA_ERROR_READ_FAILED;
    case AudioError::NotMpegAudio:
    case AudioError::NotWavAudio:
        return XA_ERROR_NOT_MPEG_AUDIO;
    case AudioError::DecodeFailed:
        return XA_ERROR_DECODE_FAILED;
    case AudioError::FormatChanged:
        return XA_ERROR_FORMAT_CHANGED;
    case AudioError::CreateFailed:
        return XA_ERROR_CREATE_FAILED;
    case AudioError::WriteFailed:
        return XA_ERROR_WRITE_FAILED;
    case AudioError::NoDevice:
        return XA_ERROR_NO_AUDIO_DEVICE;
    case AudioError::DeviceFailed:
        return XA_ERROR_DEVICE_FAILED;
    case AudioError::NoInput:
        return XA_ERROR_NO_INPUT;
    case AudioError::NoOutput:
        return XA_ERROR_NO_OUTPUT;
    case AudioError::Protected:
    case AudioError::NoEncoder:
    case AudioError::EncoderRefused:
    case AudioError::Stopped:
        break; // not met by the MPEG player
    }
    return XA_FAILURE;
}

// ---------------------------------------------------------------- the thread

void Player::run()
{
    m_decoder = std::make_unique<audio::Mpg123Decoder>();
    m_transport.setDecoder(m_decoder.get());
    notify(std::make_unique<Notification>(XA_MSG_NOTIFY_READY));
    int waitMs = -1;
    for (;;) {
        std::deque<Command> commands;
        bool exit;
        {
            std::unique_lock lock(m_mutex);
            const auto ready = [this] { return !m_queue.empty() || m_exit; };
            if (waitMs < 0)
                m_wake.wait(lock, ready);
            else if (waitMs > 0)
                m_wake.wait_for(lock, std::chrono::milliseconds(waitMs), ready);
            commands.swap(m_queue);
            exit = m_exit;
        }
        if (exit) break;
        for (const Command& command : commands)
            execute(command);
        // The exact length of a stream may come while it plays.
        if (m_decoder->isOpen() && m_transport.lengthFrames() != m_durationFrames) announceDuration();
        // A device output hears about its own state through events of this thread.
        if (m_outputKind == OutputKind::Device)
            if (QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher())
                dispatcher->processEvents(QEventLoop::AllEvents);
        waitMs = m_transport.state() == PlaybackState::Playing ? pump()
                 : m_outputKind == OutputKind::Device          ? 100
                                                               : -1;
    }
    releaseOutput();
    m_transport.setDecoder(nullptr);
    m_decoder->close();
    m_decoder.reset();
    notify(std::make_unique<Notification>(XA_MSG_NOTIFY_EXITED));
}

void Player::execute(const Command& command)
{
    const int* i = command.integers;
    switch (command.code) {
    case XA_MSG_COMMAND_SYNC:
        ack(command.code);
        break;
    case XA_MSG_COMMAND_PING: {
        auto pong = std::make_unique<Notification>(XA_MSG_NOTIFY_PONG);
        pong->message.data.tag = uint32_t(i[0]);
        notify(std::move(pong));
        break;
    }
    case XA_MSG_COMMAND_PLAY:
        play();
        break;
    case XA_MSG_COMMAND_PAUSE:
        pause();
        break;
    case XA_MSG_COMMAND_STOP:
        stop();
        break;
    case XA_MSG_COMMAND_INPUT_SEEK:
        seek(i[0], i[1]);
        break;
    case XA_MSG_COMMAND_INPUT_OPEN:
        openInput(command.strings[0]);
        break;
    case XA_MSG_COMMAND_INPUT_CLOSE:
        closeInput();
        break;
    case XA_MSG_COMMAND_OUTPUT_OPEN:
        openOutput(command.strings[0]);
        break;
    case XA_MSG_COMMAND_OUTPUT_CLOSE:
        closeOutput();
        m_outputError = XA_SUCCESS;
        ack(command.code);
        break;
    case XA_MSG_COMMAND_OUTPUT_RESET:
        m_transport.resetOutput();
        ack(command.code);
        break;
    case XA_MSG_SET_INPUT_POSITION_RANGE:
        if (i[0] <= 0) {
            nack(command.code, XA_ERROR_INVALID_PARAMETERS);
        } else {
            m_range = uint32_t(i[0]);
            auto range = std::make_unique<Notification>(XA_MSG_NOTIFY_INPUT_POSITION_RANGE);
            range->message.data.range = m_range;
            notify(std::move(range));
            reportPosition(true);
        }
        break;
    default:
        nack(command.code, XA_ERROR_NOT_SUPPORTED);
        break;
    }
}

int Player::pump()
{
    const int waitMs = m_transport.pump();
    // The end and failures have had their say through the listener.
    if (m_transport.state() == PlaybackState::Playing) reportPosition(false);
    return waitMs;
}

// ------------------------------------------------------------------ commands

void Player::play()
{
    if (!m_decoder->isOpen()) return nack(XA_MSG_COMMAND_PLAY, XA_ERROR_NO_INPUT);
    if (m_transport.state() == PlaybackState::Playing) return ack(XA_MSG_COMMAND_PLAY);
    if (m_transport.state() == PlaybackState::Paused) {
        m_transport.resume();
        ack(XA_MSG_COMMAND_PLAY);
        return announceState();
    }
    if (!m_output) {
        if (m_outputError != XA_SUCCESS) return nack(XA_MSG_COMMAND_PLAY, m_outputError, m_outputReason);
        int refusal = XA_SUCCESS;
        auto device = newDeviceOutput(refusal);
        if (!device) return nack(XA_MSG_COMMAND_PLAY, refusal);
        attachOutput(std::move(device), OutputKind::Device);
    }
    const AudioError error = m_transport.play();
    if (error != AudioError::None) return nack(XA_MSG_COMMAND_PLAY, errorCode(error));
    ack(XA_MSG_COMMAND_PLAY);
    announceState();
    reportPosition(true);
}

void Player::pause()
{
    if (!m_decoder->isOpen()) return nack(XA_MSG_COMMAND_PAUSE, XA_ERROR_NO_INPUT);
    m_transport.pause();
    announceState();
    ack(XA_MSG_COMMAND_PAUSE);
}

void Player::stop()
{
    if (m_decoder->isOpen() && m_transport.state() != PlaybackState::Stopped) {
        m_transport.stop();
        announceState();
        reportPosition(true);
    }
    ack(XA_MSG_COMMAND_STOP);
}

void Player::seek(int offset, int range)
{
    if (!m_decoder->isOpen()) return nack(XA_MSG_COMMAND_INPUT_SEEK, XA_ERROR_NO_INPUT);
    if (range <= 0 || offset < 0 || offset > range)
        return nack(XA_MSG_COMMAND_INPUT_SEEK, XA_ERROR_INVALID_PARAMETERS);
    const int64_t length = m_decoder->lengthFrames();
    m_transport.seek(length > 0 ? length * offset / range : 0);
    // Seeking leaves the end of the stream without a word.
    if (m_state == XA_PLAYER_STATE_EOS) m_state = XA_PLAYER_STATE_STOPPED;
    ack(XA_MSG_COMMAND_INPUT_SEEK);
    reportPosition(true);
}

void Player::openInput(const std::string& name)
{
    if (m_decoder->isOpen()) closeInput();
    if (m_outputKind == OutputKind::WavFile && QFileInfo(pathName(m_outputPath)) == QFileInfo(pathName(name)))
        return nack(XA_MSG_COMMAND_INPUT_OPEN, XA_ERROR_OUTPUT_IS_INPUT);
    const AudioError error = m_decoder->open(pathName(name));
    if (error != AudioError::None) return nack(XA_MSG_COMMAND_INPUT_OPEN, errorCode(error));
    m_inputName = name;
    m_transport.streamChanged();
    ack(XA_MSG_COMMAND_INPUT_OPEN);

    auto input = std::make_unique<Notification>(XA_MSG_NOTIFY_INPUT_NAME);
    input->message.data.name = input->keep(0, name);
    notify(std::move(input));
    const audio::AudioFormat format = m_decoder->format();
    auto parameters = std::make_unique<Notification>(XA_MSG_NOTIFY_STREAM_PARAMETERS);
    parameters->message.data.stream_parameters = {uint32_t(format.sampleRate), uint32_t(m_decoder->bitrate()),
                                                  uint32_t(format.channels)};
    notify(std::move(parameters));
    m_durationFrames = -1;
    announceDuration();
    auto state = std::make_unique<Notification>(XA_MSG_NOTIFY_INPUT_STATE);
    state->message.data.state = XA_INPUT_STATE_OPEN;
    notify(std::move(state));
    reportPosition(true);
}

void Player::closeInput()
{
    // Playing or paused, the stop is announced; from the end of the stream it is not.
    if (m_state == XA_PLAYER_STATE_EOS) m_state = XA_PLAYER_STATE_STOPPED;
    m_transport.streamChanged();
    announceState();
    if (m_decoder->isOpen()) {
        m_decoder->close();
        m_inputName.clear();
        auto state = std::make_unique<Notification>(XA_MSG_NOTIFY_INPUT_STATE);
        state->message.data.state = XA_INPUT_STATE_CLOSED;
        notify(std::move(state));
    }
    ack(XA_MSG_COMMAND_INPUT_CLOSE);
}

bool Player::sameFileAsInput(const std::string& path) const
{
    return m_decoder->isOpen() && QFileInfo(pathName(path)) == QFileInfo(pathName(m_inputName));
}

void Player::openOutput(const std::string& name)
{
    closeOutput();
    m_outputError = XA_SUCCESS;
    m_outputReason.clear();
    const auto refuse = [this](int error, const QString& reason = {}) {
        m_outputError = error;
        m_outputReason = reason;
        nack(XA_MSG_COMMAND_OUTPUT_OPEN, error, reason);
    };
    if (startsWith(name, "wav:")) {
        const std::string path = name.substr(4);
        if (path.empty()) return refuse(XA_ERROR_INVALID_PARAMETERS);
        if (sameFileAsInput(path)) return refuse(XA_ERROR_OUTPUT_IS_INPUT);
        auto file = std::make_unique<audio::WavFileOutput>(pathName(path));
        if (const AudioError error = file->open(); error != AudioError::None)
            return refuse(errorCode(error), file->errorString());
        attachOutput(std::move(file), OutputKind::WavFile);
        m_outputPath = path;
    } else if (startsWith(name, "null:")) {
        attachOutput(std::make_unique<audio::SilentOutput>(), OutputKind::Silent);
    } else if (name.empty() || startsWith(name, "audio:")) {
        int refusal = XA_SUCCESS;
        auto device = newDeviceOutput(refusal);
        if (!device) return refuse(refusal);
        attachOutput(std::move(device), OutputKind::Device);
    } else {
        return refuse(XA_ERROR_UNKNOWN_OUTPUT);
    }
    ack(XA_MSG_COMMAND_OUTPUT_OPEN);
    auto output = std::make_unique<Notification>(XA_MSG_NOTIFY_OUTPUT_NAME);
    output->message.data.name = output->keep(0, name);
    notify(std::move(output));
    auto state = std::make_unique<Notification>(XA_MSG_NOTIFY_OUTPUT_STATE);
    state->message.data.state = XA_OUTPUT_STATE_OPEN;
    notify(std::move(state));
}

void Player::closeOutput()
{
    // Playing or paused, the stream goes back to its start, stopped.
    m_transport.setOutput(nullptr);
    announceState();
    releaseOutput();
}

void Player::attachOutput(std::unique_ptr<audio::AudioOutput> output, OutputKind kind)
{
    m_output = std::move(output);
    m_outputKind = kind;
    m_transport.setOutput(m_output.get());
}

void Player::releaseOutput()
{
    if (!m_output) return;
    m_transport.setOutput(nullptr);
    m_output->finish();
    m_output.reset();
    m_outputKind = OutputKind::None;
    m_outputPath.clear();
    auto state = std::make_unique<Notification>(XA_MSG_NOTIFY_OUTPUT_STATE);
    state->message.data.state = XA_OUTPUT_STATE_CLOSED;
    notify(std::move(state));
}

void Player::playbackEnded()
{
    // A file output is complete with its stream; the next stream needs an output of its own.
    if (m_outputKind == OutputKind::WavFile) releaseOutput();
    m_lastOffset = -1;
    auto position = std::make_unique<Notification>(XA_MSG_NOTIFY_INPUT_POSITION);
    position->message.data.position = {m_range, m_range};
    notify(std::move(position));
    announceState();
}

void Player::playbackFailed(AudioError error)
{
    const QString reason = m_output ? m_output->errorString() : QString();
    // A file output that could not be completed at the end is let go all the same.
    if (m_outputKind == OutputKind::WavFile && m_transport.atEnd()) releaseOutput();
    nack(XA_MSG_COMMAND_PLAY, errorCode(error), reason);
    announceState();
}

// ------------------------------------------------------------- notifications

void Player::announceState()
{
    switch (m_transport.state()) {
    case PlaybackState::Stopped:
        return setState(XA_PLAYER_STATE_STOPPED);
    case PlaybackState::Playing:
        return setState(XA_PLAYER_STATE_PLAYING);
    case PlaybackState::Paused:
        return setState(XA_PLAYER_STATE_PAUSED);
    case PlaybackState::Ended:
        return setState(XA_PLAYER_STATE_EOS);
    }
}

void Player::announceDuration()
{
    m_durationFrames = m_transport.lengthFrames();
    const int rate = m_decoder->format().sampleRate;
    auto duration = std::make_unique<Notification>(XA_MSG_NOTIFY_STREAM_DURATION);
    duration->message.data.duration = uint32_t(rate > 0 ? m_durationFrames * 1000 / rate : 0);
    notify(std::move(duration));
}

void Player::setState(int state)
{
    if (state == m_state) return;
    m_state = state;
    auto notification = std::make_unique<Notification>(XA_MSG_NOTIFY_PLAYER_STATE);
    notification->message.data.state = state;
    notify(std::move(notification));
}

void Player::reportPosition(bool always)
{
    const int64_t length = m_transport.lengthFrames();
    int64_t offset = 0;
    if (length > 0) offset = std::min<int64_t>(m_range, m_transport.positionFrames() * m_range / length);
    if (!always && offset == m_lastOffset) return;
    m_lastOffset = offset;
    auto position = std::make_unique<Notification>(XA_MSG_NOTIFY_INPUT_POSITION);
    position->message.data.position = {uint32_t(offset), m_range};
    notify(std::move(position));
}

void Player::notify(std::unique_ptr<Notification> notification)
{
    Notification::post(m_target, std::move(notification));
}

void Player::ack(int command)
{
    auto notification = std::make_unique<Notification>(XA_MSG_NOTIFY_ACK);
    notification->message.data.ack = uint8_t(command);
    notify(std::move(notification));
}

void Player::nack(int command, int error, const QString& reason)
{
    if (!reason.isEmpty()) {
        auto cause = std::make_unique<Notification>(XA_MSG_NOTIFY_ERROR);
        cause->message.data.error.source = XA_ERROR_SOURCE_OUTPUT;
        cause->message.data.error.code = int16_t(error);
        cause->message.data.error.message = cause->keep(0, reason.toLocal8Bit().toStdString());
        notify(std::move(cause));
    }
    auto notification = std::make_unique<Notification>(XA_MSG_NOTIFY_NACK);
    notification->message.data.nack.command = uint8_t(command);
    notification->message.data.nack.code = int16_t(error);
    notify(std::move(notification));
}

} // namespace audrel::xaudio
