#ifndef LOGCAPTURE_H
#define LOGCAPTURE_H

#include <QList>
#include <QString>
#include <QtGlobal>

// Captures every debug-log message while it lives (one capture at a time),
// so that a test can compare the log line by line. Messages are not printed.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    // Each message as one string, in order (a message may hold line breaks).
    QList<QString> messages() const;
    // The messages of one type only (QtDebugMsg, QtWarningMsg, ...).
    QList<QString> messages(QtMsgType type) const;
    // The loader's warnings and errors: the messages starting with "警告" or "错误".
    QList<QString> warnings() const;
    // All messages split into lines at '\n', as they appear in the log.
    QList<QString> lines() const;
    // True when some message equals `message` exactly.
    bool contains(const QString &message) const;
    // How many messages equal `message` exactly.
    int count(const QString &message) const;
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    struct Message
    {
        QtMsgType type;
        QString text;
    };
    QList<Message> m_messages;
    QtMessageHandler m_previous = nullptr;
};

#endif // LOGCAPTURE_H
