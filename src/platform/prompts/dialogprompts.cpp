#include "platform/prompts/dialogprompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace audrel {

namespace {

QMessageBox::StandardButton standardButton(int id)
{
    switch (id) {
    case IdOk: return QMessageBox::Ok;
    case IdCancel: return QMessageBox::Cancel;
    case IdAbort: return QMessageBox::Abort;
    case IdRetry: return QMessageBox::Retry;
    case IdIgnore: return QMessageBox::Ignore;
    case IdYes: return QMessageBox::Yes;
    case IdNo: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

QMessageBox::Icon boxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

int DialogPrompts::message(const MessageRequest& request)
{
    QMessageBox box(boxIcon(request.icon), request.caption, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    for (int id : request.buttons)
        box.addButton(standardButton(id));
    if (!request.buttons.isEmpty())
        box.setDefaultButton(standardButton(request.buttons.first()));
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (int id : request.buttons)
        if (standardButton(id) == clicked)
            return id;
    // Closed with Escape or the close box: the Cancel answer when there is one.
    return request.buttons.contains(IdCancel) ? IdCancel : (request.buttons.isEmpty() ? IdOk : request.buttons.last());
}

QString DialogPrompts::toQtFilter(const QString& filter)
{
    QStringList parts;
    for (const auto& [description, patterns] : splitFilter(filter)) {
        QString spaced = patterns;
        spaced.replace(QLatin1Char(';'), QLatin1Char(' '));
        parts << QStringLiteral("%1 (%2)").arg(description, spaced);
    }
    return parts.join(QStringLiteral(";;"));
}

QStringList DialogPrompts::openFiles(const OpenFilesRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.startFolder,
                       toQtFilter(request.filter));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setSizeGripEnabled(true);
    QString suffix = request.defaultExt.section(QLatin1Char(';'), 0, 0);
    suffix.remove(QStringLiteral("*."));
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList files;
    for (const QString& file : dialog.selectedFiles())
        files << QDir::toNativeSeparators(file);
    return files;
}

QString DialogPrompts::browseForFolder(const QString& title, const QString& startFolder)
{
    const QString start = QDir(startFolder).exists() && !startFolder.isEmpty() ? startFolder : QString();
    const QString folder = QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start);
    return QDir::toNativeSeparators(folder);
}

} // namespace audrel
