#include "IniFile.h"

// Keys and values are UTF-8 bytes throughout: no wide-character conversion.
#define SI_NO_CONVERSION
// The template's code is compiled here (Debian's header hides it otherwise).
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <charconv>
#include <climits>
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "IniText.h"
#include "platform/Encoding.h"

struct IniStore {
    CSimpleIniA Ini{/*a_bIsUtf8=*/true, /*a_bMultiKey=*/false, /*a_bMultiLine=*/true};
    // The comment lines that open the file; SimpleIni keeps them apart and
    // gives no way to read them back.
    std::string FileComment;
};

IniFile::IniFile() : Store(std::make_unique<IniStore>()) {
    Store->Ini.SetSpaces(false);  // "key=value", as Windows ini files have them
}
IniFile::~IniFile() = default;

bool IniFile::Load(const QString& path) {
    Store->Ini.Reset();
    Store->FileComment.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    std::string text(bytes.constData(), static_cast<size_t>(bytes.size()));
    // Files written by older tools are in the Japanese code page.
    if (!platform::IsValidUtf8(text))
        text = platform::Cp932ToUtf8(text);
    text = WholeHeaderLines(text);
    Store->FileComment = LeadingComment(text);
    return Store->Ini.LoadData(text) >= 0;
}

std::string IniFile::Text() const {
    const CSimpleIniA& ini = Store->Ini;
    std::string out;
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    sections.sort(CSimpleIniA::Entry::LoadOrder());
    // Keys outside any section can only be read back when they come first.
    for (auto it = sections.begin(); it != sections.end(); ++it) {
        if (*it->pItem == '\0') {
            sections.splice(sections.begin(), sections, it);
            break;
        }
    }
    // The same layout as SimpleIni's own writer: sections set apart by two
    // empty lines, comments kept where they stood.
    bool needNewLine = !Store->FileComment.empty();
    if (needNewLine)
        AppendIniLines(out, Store->FileComment);
    for (const CSimpleIniA::Entry& section : sections) {
        CSimpleIniA::TNamesDepend keys;
        ini.GetAllKeys(section.pItem, keys);
        // Without a header, a nameless section is nothing but its keys.
        if (*section.pItem == '\0' && keys.empty())
            continue;
        if (needNewLine)
            out += "\r\n\r\n";
        needNewLine = true;
        if (section.pComment) {
            const bool opensFile = out.empty();
            AppendIniLines(out, section.pComment);
            // A comment that opens the file reads back as the file's comment,
            // which stands apart from the first section: written so at once,
            // the next save writes the same text.
            if (opensFile)
                out += "\r\n\r\n";
        }
        if (*section.pItem != '\0')
            out.append("[").append(section.pItem).append("]\r\n");
        keys.sort(CSimpleIniA::Entry::LoadOrder());
        for (const CSimpleIniA::Entry& key : keys) {
            const CSimpleIniA::Entry* entry = nullptr;
            CSimpleIniA::TNamesDepend values;
            if (ini.GetAllValues(section.pItem, key.pItem, values) && !values.empty())
                entry = &values.front();
            if (!entry)
                continue;
            if (entry->pComment) {
                out += "\r\n";
                AppendIniLines(out, entry->pComment);
            }
            out.append(key.pItem).append("=");
            AppendIniValue(out, entry->pItem);
            out += "\r\n";
        }
    }
    return out;
}

bool IniFile::Save(const QString& path) const {
    const std::string text = Text();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    QSaveFile file(path);
    // A file that may be replaced in a folder that may not be written to.
    file.setDirectWriteFallback(true);
    // Unbuffered: a buffered QSaveFile writes at commit and renames the file
    // into place even when that write failed (disk full, file-size limit),
    // replacing the old settings with a cut-off copy.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const auto size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

const char* IniFile::RawValue(const std::string& section, const std::string& key) const {
    return Store->Ini.GetValue(section.c_str(), key.c_str(), nullptr);
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
    return RawValue(section, key) != nullptr;
}

static bool ParseInteger(std::string_view text, int& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    long long magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size() || magnitude < 0)
        return false;
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue < INT_MIN || signedValue > INT_MAX)
        return false;
    value = static_cast<int>(signedValue);
    return true;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    const char* raw = RawValue(section, key);
    int value = 0;
    if (raw == nullptr || !ParseInteger(raw, value))
        return def;
    return value;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

QString IniFile::ReadString(const std::string& section, const std::string& key,
                            const QString& def) const {
    const char* raw = RawValue(section, key);
    return raw == nullptr ? def : QString::fromUtf8(raw);
}

void IniFile::WriteRaw(const std::string& section, const std::string& key,
                       const std::string& value) {
    Store->Ini.SetValue(section.c_str(), key.c_str(), value.c_str());
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteRaw(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteRaw(section, key, value ? "1" : "0");
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const QString& value) {
    WriteRaw(section, key, value.toStdString());
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
    Store->Ini.Delete(section.c_str(), key.c_str(), /*bRemoveEmpty=*/false);
}

namespace {

// "FilePathM000" for item 0 of the list "FilePathM".
std::string ListKey(const std::string& name, int index) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", index);
    return name + digits;
}

}  // namespace

QStringList IniFile::ReadList(const std::string& section, const std::string& name,
                              int limit) const {
    QStringList values;
    for (int i = 0; i < limit; ++i) {
        const QString value = ReadString(section, ListKey(name, i), {});
        if (!value.isEmpty())
            values.append(value);  // gaps close up
    }
    return values;
}

void IniFile::WriteList(const std::string& section, const std::string& name,
                        const QStringList& values, int limit) {
    const int count = static_cast<int>(values.size());
    for (int i = 0; i < count; ++i) {
        if (values[i].isEmpty()) {
            DeleteKey(section, ListKey(name, i));
        } else {
            WriteString(section, ListKey(name, i), values[i]);
        }
    }
    for (int i = count; i < limit; ++i)
        DeleteKey(section, ListKey(name, i));
}
