#include "info/form_wavproperty.h"

#include "info/infotext.h"
#include "info/wavfile.h"

namespace audrel {

TForm_WavProperty::TForm_WavProperty(const QString& path, QWidget* parent)
    : InfoDialog(QStringLiteral("Wav File Property"), QStringLiteral(" Wav File Property "), "WavMemo", path, parent)
{
    setObjectName(QStringLiteral("Form_WavProperty"));
    TWAVfile reader;
    reader.LoadFile(path);
    setMemo(WavMemoLines(reader));
}

} // namespace audrel
