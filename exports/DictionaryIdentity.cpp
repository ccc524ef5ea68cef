#include "DictionaryIdentity.h"

#include "DictionaryFormat.h"
#include "WebData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace exports {

namespace {

const QString idKey = QStringLiteral("id");
const QString titleKey = QStringLiteral("title");

// What the file says to an author who opens it, in both languages of the tool.
QByteArray explanation()
{
    return "# varnell-dict: the identity of this dictionary. The Anki cards exported from it are\n"
           "# known by it, so that a learner's next import updates them instead of adding new\n"
           "# ones: keep this file with the five files. A copy that becomes a dictionary of its\n"
           "# own needs an identity of its own: delete this file in the copy. A line\n"
           "# \"title=...\" names the dictionary in its exports.\n"
           "# 词典的身份：从本词典导出的 Anki 卡片靠它识别，学习者再次导入时据此更新原有卡片，\n"
           "# 而不是添加新卡片。请让本文件始终与五个词典文件放在一起；复制出来另作新词典时，\n"
           "# 请删除副本中的本文件。可加一行“title=…”作为词典导出后的名称。\n";
}

} // namespace

QString identityPath(const QString &folder)
{
    return QDir(folder).filePath(identityFileName.toString());
}

bool readIdentity(const QString &folder, DictionaryIdentity *identity, QString *error)
{
    *identity = {};
    const QString path = identityPath(folder);
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (equals < 0 || value.isEmpty()) {
            *error = QStringLiteral("%1:%2: ").arg(path).arg(i + 1)
                + QCoreApplication::translate(
                         "VarnellDict",
                         "error: not a line \"name=value\" of the dictionary's identity");
            return false;
        }
        if (key == idKey && identity->id.isEmpty())
            identity->id = value;
        else if (key == titleKey && identity->title.isEmpty())
            identity->title = value;
    }
    return true;
}

bool keepIdentity(const QString &folder, DictionaryIdentity *identity, QString *error)
{
    if (!readIdentity(folder, identity, error))
        return false;
    if (!identity->id.isEmpty())
        return true;
    // A title written by hand before the first export stays, with the new identity after it.
    const QString path = identityPath(folder);
    QByteArray content;
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly)) {
        content = existing.readAll();
        if (!content.isEmpty() && !content.endsWith('\n'))
            content += '\n';
    }
    if (!content.startsWith('#'))
        content.prepend(explanation());
    content += idKey.toUtf8() + '='
        + QUuid::createUuid().toString(QUuid::WithoutBraces).remove(u'-').toLatin1() + '\n';
    if (!dictionaryformat::replaceFiles({path}, {content}, error))
        return false;
    // Read back: of two first exports at the same moment, the identity kept is the last one
    // written, and both go by the file.
    if (!readIdentity(folder, identity, error))
        return false;
    if (identity->id.isEmpty()) {
        *error = path + QStringLiteral(": ")
            + QCoreApplication::translate("VarnellDict", "the identity written is gone");
        return false;
    }
    return true;
}

QString defaultTitle(const QString &folder)
{
    DictionaryIdentity identity;
    QString ignored;
    if (readIdentity(folder, &identity, &ignored) && !identity.title.isEmpty())
        return identity.title;
    return webdata::dictionaryName(folder);
}

} // namespace exports
