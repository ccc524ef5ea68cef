#ifndef LINEREADER_H
#define LINEREADER_H

#include <QFile>
#include <QIODevice>
#include <QString>
#include <QTextStream>

// Reads a UTF-8 text file line by line, as QTextStream on the file does, with two differences
// that keep the program sound on any file: only a regular file is opened (opening a FIFO would
// block until some writer appears), and a file that ends in the middle of a character still
// yields that character, as U+FFFD, with its line (QTextStream alone drops the bytes, and with
// them a last line made only of such bytes).
class LineReader
{
public:
    LineReader();
    Q_DISABLE_COPY_MOVE(LineReader)

    bool open(const QString &path);
    // The number of lines of a regular file, counted without decoding (0 for anything else).
    static qsizetype countLines(const QString &path);
    bool atEnd() const;
    QString readLine();
    // Reuses the capacity of `line`.
    void readLineInto(QString *line);

private:
    // The file's bytes, followed by a line end if the file is not empty and lacks a final one:
    // the decoder only gives up an incomplete character when more bytes follow it, and a final
    // line end changes no line.
    class FinalLineEndDevice : public QIODevice
    {
    public:
        bool openFile(const QString &path);
        bool isSequential() const override { return true; }
        bool atEnd() const override;

    protected:
        qint64 readData(char *data, qint64 maxSize) override;
        qint64 writeData(const char *, qint64) override { return -1; }

    private:
        QFile m_file;
        char m_lastByte = '\n';
        bool m_finished = false; // no byte will come any more
    };

    FinalLineEndDevice m_device;
    mutable QTextStream m_stream;
};

#endif // LINEREADER_H
