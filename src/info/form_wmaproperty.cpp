#include "info/form_wmaproperty.h"

#include "info/infotext.h"
#include "info/wmafile.h"

namespace audrel {

TForm_WmaProperty::TForm_WmaProperty(const QString& path, QWidget* parent)
    : InfoDialog(QStringLiteral("Windows Media Audio File Property"), QStringLiteral(" WMA File Property "), "WmaMemo", path, parent)
{
    setObjectName(QStringLiteral("Form_WmaProperty"));
    TWMAfile reader;
    reader.LoadFile(path);
    setMemo(WmaMemoLines(reader));
}

} // namespace audrel
