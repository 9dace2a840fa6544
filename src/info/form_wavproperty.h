#pragma once
// "Wav File Property": what the reader finds in a file; empty when the file is not valid.

#include "info/infodialog.h"

namespace audrel {

class TForm_WavProperty : public InfoDialog
{
    Q_OBJECT

public:
    TForm_WavProperty(const QString& path, QWidget* parent = nullptr);
};

} // namespace audrel
