#include "platform/system/Settings.h"

#include "platform/system/AppError.h"
#include "platform/system/WholeFile.h"

#include <QFile>
#include <QStandardPaths>

#include <utility>
#include <vector>

namespace platform {

namespace {

// One section of an INI file, keys in the order they were first written.
struct Section {
    QString name;
    std::vector<std::pair<QString, QString>> entries;
};
using IniDocument = std::vector<Section>;

Section* findSection(IniDocument& doc, const QString& name)
{
    for (Section& s : doc)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

// Reads what parses: "[name]" opens a section, "key=value" adds to the open
// one; everything else (blank lines, comments, garbage, keys before any
// section) is skipped. Section and key names match without regard to case.
IniDocument parse(const QByteArray& bytes)
{
    IniDocument doc;
    Section* current = nullptr;
    const QString text = QString::fromUtf8(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']') && trimmed.size() > 2) {
            // A repeated header continues the section it names.
            const QString name = trimmed.mid(1, trimmed.size() - 2).toString();
            current = findSection(doc, name);
            if (!current) {
                doc.push_back({name, {}});
                current = &doc.back();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0 || !current)
            continue;
        const QString key = line.left(eq).trimmed().toString();
        if (key.isEmpty() || key.startsWith(u';') || key.startsWith(u'#'))
            continue;
        current->entries.emplace_back(key, UnescapeLine(line.mid(eq + 1)));
    }
    return doc;
}

QByteArray serialize(const IniDocument& doc)
{
    QString text;
    for (const Section& section : doc) {
        if (!text.isEmpty())
            text += u'\n';
        text += u'[' + section.name + QStringLiteral("]\n");
        for (const auto& [key, value] : section.entries)
            text += key + u'=' + EscapeLine(value) + u'\n';
    }
    return text.toUtf8();
}

}  // namespace

QString SettingsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/skerrywind");
}

QString SettingsFile(const QString& application)
{
    return SettingsFolder() + u'/' + application + QStringLiteral(".ini");
}

QString GetSetting(const QString& application, const QString& section, const QString& key, const QString& defaultValue)
{
    QFile file(SettingsFile(application));
    if (!file.open(QIODevice::ReadOnly))
        return defaultValue;
    IniDocument doc = parse(file.readAll());
    const Section* s = findSection(doc, section);
    if (!s)
        return defaultValue;
    // The last occurrence of a key wins, as when a file was edited by hand.
    for (auto it = s->entries.rbegin(); it != s->entries.rend(); ++it)
        if (it->first.compare(key, Qt::CaseInsensitive) == 0)
            return it->second;
    return defaultValue;
}

void SaveSetting(const QString& application, const QString& section, const QString& key, const QString& value)
{
    const QString path = SettingsFile(application);
    IniDocument doc;
    QFile existing(path);
    if (existing.exists()) {
        // A file that exists but cannot be read must not be replaced by one
        // that holds only this key: that would lose everything else in it.
        if (!existing.open(QIODevice::ReadOnly))
            Raise(errPathFileAccess);
        doc = parse(existing.readAll());
        existing.close();
    }

    Section* s = findSection(doc, section);
    if (!s) {
        doc.push_back({section, {}});
        s = &doc.back();
    }
    bool replaced = false;
    auto& entries = s->entries;
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->first.compare(key, Qt::CaseInsensitive) != 0) {
            ++it;
        } else if (!replaced) {
            it->second = value;
            replaced = true;
            ++it;
        } else {
            it = entries.erase(it);  // drop duplicates so the file reads one way
        }
    }
    if (!replaced)
        entries.emplace_back(key, value);

    WriteWholeFile(path, serialize(doc));
}

}  // namespace platform
