#pragma once
// "Windows Media Audio File Property": what the reader finds in a file; empty when the file is not valid.

#include "info/infodialog.h"

namespace audrel {

class TForm_WmaProperty : public InfoDialog
{
    Q_OBJECT

public:
    TForm_WmaProperty(const QString& path, QWidget* parent = nullptr);
};

} // namespace audrel
