#include "platform/audio/audioerror.h"

namespace audrel::audio {

QString failureText(AudioError error, const QString& source, const QString& dest, const QString& reason)
{
    switch (error) {
    case AudioError::NoSuchFile:
        return QStringLiteral("Cannot open \"%1\": there is no such file.").arg(source);
    case AudioError::PermissionDenied:
        return QStringLiteral("Cannot open \"%1\": permission denied.").arg(source);
    case AudioError::OpenFailed:
    case AudioError::NoInput:
        return QStringLiteral("Cannot open \"%1\".").arg(source);
    case AudioError::ReadFailed:
        return QStringLiteral("Cannot read \"%1\".").arg(source);
    case AudioError::NotMpegAudio:
    case AudioError::NotWavAudio:
        return QStringLiteral("\"%1\" holds no audio that can be decoded.").arg(source);
    case AudioError::DecodeFailed:
        return QStringLiteral("Cannot decode \"%1\": the file is damaged.").arg(source);
    case AudioError::FormatChanged:
        return QStringLiteral("Cannot convert \"%1\": its sample rate or channels change in the middle.")
            .arg(source);
    case AudioError::Protected:
        return QStringLiteral("Cannot decode \"%1\": it is protected by DRM.").arg(source);
    case AudioError::CreateFailed:
        return reason.isEmpty() ? QStringLiteral("Cannot create \"%1\".").arg(dest)
                                : QStringLiteral("Cannot create \"%1\": %2.").arg(dest, reason);
    case AudioError::WriteFailed:
        return reason.isEmpty() ? QStringLiteral("Cannot write \"%1\".").arg(dest)
                                : QStringLiteral("Cannot write \"%1\": %2.").arg(dest, reason);
    case AudioError::NoEncoder:
        return QStringLiteral("Cannot write \"%1\": FFmpeg cannot write that format.").arg(dest);
    case AudioError::EncoderRefused:
        return QStringLiteral("Cannot write \"%1\": the encoder refuses its settings.").arg(dest);
    case AudioError::Stopped:
        return QStringLiteral("The conversion of \"%1\" was stopped.").arg(source);
    case AudioError::None:
    case AudioError::NoDevice:
    case AudioError::DeviceFailed:
    case AudioError::NoOutput:
        break;
    }
    return QStringLiteral("Cannot convert \"%1\".").arg(source);
}

} // namespace audrel::audio
