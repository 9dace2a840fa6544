#pragma once
// The binding of the MP3 player library. The library is loaded at run time
// from XaudioPath when a player operation first needs it; its 17 entry points
// are resolved by name, its interface version checked, and one player is
// created for the lifetime of this component. Player operations queue a
// command to the player; what the player reports comes back as the On...
// signals, on the thread of this component, one at a time from the event loop,
// OnNotifyMessage first and then the signal of the notification's code.
//
// Failures to load, bind or start raise EXaudioException.

#include "platform/xaudio/exaudioexception.h"
#include "platform/xaudio/xaudio.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QLibrary;

namespace audrel {

class XaudioNotifyWindow;

class TXaudioPlayer : public QObject
{
    Q_OBJECT

public:
    // The library's file name, looked for in the program's folder.
    static constexpr const char* kLibraryName = "libxaudio.so";
    // The Priority that leaves the library's own priority as it is.
    static constexpr int kLibraryPriority = 3;

    // Raises "Cannot Create Hidden Window" when the notification target cannot
    // be made (there is no application object to deliver notifications).
    explicit TXaudioPlayer(QObject* parent = nullptr);
    ~TXaudioPlayer() override;

    const QString& XaudioPath() const { return m_xaudioPath; }
    void setXaudioPath(const QString& path) { m_xaudioPath = path; }
    int Priority() const { return m_priority; }
    // Passed on to the player at once when it exists.
    void setPriority(int priority);

    // Loads the library and creates the player unless that was done; raises
    // when either cannot be done. True once the player exists.
    bool EnsurePlayer();
    bool Init() { return EnsurePlayer(); }
    // The library's text for an error code; empty if the player cannot be made ready.
    QString ErrorString(int code);

    bool isLoaded() const { return m_library != nullptr; }
    bool hasPlayer() const { return m_player != nullptr; }

    // Player operations: each makes sure the player exists, queues its
    // command and returns the entry point's result.
    int Play();
    int Pause();
    int Stop();
    int InputSeek(uint32_t offset, uint32_t range);
    int InputOpen(const QString& name);
    int InputClose();
    int OutputOpen(const QString& name);
    int OutputClose();
    int OutputReset();

    // The library's further commands.
    int Synchronize();
    int Ping(uint32_t tag);
    int InputSendMessage(int type, const QByteArray& data);
    int InputAddFilter(const QString& name, int where);
    int InputRemoveFilter(int id);
    int InputFiltersList();
    int InputModuleRegister(const QString& name);
    int InputModuleQuery(int id);
    int InputModulesList();
    int OutputSendMessage(int type, const QByteArray& data);
    int OutputMute();
    int OutputUnmute();
    int OutputDrain();
    int OutputAddFilter(const QString& name, int where);
    int SetPlayerMode(uint32_t mode);
    int SetPlayerEnvironmentInteger(const QString& name, int value);
    int SetPlayerEnvironmentString(const QString& name, const QString& value);
    int SetInputModule(int id);
    int SetInputPositionRange(int range);
    int SetOutputModule(int id);
    int SetOutputVolume(int masterLevel, int pcmLevel, int balance);
    int SetOutputChannels(int channels);
    int SetOutputPorts(int ports);
    int SetCodecQuality(int quality);
    int SetCodecEqualizer(const XA_EqualizerInfo* equalizer);
    int SetNotificationMask(uint32_t mask);
    int SetDebugLevel(int level);

signals:
    void OnNotifyMessage(const XA_Message& message);
    void OnNotifyReady();
    void OnNotifyAck(quint8 Command);
    void OnNotifyNack(quint8 Command, qint16 Code);
    void OnNotifyPong(quint32 Tag);
    void OnNotifyExited();
    void OnNotifyPlayerState(int State);
    void OnNotifyPlayerMode(quint32 Mode);
    void OnNotifyPlayerEnvironmentInteger(const QString& Name, int Value);
    void OnNotifyPlayerEnvironmentString(const QString& Name, const QString& Value);
    void OnNotifyInputState(int State);
    void OnNotifyInputName(const QString& Name);
    void OnNotifyInputCaps(quint32 Caps);
    void OnNotifyInputPosition(quint32 Offset, quint32 Range);
    void OnNotifyInputPositionRange(quint32 Range);
    void OnNotifyInputTimecode(quint8 H, quint8 M, quint8 S, quint8 F);
    void OnNotifyInputTimecodeGranularity(quint32 Granularity);
    void OnNotifyInputModule(int Id);
    void OnNotifyInputModuleInfo(int Id, int NbDevices, const QString& Name, const QString& Description);
    void OnNotifyInputDeviceInfo(int ModuleId, int Index, int Flags, const QString& Name,
                                 const QString& Description);
    void OnNotifyInputFilterInfo(int Id, const QString& Name);
    void OnNotifyOutputState(int State);
    void OnNotifyOutputName(const QString& Name);
    void OnNotifyOutputCaps(quint32 Caps);
    void OnNotifyOutputVolume(quint8 MasterLevel, quint8 PcmLevel, qint8 Balance);
    void OnNotifyOutputBalance(qint8 Balance);
    void OnNotifyOutputPcmLevel(quint8 Level);
    void OnNotifyOutputMasterLevel(quint8 Level);
    void OnNotifyOutputChannels(quint8 Channels);
    void OnNotifyOutputPorts(quint8 Ports);
    void OnNotifyOutputModule(int Id);
    void OnNotifyOutputModuleInfo(int Id, int NbDevices, const QString& Name, const QString& Description);
    void OnNotifyOutputDeviceInfo(int ModuleId, int Index, int Flags, const QString& Name,
                                  const QString& Description);
    void OnNotifyOutputFilterInfo(int Id, const QString& Name);
    void OnNotifyStreamMimeType(const QString& MimeType);
    void OnNotifyStreamDuration(quint32 Duration);
    void OnNotifyStreamParameters(quint32 Frequency, quint32 Bitrate, quint32 NbChannels);
    void OnNotifyStreamProperties(quint32 Properties);
    void OnNotifyCodecQuality(int Quality);
    void OnNotifyCodecEqualizer(const XA_EqualizerInfo* Equalizer);
    void OnNotifyCodecModule(int Id);
    void OnNotifyCodecModuleInfo(int Id, int NbDevices, const QString& Name, const QString& Description);
    void OnNotifyCodecDeviceInfo(int ModuleId, int Index, int Flags, const QString& Name,
                                 const QString& Description);
    void OnNotifyNotificationMask(quint32 Mask);
    void OnNotifyDebugLevel(int Level);
    void OnNotifyProgress(quint8 Source, quint8 Code, qint16 Value, const QString& Message);
    void OnNotifyDebug(quint8 Source, int Level, const QString& Message);
    void OnNotifyError(quint8 Source, qint16 Code, const QString& Message);

private:
    // The entry points, in the order they are resolved.
    struct EntryPoints
    {
        XA_PlayerNewFunction player_new;
        XA_PlayerDeleteFunction player_delete;
        XA_PlayerSetPriorityFunction player_set_priority;
        XA_PlayerGetPriorityFunction player_get_priority;
        XA_ErrorStringFunction xaudio_error_string;
        XA_GetVersionFunction xaudio_get_version;
        XA_SendNFunction control_message_send_N;
        XA_SendPFunction control_message_send_P;
        XA_SendSFunction control_message_send_S;
        XA_SendSSFunction control_message_send_SS;
        XA_SendSIFunction control_message_send_SI;
        XA_SendIPIFunction control_message_send_IPI;
        XA_SendIFunction control_message_send_I;
        XA_SendIIFunction control_message_send_II;
        XA_SendIIIFunction control_message_send_III;
        XA_SendIIIIFunction control_message_send_IIII;
        XA_ParamsToMessageFunction control_win32_params_to_message;
    };

    void LoadXaudio();
    void UnloadXaudio();
    // Hands one message of the hidden window to the library and raises the
    // events of the notification it carries.
    void NotifyWndProc(unsigned int msg, uintptr_t wparam, intptr_t lparam);
    void dispatch(const XA_Message& message);
    // Lets go of the player's undelivered notifications.
    void releasePending();

    int sendN(int code);
    int sendI(int code, int value);
    int sendS(int code, const QString& text);

    QString m_xaudioPath;
    int m_priority = kLibraryPriority;
    std::unique_ptr<QLibrary> m_library;
    EntryPoints m_entries{};
    void* m_player = nullptr;
    XaudioNotifyWindow* m_window = nullptr;
};

} // namespace audrel
