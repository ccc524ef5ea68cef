#include "LogCapture.h"

namespace {
LogCapture *activeCapture = nullptr;
}

LogCapture::LogCapture()
{
    Q_ASSERT(!activeCapture);
    activeCapture = this;
    m_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    activeCapture = nullptr;
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (activeCapture)
        activeCapture->m_messages.append({type, message});
}

QList<QString> LogCapture::messages() const
{
    QList<QString> texts;
    texts.reserve(m_messages.size());
    for (const Message &message : m_messages)
        texts.append(message.text);
    return texts;
}

QList<QString> LogCapture::messages(QtMsgType type) const
{
    QList<QString> texts;
    for (const Message &message : m_messages) {
        if (message.type == type)
            texts.append(message.text);
    }
    return texts;
}

QList<QString> LogCapture::warnings() const
{
    QList<QString> found;
    for (const Message &message : m_messages) {
        if (message.text.startsWith(QStringLiteral("警告"))
            || message.text.startsWith(QStringLiteral("错误")))
            found.append(message.text);
    }
    return found;
}

QList<QString> LogCapture::lines() const
{
    QList<QString> result;
    for (const Message &message : m_messages)
        result.append(message.text.split(QLatin1Char('\n')));
    return result;
}

bool LogCapture::contains(const QString &message) const
{
    return count(message) > 0;
}

int LogCapture::count(const QString &message) const
{
    int n = 0;
    for (const Message &m : m_messages)
        n += (m.text == message) ? 1 : 0;
    return n;
}

void LogCapture::clear()
{
    m_messages.clear();
}
