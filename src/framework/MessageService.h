#pragma once
// Every message box of the program goes through here, with the application's title. Tests install
// a recorder that captures the texts and answers the prompts instead of showing a window.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace torva {

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };
enum class MessageIcon { Information, Warning, Error, Question };

class MessageService {
public:
    // Shows a modal message box (or asks the installed recorder) and returns the button chosen.
    static MessageAnswer Show(const QString& text, MessageButtons buttons = MessageButtons::Ok,
                              MessageIcon icon = MessageIcon::Information, QWidget* parent = nullptr);
    static void Info(const QString& text, QWidget* parent = nullptr) {
        Show(text, MessageButtons::Ok, MessageIcon::Information, parent);
    }
    static void Error(const QString& text, QWidget* parent = nullptr) {
        Show(text, MessageButtons::Ok, MessageIcon::Warning, parent);
    }

    // Asks through a dialog of the caller's own (a confirmation with its own title and buttons, which
    // returns the answer); an installed handler answers in its place, exactly as for Show.
    static MessageAnswer Ask(const QString& text, MessageButtons buttons,
                             const std::function<MessageAnswer()>& dialog);

    static QString Title();
    static void SetTitle(const QString& title);

    // A handler that replaces the message box; nullptr restores the real one.
    using Handler = std::function<MessageAnswer(const QString& text, MessageButtons buttons)>;
    static void SetHandler(Handler handler);
};

// Test helper: records every message and answers prompts from a queue (default: Yes / Ok).
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
    const QStringList& Texts() const { return texts_; }
    QString Last() const { return texts_.isEmpty() ? QString() : texts_.last(); }
    void Clear() { texts_.clear(); }

private:
    QStringList texts_;
    QList<MessageAnswer> answers_;
};

} // namespace torva
