#include "platform/xaudio/xaudioplayer.h"

#include "platform/xaudio/xaudionotifywindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>

namespace audrel {

namespace {

// Texts from the library are in the system's encoding.
QString text(const char* value)
{
    return value ? QString::fromLocal8Bit(value) : QString();
}

} // namespace

TXaudioPlayer::TXaudioPlayer(QObject* parent)
    : QObject(parent), m_xaudioPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kLibraryName))
{
    // Notifications are delivered by the event loop of this thread, which
    // needs an application object to run.
    if (!QCoreApplication::instance()) throw EXaudioException(QStringLiteral("Cannot Create Hidden Window"));
    m_window = new XaudioNotifyWindow(
        [this](unsigned int msg, uintptr_t wparam, intptr_t lparam) { NotifyWndProc(msg, wparam, lparam); });
}

TXaudioPlayer::~TXaudioPlayer()
{
    if (m_player && m_entries.player_delete) m_entries.player_delete(m_player);
    m_player = nullptr;
    releasePending();
    UnloadXaudio();
    delete m_window;
}

void TXaudioPlayer::setPriority(int priority)
{
    m_priority = priority;
    if (m_player && priority != kLibraryPriority) m_entries.player_set_priority(m_player, priority);
}

void TXaudioPlayer::LoadXaudio()
{
    auto library = std::make_unique<QLibrary>(m_xaudioPath);
    if (!library->load())
        throw EXaudioException(QStringLiteral("Cannot Load Xaudio DLL (") + m_xaudioPath + QLatin1Char(')'));
    m_library = std::move(library);

    struct Entry
    {
        const char* name;
        QFunctionPointer* slot;
    };
    auto* e = &m_entries;
    const Entry entries[] = {
        {"player_new", reinterpret_cast<QFunctionPointer*>(&e->player_new)},
        {"player_delete", reinterpret_cast<QFunctionPointer*>(&e->player_delete)},
        {"player_set_priority", reinterpret_cast<QFunctionPointer*>(&e->player_set_priority)},
        {"player_get_priority", reinterpret_cast<QFunctionPointer*>(&e->player_get_priority)},
        {"xaudio_error_string", reinterpret_cast<QFunctionPointer*>(&e->xaudio_error_string)},
        {"xaudio_get_version", reinterpret_cast<QFunctionPointer*>(&e->xaudio_get_version)},
        {"control_message_send_N", reinterpret_cast<QFunctionPointer*>(&e->control_message_send_N)},
        {"control_message_send_P", reinterpret_cast<QFunctionPointer*>(&e->control_message_send_P)},
        {"control_message_send_S", reinterpret_cast<QFunctionPointer*>(&e->control_message_send_S)},
        {"control_message_send_SS", reinterpret_cast<QFunctionPointer*>(&e->control_message_send_SS)},
        {"control_message_send_SI", reinterpret_cast<QFunctionPointer*>(&e->control_message_send_SI)},
        {"control_message_send_IPI", reinterpret_cast<QFunctionPointer*>(&e->control_message_send_IPI)},
        {"control_message_send_I", reinterpret_cast<QFunctionPointer*>(&e->control_message_send_I)},
        {"control_message_send_II", reinterpret_cast<QFunctionPointer*>(&e->control_message_send_II)},
        {"control_message_send_III", reinterpret_cast<QFunctionPointer*>(&e->control_message_send_III)},
        {"control_message_send_IIII", reinterpret_cast<QFunctionPointer*>(&e->control_message_send_IIII)},
        {"control_win32_params_to_message",
         reinterpret_cast<QFunctionPointer*>(&e->control_win32_params_to_message)},
    };
    static_assert(sizeof(entries) / sizeof(entries[0]) == 17);
    for (const Entry& entry : entries) {
        *entry.slot = m_library->resolve(entry.name);
        if (!*entry.slot) {
            UnloadXaudio();
            throw EXaudioException(QStringLiteral("Cannot Find Symbol ") + QLatin1String(entry.name) +
                                   QStringLiteral(" in Xaudio DLL"));
        }
    }
}

void TXaudioPlayer::UnloadXaudio()
{
    m_entries = {};
    if (!m_library) return;
    m_library->unload();
    m_library.reset();
}

bool TXaudioPlayer::EnsurePlayer()
{
    if (m_player) return true;
    if (!m_library) LoadXaudio();

    const unsigned long version = m_entries.xaudio_get_version(XA_API_ID_SYNC);
    const unsigned major = (version >> 16) & 0xFF;
    const unsigned minor = (version >> 8) & 0xFF;
    if (major != XA_API_MAJOR_VERSION || minor != XA_API_MINOR_VERSION) {
        UnloadXaudio();
        throw EXaudioException(QStringLiteral("Xaudio DLL API Mismatch\nExpected ") +
                               QString::number(XA_API_MAJOR_VERSION) + QLatin1Char('.') +
                               QString::number(XA_API_MINOR_VERSION) + QStringLiteral(", Got ") +
                               QString::number(major) + QLatin1Char('.') + QString::number(minor));
    }

    void* player = nullptr;
    if (m_entries.player_new(&player, m_window->target()) != XA_SUCCESS || !player) {
        // Whatever a failed start posted is let go with the library.
        releasePending();
        UnloadXaudio();
        throw EXaudioException(QStringLiteral("Cannot Start Xaudio Player"));
    }
    m_player = player;
    if (m_priority != kLibraryPriority) m_entries.player_set_priority(m_player, m_priority);
    return true;
}

QString TXaudioPlayer::ErrorString(int code)
{
    try {
        if (!EnsurePlayer()) return {};
    } catch (const EXaudioException&) {
        return {};
    }
    return text(m_entries.xaudio_error_string(code));
}

void TXaudioPlayer::releasePending()
{
    m_window->discardPending([this](unsigned int msg, uintptr_t wparam, intptr_t lparam) {
        XA_Message message;
        if (m_entries.control_win32_params_to_message)
            m_entries.control_win32_params_to_message(m_window->target(), &message, msg, wparam, lparam);
    });
}

void TXaudioPlayer::NotifyWndProc(unsigned int msg, uintptr_t wparam, intptr_t lparam)
{
    if (msg < XA_NOTIFY_MESSAGE_BASE) return; // not from the player
    if (!m_entries.control_win32_params_to_message) return;
    XA_Message message;
    if (m_entries.control_win32_params_to_message(m_window->target(), &message, msg, wparam, lparam) !=
        XA_SUCCESS)
        return;
    emit OnNotifyMessage(message);
    dispatch(message);
}

void TXaudioPlayer::dispatch(const XA_Message& m)
{
    const auto& d = m.data;
    switch (m.code) {
    case XA_MSG_NOTIFY_READY:
        emit OnNotifyReady();
        break;
    case XA_MSG_NOTIFY_ACK:
        emit OnNotifyAck(d.ack);
        break;
    case XA_MSG_NOTIFY_NACK:
        emit OnNotifyNack(d.nack.command, d.nack.code);
        break;
    case XA_MSG_NOTIFY_PONG:
        emit OnNotifyPong(d.tag);
        break;
    case XA_MSG_NOTIFY_EXITED:
        emit OnNotifyExited();
        break;
    case XA_MSG_NOTIFY_PLAYER_STATE:
        emit OnNotifyPlayerState(d.state);
        break;
    case XA_MSG_NOTIFY_PLAYER_MODE:
        emit OnNotifyPlayerMode(d.mode);
        break;
    case XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_INTEGER:
        emit OnNotifyPlayerEnvironmentInteger(text(d.environment.name), d.environment.integer_value);
        break;
    case XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_STRING:
        emit OnNotifyPlayerEnvironmentString(text(d.environment.name), text(d.environment.string_value));
        break;
    case XA_MSG_NOTIFY_INPUT_STATE:
        emit OnNotifyInputState(d.state);
        break;
    case XA_MSG_NOTIFY_INPUT_NAME:
        emit OnNotifyInputName(QFile::decodeName(d.name));
        break;
    case XA_MSG_NOTIFY_INPUT_CAPS:
        emit OnNotifyInputCaps(d.caps);
        break;
    case XA_MSG_NOTIFY_INPUT_POSITION:
        emit OnNotifyInputPosition(d.position.offset, d.position.range);
        break;
    case XA_MSG_NOTIFY_INPUT_POSITION_RANGE:
        emit OnNotifyInputPositionRange(d.range);
        break;
    case XA_MSG_NOTIFY_INPUT_TIMECODE:
        emit OnNotifyInputTimecode(d.timecode.h, d.timecode.m, d.timecode.s, d.timecode.f);
        break;
    case XA_MSG_NOTIFY_INPUT_TIMECODE_GRANULARITY:
        emit OnNotifyInputTimecodeGranularity(d.granularity);
        break;
    case XA_MSG_NOTIFY_INPUT_MODULE:
        emit OnNotifyInputModule(d.module_id);
        break;
    case XA_MSG_NOTIFY_INPUT_MODULE_INFO:
        emit OnNotifyInputModuleInfo(d.module_info.id, d.module_info.nb_devices, text(d.module_info.name),
                                     text(d.module_info.description));
        break;
    case XA_MSG_NOTIFY_INPUT_DEVICE_INFO:
        emit OnNotifyInputDeviceInfo(d.device_info.module_id, d.device_info.index, d.device_info.flags,
                                     text(d.device_info.name), text(d.device_info.description));
        break;
    case XA_MSG_NOTIFY_INPUT_FILTER_INFO:
        emit OnNotifyInputFilterInfo(d.filter_info.id, text(d.filter_info.name));
        break;
    case XA_MSG_NOTIFY_OUTPUT_STATE:
        emit OnNotifyOutputState(d.state);
        break;
    case XA_MSG_NOTIFY_OUTPUT_NAME:
        emit OnNotifyOutputName(QFile::decodeName(d.name));
        break;
    case XA_MSG_NOTIFY_OUTPUT_CAPS:
        emit OnNotifyOutputCaps(d.caps);
        break;
    case XA_MSG_NOTIFY_OUTPUT_VOLUME:
        emit OnNotifyOutputVolume(d.volume.master_level, d.volume.pcm_level, d.volume.balance);
        break;
    case XA_MSG_NOTIFY_OUTPUT_BALANCE:
        emit OnNotifyOutputBalance(d.balance);
        break;
    case XA_MSG_NOTIFY_OUTPUT_PCM_LEVEL:
        emit OnNotifyOutputPcmLevel(d.level);
        break;
    case XA_MSG_NOTIFY_OUTPUT_MASTER_LEVEL:
        emit OnNotifyOutputMasterLevel(d.level);
        break;
    case XA_MSG_NOTIFY_OUTPUT_CHANNELS:
        emit OnNotifyOutputChannels(d.channels);
        break;
    case XA_MSG_NOTIFY_OUTPUT_PORTS:
        emit OnNotifyOutputPorts(d.ports);
        break;
    case XA_MSG_NOTIFY_OUTPUT_MODULE:
        emit OnNotifyOutputModule(d.module_id);
        break;
    case XA_MSG_NOTIFY_OUTPUT_MODULE_INFO:
        emit OnNotifyOutputModuleInfo(d.module_info.id, d.module_info.nb_devices, text(d.module_info.name),
                                      text(d.module_info.description));
        break;
    case XA_MSG_NOTIFY_OUTPUT_DEVICE_INFO:
        emit OnNotifyOutputDeviceInfo(d.device_info.module_id, d.device_info.index, d.device_info.flags,
                                      text(d.device_info.name), text(d.device_info.description));
        break;
    case XA_MSG_NOTIFY_OUTPUT_FILTER_INFO:
        emit OnNotifyOutputFilterInfo(d.filter_info.id, text(d.filter_info.name));
        break;
    case XA_MSG_NOTIFY_STREAM_MIME_TYPE:
        emit OnNotifyStreamMimeType(text(d.mime_type));
        break;
    case XA_MSG_NOTIFY_STREAM_DURATION:
        emit OnNotifyStreamDuration(d.duration);
        break;
    case XA_MSG_NOTIFY_STREAM_PARAMETERS:
        emit OnNotifyStreamParameters(d.stream_parameters.frequency, d.stream_parameters.bitrate,
                                      d.stream_parameters.nb_channels);
        break;
    case XA_MSG_NOTIFY_STREAM_PROPERTIES:
        emit OnNotifyStreamProperties(d.stream_properties);
        break;
    case XA_MSG_NOTIFY_CODEC_QUALITY:
        emit OnNotifyCodecQuality(d.quality);
        break;
    case XA_MSG_NOTIFY_CODEC_EQUALIZER:
        emit OnNotifyCodecEqualizer(d.equalizer);
        break;
    case XA_MSG_NOTIFY_CODEC_MODULE:
        emit OnNotifyCodecModule(d.module_id);
        break;
    case XA_MSG_NOTIFY_CODEC_MODULE_INFO:
        emit OnNotifyCodecModuleInfo(d.module_info.id, d.module_info.nb_devices, text(d.module_info.name),
                                     text(d.module_info.description));
        break;
    case XA_MSG_NOTIFY_CODEC_DEVICE_INFO:
        emit OnNotifyCodecDeviceInfo(d.device_info.module_id, d.device_info.index, d.device_info.flags,
                                     text(d.device_info.name), text(d.device_info.description));
        break;
    case XA_MSG_NOTIFY_NOTIFICATION_MASK:
        emit OnNotifyNotificationMask(d.notification_mask);
        break;
    case XA_MSG_NOTIFY_DEBUG_LEVEL:
        emit OnNotifyDebugLevel(d.debug_level);
        break;
    case XA_MSG_NOTIFY_PROGRESS:
        emit OnNotifyProgress(d.progress.source, d.progress.code, d.progress.value, text(d.progress.message));
        break;
    case XA_MSG_NOTIFY_DEBUG:
        emit OnNotifyDebug(d.debug.source, d.debug.level, text(d.debug.message));
        break;
    case XA_MSG_NOTIFY_ERROR:
        emit OnNotifyError(d.error.source, d.error.code, text(d.error.message));
        break;
    default:
        break;
    }
}

// ------------------------------------------------------------ player operations

int TXaudioPlayer::sendN(int code)
{
    EnsurePlayer();
    return m_entries.control_message_send_N(m_player, code);
}

int TXaudioPlayer::sendI(int code, int value)
{
    EnsurePlayer();
    return m_entries.control_message_send_I(m_player, code, value);
}

int TXaudioPlayer::sendS(int code, const QString& value)
{
    EnsurePlayer();
    return m_entries.control_message_send_S(m_player, code, QFile::encodeName(value).constData());
}

int TXaudioPlayer::Play()
{
    return sendN(XA_MSG_COMMAND_PLAY);
}

int TXaudioPlayer::Pause()
{
    return sendN(XA_MSG_COMMAND_PAUSE);
}

int TXaudioPlayer::Stop()
{
    return sendN(XA_MSG_COMMAND_STOP);
}

int TXaudioPlayer::InputSeek(uint32_t offset, uint32_t range)
{
    EnsurePlayer();
    return m_entries.control_message_send_II(m_player, XA_MSG_COMMAND_INPUT_SEEK, int(offset), int(range));
}

int TXaudioPlayer::InputOpen(const QString& name)
{
    return sendS(XA_MSG_COMMAND_INPUT_OPEN, name);
}

int TXaudioPlayer::InputClose()
{
    return sendN(XA_MSG_COMMAND_INPUT_CLOSE);
}

int TXaudioPlayer::OutputOpen(const QString& name)
{
    return sendS(XA_MSG_COMMAND_OUTPUT_OPEN, name);
}

int TXaudioPlayer::OutputClose()
{
    return sendN(XA_MSG_COMMAND_OUTPUT_CLOSE);
}

int TXaudioPlayer::OutputReset()
{
    return sendN(XA_MSG_COMMAND_OUTPUT_RESET);
}

int TXaudioPlayer::Synchronize()
{
    return sendN(XA_MSG_COMMAND_SYNC);
}

int TXaudioPlayer::Ping(uint32_t tag)
{
    return sendI(XA_MSG_COMMAND_PING, int(tag));
}

int TXaudioPlayer::InputSendMessage(int type, const QByteArray& data)
{
    EnsurePlayer();
    return m_entries.control_message_send_IPI(m_player, XA_MSG_COMMAND_INPUT_SEND_MESSAGE, type,
                                              data.constData(), unsigned(data.size()), 0);
}

int TXaudioPlayer::InputAddFilter(const QString& name, int where)
{
    EnsurePlayer();
    return m_entries.control_message_send_SI(m_player, XA_MSG_COMMAND_INPUT_ADD_FILTER,
                                             name.toLocal8Bit().constData(), where);
}

int TXaudioPlayer::InputRemoveFilter(int id)
{
    return sendI(XA_MSG_COMMAND_INPUT_REMOVE_FILTER, id);
}

int TXaudioPlayer::InputFiltersList()
{
    return sendN(XA_MSG_COMMAND_INPUT_FILTERS_LIST);
}

int TXaudioPlayer::InputModuleRegister(const QString& name)
{
    return sendS(XA_MSG_COMMAND_INPUT_MODULE_REGISTER, name);
}

int TXaudioPlayer::InputModuleQuery(int id)
{
    return sendI(XA_MSG_COMMAND_INPUT_MODULE_QUERY, id);
}

int TXaudioPlayer::InputModulesList()
{
    return sendN(XA_MSG_COMMAND_INPUT_MODULES_LIST);
}

int TXaudioPlayer::OutputSendMessage(int type, const QByteArray& data)
{
    EnsurePlayer();
    return m_entries.control_message_send_IPI(m_player, XA_MSG_COMMAND_OUTPUT_SEND_MESSAGE, type,
                                              data.constData(), unsigned(data.size()), 0);
}

int TXaudioPlayer::OutputMute()
{
    return sendN(XA_MSG_COMMAND_OUTPUT_MUTE);
}

int TXaudioPlayer::OutputUnmute()
{
    return sendN(XA_MSG_COMMAND_OUTPUT_UNMUTE);
}

int TXaudioPlayer::OutputDrain()
{
    return sendN(XA_MSG_COMMAND_OUTPUT_DRAIN);
}

int TXaudioPlayer::OutputAddFilter(const QString& name, int where)
{
    EnsurePlayer();
    return m_entries.control_message_send_SI(m_player, XA_MSG_COMMAND_OUTPUT_ADD_FILTER,
                                             name.toLocal8Bit().constData(), where);
}

int TXaudioPlayer::SetPlayerMode(uint32_t mode)
{
    return sendI(XA_MSG_SET_PLAYER_MODE, int(mode));
}

int TXaudioPlayer::SetPlayerEnvironmentInteger(const QString& name, int value)
{
    EnsurePlayer();
    return m_entries.control_message_send_SI(m_player, XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER,
                                             name.toLocal8Bit().constData(), value);
}

int TXaudioPlayer::SetPlayerEnvironmentString(const QString& name, const QString& value)
{
    EnsurePlayer();
    return m_entries.control_message_send_SS(m_player, XA_MSG_SET_PLAYER_ENVIRONMENT_STRING,
                                             name.toLocal8Bit().constData(), value.toLocal8Bit().constData());
}

int TXaudioPlayer::SetInputModule(int id)
{
    return sendI(XA_MSG_SET_INPUT_MODULE, id);
}

int TXaudioPlayer::SetInputPositionRange(int range)
{
    return sendI(XA_MSG_SET_INPUT_POSITION_RANGE, range);
}

int TXaudioPlayer::SetOutputModule(int id)
{
    return sendI(XA_MSG_SET_OUTPUT_MODULE, id);
}

int TXaudioPlayer::SetOutputVolume(int masterLevel, int pcmLevel, int balance)
{
    EnsurePlayer();
    return m_entries.control_message_send_III(m_player, XA_MSG_SET_OUTPUT_VOLUME, masterLevel, pcmLevel,
                                              balance);
}

int TXaudioPlayer::SetOutputChannels(int channels)
{
    return sendI(XA_MSG_SET_OUTPUT_CHANNELS, channels);
}

int TXaudioPlayer::SetOutputPorts(int ports)
{
    return sendI(XA_MSG_SET_OUTPUT_PORTS, ports);
}

int TXaudioPlayer::SetCodecQuality(int quality)
{
    return sendI(XA_MSG_SET_CODEC_QUALITY, quality);
}

int TXaudioPlayer::SetCodecEqualizer(const XA_EqualizerInfo* equalizer)
{
    EnsurePlayer();
    return m_entries.control_message_send_P(m_player, XA_MSG_SET_CODEC_EQUALIZER, equalizer,
                                            equalizer ? unsigned(sizeof(XA_EqualizerInfo)) : 0u);
}

int TXaudioPlayer::SetNotificationMask(uint32_t mask)
{
    return sendI(XA_MSG_SET_NOTIFICATION_MASK, int(mask));
}

int TXaudioPlayer::SetDebugLevel(int level)
{
    return sendI(XA_MSG_SET_DEBUG_LEVEL, level);
}

} // namespace audrel
