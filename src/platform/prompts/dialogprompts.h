#pragma once

#include "platform/prompts/prompts.h"

class QWidget;

namespace audrel {

// Real dialogs: QMessageBox, QFileDialog. Dialogs are parented to the active window.
class DialogPrompts final : public Prompts
{
public:
    int message(const MessageRequest& request) override;
    QStringList openFiles(const OpenFilesRequest& request) override;
    QString browseForFolder(const QString& title, const QString& startFolder) override;

    // "desc|*.a;*.b|..." into QFileDialog's "desc (*.a *.b);;..." form.
    static QString toQtFilter(const QString& filter);
};

} // namespace audrel
