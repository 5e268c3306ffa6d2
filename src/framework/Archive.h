#pragma once
// What Serialize works on: the file being read or written, and the failure it reports. The
// document reports a failure with its message and detail and leaves its state as it was.
#include <QString>

namespace torva {

class Archive {
public:
    enum class Mode { Load, Store };
    Archive(Mode mode, QString path) : mode_(mode), path_(std::move(path)) {}

    bool IsLoading() const { return mode_ == Mode::Load; }
    bool IsStoring() const { return mode_ == Mode::Store; }
    const QString& Path() const { return path_; }

    // Serialize calls this when reading or writing fails.
    void Fail(const QString& message, const QString& detail) {
        failed_ = true;
        message_ = message;
        detail_ = detail;
    }
    bool Failed() const { return failed_; }
    const QString& Message() const { return message_; }
    const QString& Detail() const { return detail_; }
    // The message with its detail on a second line.
    QString Text() const { return detail_.isEmpty() ? message_ : message_ + QLatin1Char('\n') + detail_; }

private:
    Mode mode_;
    QString path_;
    bool failed_ = false;
    QString message_;
    QString detail_;
};

} // namespace torva
