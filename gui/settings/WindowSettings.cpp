#include "WindowSettings.h"

#include <algorithm>

#include "AppOption.h"
#include "IniFile.h"

namespace {

constexpr const char* FormSection = "Form";
constexpr const char* ToolBarSection = "ToolBar";
constexpr const char* RecentSection = "RecentFile";
constexpr const char* HistoryNameM = "FilePathM";  // keys FilePathM000, FilePathM001, ...
constexpr const char* HistoryNameS = "FilePathS";

// The settings file's word for an encoding, as the console program's
// "/encoding" option spells it.
constexpr const char* EncodingName(platform::TTextEncoding encoding) {
    return encoding == platform::TTextEncoding::Utf8 ? "utf8" : "sjis";
}

}  // namespace

void TWindowSettings::Load(const IniFile& ini, QSize screenSize) {
    const TWindowSettings defaults;
    // The defaults centre the built-in size; stored values are taken as they are.
    const QSize size = BuiltInSize;
    Placement =
        QRect(ini.ReadInteger(FormSection, "Left", (screenSize.width() - size.width()) / 2),
              ini.ReadInteger(FormSection, "Top", (screenSize.height() - size.height()) / 2),
              ini.ReadInteger(FormSection, "Width", size.width()),
              ini.ReadInteger(FormSection, "Height", size.height()));
    Maximised = ini.ReadBool(FormSection, "Max", false);
    FilePathM = ini.ReadString(FormSection, "FilePathM", {});
    FilePathS = ini.ReadString(FormSection, "FilePathS", {});

    PlaceMain = QPoint(ini.ReadInteger(ToolBarSection, "Left1", defaults.PlaceMain.x()),
                       ini.ReadInteger(ToolBarSection, "Top1", defaults.PlaceMain.y()));
    PlaceOption = QPoint(ini.ReadInteger(ToolBarSection, "Left2", defaults.PlaceOption.x()),
                         ini.ReadInteger(ToolBarSection, "Top2", defaults.PlaceOption.y()));
    VisibleMain = ini.ReadBool(ToolBarSection, "Visible1", true);
    VisibleOption = ini.ReadBool(ToolBarSection, "Visible2", true);

    HistoryLimit = std::clamp(ini.ReadInteger(RecentSection, "ListCount", defaults.HistoryLimit), 0,
                              HistoryLimitMax);
    HistoryM = ini.ReadList(RecentSection, HistoryNameM, HistoryLimit);
    HistoryS = ini.ReadList(RecentSection, HistoryNameS, HistoryLimit);
}

void TWindowSettings::Save(IniFile& ini, const AppOption& option) const {
    ini.WriteBool(FormSection, "Max", Maximised);
    // A maximised window keeps the normal placement stored before.
    if (!Maximised) {
        ini.WriteInteger(FormSection, "Top", Placement.top());
        ini.WriteInteger(FormSection, "Left", Placement.left());
        ini.WriteInteger(FormSection, "Width", Placement.width());
        ini.WriteInteger(FormSection, "Height", Placement.height());
    }
    ini.WriteString(FormSection, "FilePathM", FilePathM);
    ini.WriteString(FormSection, "FilePathS", FilePathS);

    option.Save(ini);

    ini.WriteInteger(ToolBarSection, "Top1", PlaceMain.y());
    ini.WriteInteger(ToolBarSection, "Left1", PlaceMain.x());
    ini.WriteInteger(ToolBarSection, "Top2", PlaceOption.y());
    ini.WriteInteger(ToolBarSection, "Left2", PlaceOption.x());
    ini.WriteBool(ToolBarSection, "Visible1", VisibleMain);
    ini.WriteBool(ToolBarSection, "Visible2", VisibleOption);

    ini.WriteList(RecentSection, HistoryNameM, HistoryM, HistoryLimit);
    ini.WriteList(RecentSection, HistoryNameS, HistoryS, HistoryLimit);
}

void TExportChoice::Load(const IniFile& ini) {
    FilterIndex = ini.ReadInteger(FormSection, "FilterIndex", TExportChoice().FilterIndex);
    Encoding = ini.ReadString(FormSection, "ExportEncoding", {}) ==
                       QLatin1String(EncodingName(platform::TTextEncoding::Utf8))
                   ? platform::TTextEncoding::Utf8
                   : platform::TTextEncoding::Cp932;
}

void TExportChoice::Save(IniFile& ini) const {
    ini.WriteInteger(FormSection, "FilterIndex", FilterIndex);
    ini.WriteString(FormSection, "ExportEncoding", QString::fromLatin1(EncodingName(Encoding)));
}
