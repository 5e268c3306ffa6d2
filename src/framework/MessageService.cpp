#include "framework/MessageService.h"

#include <QMessageBox>

namespace torva {
namespace {

QString& TitleStorage() {
    static QString title = QStringLiteral("TORVA_FEM");
    return title;
}

MessageService::Handler& HandlerStorage() {
    static MessageService::Handler handler;
    return handler;
}

} // namespace

QString MessageService::Title() { return TitleStorage(); }
void MessageService::SetTitle(const QString& title) { TitleStorage() = title; }
void MessageService::SetHandler(Handler handler) { HandlerStorage() = std::move(handler); }

MessageAnswer MessageService::Show(const QString& text, MessageButtons buttons, MessageIcon icon, QWidget* parent) {
    if (HandlerStorage()) return HandlerStorage()(text, buttons);

    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == MessageButtons::YesNo) standard = QMessageBox::Yes | QMessageBox::No;
    if (buttons == MessageButtons::YesNoCancel) standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    if (icon == MessageIcon::Warning) boxIcon = QMessageBox::Warning;
    if (icon == MessageIcon::Error) boxIcon = QMessageBox::Critical;
    if (icon == MessageIcon::Question) boxIcon = QMessageBox::Question;

    QMessageBox box(boxIcon, Title(), text, standard, parent);
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
    }
}

MessageAnswer MessageService::Ask(const QString& text, MessageButtons buttons,
                                  const std::function<MessageAnswer()>& dialog) {
    if (HandlerStorage()) return HandlerStorage()(text, buttons);
    return dialog();
}

MessageRecorder::MessageRecorder() {
    MessageService::SetHandler([this](const QString& text, MessageButtons buttons) {
        texts_.push_back(text);
        if (!answers_.isEmpty()) return answers_.takeFirst();
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
    });
}

MessageRecorder::~MessageRecorder() { MessageService::SetHandler(nullptr); }

} // namespace torva
