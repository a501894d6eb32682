// The settings file reader over arbitrary bytes: the file is loaded, the
// options record and every key of the window's own sections are read as the
// window reads them, and what the program would write back reads back the
// same:
// - the options saved into a fresh file and loaded again are the same options;
// - a loaded file written out and loaded again holds the same keys and values,
//   and its text no longer changes from the second writing on, so that
//   closing the window never garbles keys or makes the file grow.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QString>

#include "FuzzCheck.h"
#include "settings/AppOption.h"
#include "settings/IniFile.h"

namespace {

// A scratch file of this process in memory (or the temporary folder).
QString ScratchPath(const char* name) {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return QString::fromStdString(base + "/tandril-fuzz-" + std::to_string(getpid()) + "-" + name);
}

void WriteFile(const QString& path, const std::string& bytes) {
    FILE* file = std::fopen(path.toLocal8Bit().constData(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    FUZZ_CHECK(std::fclose(file) == 0);
}

bool SameOptions(const AppOption& a, const AppOption& b) {
    return a.SameOff == b.SameOff && a.DiffOff == b.DiffOff && a.ShowFront == b.ShowFront &&
           a.EndDialog == b.EndDialog && a.Compare == b.Compare &&
           a.Speed == b.Speed && a.Title1 == b.Title1 && a.Path1 == b.Path1 &&
           a.Title2 == b.Title2 && a.Path2 == b.Path2 && a.CompTitle == b.CompTitle &&
           a.CompPath == b.CompPath;
}

// Every key of the window's sections, read as the window reads it; the texts
// are gathered so that the round trip can compare them.
QString ReadWindowSections(const IniFile& ini) {
    QString texts;
    for (const char* key : {"Top", "Left", "Width", "Height", "Max", "FilterIndex"})
        texts += QString::number(ini.ReadInteger("Form", key, -7)) + '\n';
    for (const char* key : {"FilePathM", "FilePathS"})
        texts += ini.ReadString("Form", key, QStringLiteral("(none)")) + '\n';
    for (const char* key : {"Top1", "Left1", "Top2", "Left2", "Visible1", "Visible2"})
        texts += QString::number(ini.ReadInteger("ToolBar", key, -7)) + '\n';
    const int count = ini.ReadInteger("RecentFile", "ListCount", 16);
    texts += QString::number(count) + '\n';
    const int limit = count < 0 ? 0 : count > 256 ? 256 : count;
    for (int i = 0; i < limit; ++i) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%03d", i);
        for (const char* name : {"FilePathM", "FilePathS"})
            texts += ini.ReadString("RecentFile", name + std::string(digits), {}) + '\n';
    }
    return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString input = ScratchPath("input.ini");
    static const QString output = ScratchPath("output.ini");
    WriteFile(input, std::string(reinterpret_cast<const char*>(data), size));

    IniFile ini;
    if (!ini.Load(input))
        return 0;
    AppOption option;
    option.Load(ini);
    FUZZ_CHECK(option.Speed <= 6);
    const QString window = ReadWindowSections(ini);

    // The options alone, written and read back.
    IniFile fresh;
    option.Save(fresh);
    FUZZ_CHECK(fresh.Save(output));
    IniFile reread;
    FUZZ_CHECK(reread.Load(output));
    AppOption again;
    again.Load(reread);
    FUZZ_CHECK(SameOptions(option, again));

    // The whole file, written and read back: the same keys and values, and
    // from the second writing on the same text (the first may drop lines that
    // are no entries or move a comment), so nothing grows from save to save.
    IniFile whole;
    std::string previous;
    for (int round = 0; round < 3; ++round) {
        FUZZ_CHECK((round == 0 ? ini : whole).Save(output));
        const std::string text = (round == 0 ? ini : whole).Text();
        FUZZ_CHECK(whole.Load(output));
        FUZZ_CHECK(ReadWindowSections(whole) == window);
        AppOption reloaded;
        reloaded.Load(whole);
        FUZZ_CHECK(SameOptions(option, reloaded));
        if (round == 2)
            FUZZ_CHECK(text == previous);
        previous = text;
    }
    return 0;
}
