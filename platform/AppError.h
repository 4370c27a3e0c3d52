#pragma once

#include <QString>

#include <exception>

// The one error type of the program. Handlers let it travel to the edge of
// the event or sequence that started the work, where its message is shown in
// the general error box.
class AppError : public std::exception
{
public:
    explicit AppError(QString message, QString reason = {})
        : m_message(std::move(message)), m_reason(std::move(reason)), m_utf8(fullText().toUtf8())
    {}

    // "Unable to write to <path>", the one text every failed write shows;
    // reason says why where the system told (the window shows the message
    // alone, as its translations know it; the extension adds the reason).
    static AppError unableToWrite(const QString &path, QString reason = {});
    // "Cannot create file "<file>". <reason>", the install's text for a
    // file or folder it cannot make; the reason is part of the message.
    static AppError cannotCreate(const QString &file, const QString &reason);

    const QString &message() const noexcept { return m_message; }
    const QString &reason() const noexcept { return m_reason; }
    // The message, and the reason after a colon where there is one.
    QString fullText() const { return m_reason.isEmpty() ? m_message : m_message + QStringLiteral(": ") + m_reason; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QString m_reason;
    QByteArray m_utf8;
};

inline AppError AppError::unableToWrite(const QString &path, QString reason)
{
    return AppError(QStringLiteral("Unable to write to %1").arg(path), std::move(reason));
}

// The text of the general error box: the message with a "." appended when
// its last character sorts after ".", so "Failed!" and "Done." get none.
inline QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}
