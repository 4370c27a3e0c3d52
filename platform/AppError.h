#pragma once

#include <QString>

#include <exception>

// The one error type of the program. Handlers let it travel to the edge of
// the event or sequence that started the work, where its message is shown in
// the general error box.
class AppError : public std::exception
{
public:
    explicit AppError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The text of the general error box: the message with a "." appended when
// its last character sorts after ".", so "Failed!" and "Done." get none.
inline QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}
